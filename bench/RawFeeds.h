#pragma once
// The feed benchmarks' raw side: hand-written SQLite that writes and reads feed keys on the store's
// schema as the feed store would, and the timing helpers they share.

#include "RawDb.h"
#include "messagecenter/RssFeed.h"

#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <functional>
#include <variant>

namespace bench {

inline QByteArray Utf16(const QString& text, bool terminated = false)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), int(text.size() + terminated) * 2);
}

inline QByteArray FoldedName(const QString& name)
{
    Folded fold;
    Fold(name, &fold);
    return QByteArray(fold.constData(), fold.size());
}

inline double Ms(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

inline double MedianMs(int rounds, const std::function<double()>& run)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A connection of its own on a store file, with the statements the feed store's work comes to.
class RawFeedDb {
public:
    explicit RawFeedDb(const QString& path)
    {
        Require(sqlite3_open(QFile::encodeName(path).constData(), &m_db) == SQLITE_OK, "open raw");
        sqlite3_exec(m_db, "PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr);
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_clear = prepare("DELETE FROM keys WHERE parent = ?1");
        m_insertKey = prepare("INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
        m_setValue = prepare("INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
        m_children = prepare("SELECT id, name FROM keys WHERE parent = ?1 ORDER BY fold");
        m_values = prepare("SELECT name, data FROM vals WHERE key = ?1");
    }
    ~RawFeedDb()
    {
        for (sqlite3_stmt* s : {m_begin, m_commit, m_clear, m_insertKey, m_setValue, m_children, m_values})
            sqlite3_finalize(s);
        sqlite3_close(m_db);
    }
    RawFeedDb(const RawFeedDb&) = delete;
    RawFeedDb& operator=(const RawFeedDb&) = delete;

    // In one transaction: the parent's subkeys removed, then one key per feed with its three values.
    void WriteFeeds(long long parent, const QList<RssFeed>& feeds)
    {
        Step(m_begin, {});
        Step(m_clear, {parent});
        for (const RssFeed& feed : feeds) {
            const long long key = Step(m_insertKey, {parent, Utf16(feed.name), FoldedName(feed.name)});
            Step(m_setValue, {key, Utf16("htmlUrl"), FoldedName("htmlUrl"), reg::REG_SZ, Utf16(feed.htmlUrl, true)});
            Step(m_setValue, {key, Utf16("xmlUrl"), FoldedName("xmlUrl"), reg::REG_SZ, Utf16(feed.xmlUrl, true)});
            Step(m_setValue, {key, Utf16("Enable"), FoldedName("Enable"), reg::REG_DWORD, QByteArray(reinterpret_cast<const char*>(&feed.Enable), 4)});
        }
        Step(m_commit, {});
    }

    // The parent's subkeys by name with their feed URLs.
    QList<RssFeed> ReadFeeds(long long parent)
    {
        QList<RssFeed> read;
        Step(m_children, {parent}, [&] {
            RssFeed feed;
            feed.name = QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_blob(m_children, 1)), sqlite3_column_bytes(m_children, 1) / 2);
            Step(m_values, {sqlite3_column_int64(m_children, 0)}, [&] {
                feed.xmlUrl += QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_blob(m_values, 1)), sqlite3_column_bytes(m_values, 1) / 2);
            });
            read.append(feed);
        });
        return read;
    }

private:
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        Require(sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK, sql);
        return s;
    }

    // Runs a statement with its arguments bound in order (integers, or UTF-16 data as a blob).
    long long Step(sqlite3_stmt* s, std::initializer_list<std::variant<long long, QByteArray>> args, const std::function<void()>& perRow = {})
    {
        int index = 0;
        for (const auto& arg : args) {
            if (const auto* number = std::get_if<long long>(&arg))
                sqlite3_bind_int64(s, ++index, *number);
            else
                sqlite3_bind_blob(s, ++index, std::get<QByteArray>(arg).constData(), int(std::get<QByteArray>(arg).size()), SQLITE_TRANSIENT);
        }
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            perRow();
        Require(rc == SQLITE_DONE, "step");
        sqlite3_reset(s);
        return sqlite3_last_insert_rowid(m_db);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt *m_begin, *m_commit, *m_clear, *m_insertKey, *m_setValue, *m_children, *m_values;
};

} // namespace bench
