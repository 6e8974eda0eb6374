#pragma once
// Hand-written SQLite on the store's own schema: the benchmarks' baseline for what the registry
// layer costs on top of the statements it runs.

#include "registry/RegTypes.h"

#include <sqlite3.h>

#include <QFile>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <bit>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace bench {

// Names and REG_DWORD data are little-endian in the file, as QString and DWORD are in memory here,
// so the raw side binds them without conversion.
static_assert(std::endian::native == std::endian::little);

inline void Require(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(what);
}

using Folded = QVarLengthArray<char, 512>;

// The form the store compares names in: upper-cased UTF-16 code units, big-endian.
inline void Fold(QStringView name, Folded* out)
{
    out->resize(name.size() * 2);
    char* p = out->data();
    for (QChar ch : name) {
        char16_t u = ch.unicode();
        u = u < 0x80 ? (u >= u'a' && u <= u'z' ? char16_t(u - 32) : u) : char16_t(QChar::toUpper(u));
        *p++ = char(u >> 8);
        *p++ = char(u & 0xFF);
    }
}

// A second connection, on its own file, set up the way the store sets up the per-user root.
class RawDb {
public:
    explicit RawDb(const QString& path)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        Require(rc == SQLITE_OK, "open the raw database");
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        Require(exec("PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;"),
                "set the raw database's pragmas");
        findChild = prepare("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
        getValue = prepare("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
        setValue = prepare("INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                           "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
        deleteValue = prepare("DELETE FROM vals WHERE key = ?1 AND fold = ?2");
        countValues = prepare("SELECT count(*) FROM vals WHERE key = ?1");
        enumKeys = prepare("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold");
        enumValues = prepare("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY rowid");
    }

    ~RawDb()
    {
        for (sqlite3_stmt* s : m_prepared)
            sqlite3_finalize(s);
        sqlite3_close_v2(m_db);
    }

    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    bool exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // The key's id, following the path from the root key; -1 when a component is missing.
    long long resolve(QStringView path)
    {
        Folded fold;
        long long id = 1;
        for (QStringView component : path.tokenize(u'\\')) {
            Fold(component, &fold);
            sqlite3_bind_int64(findChild, 1, id);
            sqlite3_bind_blob(findChild, 2, fold.constData(), int(fold.size()), SQLITE_STATIC);
            id = sqlite3_step(findChild) == SQLITE_ROW ? sqlite3_column_int64(findChild, 0) : -1;
            sqlite3_reset(findChild);
            if (id < 0)
                break;
        }
        return id;
    }

    bool queryDword(long long key, QStringView name, reg::DWORD* value)
    {
        Folded fold;
        Fold(name, &fold);
        sqlite3_bind_int64(getValue, 1, key);
        sqlite3_bind_blob(getValue, 2, fold.constData(), int(fold.size()), SQLITE_STATIC);
        const bool found = sqlite3_step(getValue) == SQLITE_ROW && sqlite3_column_bytes(getValue, 1) == sizeof *value;
        if (found)
            std::memcpy(value, sqlite3_column_blob(getValue, 1), sizeof *value);
        sqlite3_reset(getValue);
        return found;
    }

    // Inserts or replaces one value; the unnamed value and empty data are stored as empty blobs.
    bool set(long long key, QStringView name, reg::DWORD type, const void* data, int size)
    {
        Folded fold;
        Fold(name, &fold);
        sqlite3_bind_int64(setValue, 1, key);
        bindBlob(setValue, 2, name.utf16(), int(name.size() * 2));
        sqlite3_bind_blob(setValue, 3, fold.constData(), int(fold.size()), SQLITE_STATIC);
        sqlite3_bind_int64(setValue, 4, type);
        bindBlob(setValue, 5, data, size);
        const bool ok = sqlite3_step(setValue) == SQLITE_DONE;
        sqlite3_reset(setValue);
        return ok;
    }

    bool setDword(long long key, QStringView name, reg::DWORD value)
    {
        return set(key, name, reg::REG_DWORD, &value, sizeof value);
    }

    // Rows deleted, or -1 on failure.
    int deleteNamed(long long key, QStringView name)
    {
        Folded fold;
        Fold(name, &fold);
        sqlite3_bind_int64(deleteValue, 1, key);
        sqlite3_bind_blob(deleteValue, 2, fold.constData(), int(fold.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(deleteValue);
        sqlite3_reset(deleteValue);
        return rc == SQLITE_DONE ? sqlite3_changes(m_db) : -1;
    }

    long long valueCount(long long key)
    {
        sqlite3_bind_int64(countValues, 1, key);
        const long long n = sqlite3_step(countValues) == SQLITE_ROW ? sqlite3_column_int64(countValues, 0) : -1;
        sqlite3_reset(countValues);
        return n;
    }

    sqlite3_stmt* findChild;
    sqlite3_stmt* getValue;
    sqlite3_stmt* setValue;
    sqlite3_stmt* deleteValue;
    sqlite3_stmt* countValues;
    sqlite3_stmt* enumKeys;
    sqlite3_stmt* enumValues;

private:
    static constexpr int kBusyTimeoutMs = 15000;

    // An empty view or buffer may have no address, which SQLite would bind as NULL.
    static void bindBlob(sqlite3_stmt* s, int index, const void* data, int size)
    {
        if (size > 0)
            sqlite3_bind_blob(s, index, data, size, SQLITE_STATIC);
        else
            sqlite3_bind_zeroblob(s, index, 0);
    }

    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        Require(sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK, sql);
        m_prepared.push_back(s);
        return s;
    }

    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_prepared;
};

} // namespace bench
