// The store's files: damaged or foreign files are never written, journal modes, read-only roots.

#include "TempStore.h"
#include "registry/RegValues.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace reg;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray SqliteFileWithForeignTable(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES('mine');", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return ReadAll(path);
}

QString JournalMode(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr);
    QString mode;
    if (sqlite3_step(s) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return mode;
}

TEST(StoreFileTest, DamagedOrForeignFilesAreNeitherReadNorWritten)
{
    const struct { const char* what; QByteArray bytes; LSTATUS status; } cases[] = {
        {"text file", QByteArray("this is not a database\n").repeated(200), ERROR_BADDB},
        {"database header then garbage", QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x7f'), ERROR_BADDB},
        {"another program's database", QByteArray(), ERROR_BADDB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempStore store;
        const QString path = store.path(Root::CurrentUser);
        const QByteArray before = c.bytes.isEmpty() ? SqliteFileWithForeignTable(path) : c.bytes;
        if (!c.bytes.isEmpty())
            WriteAll(path, c.bytes);
        Key key;
        const LSTATUS open = RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, key.put());
        EXPECT_TRUE(open == ERROR_BADDB || open == ERROR_REGISTRY_CORRUPT) << open;
        EXPECT_NE(RegCreateKeyEx(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
        EXPECT_NE(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
        DWORD value = 42;
        EXPECT_NE(QueryDword(HKEY_CURRENT_USER, "v", &value), ERROR_SUCCESS);
        EXPECT_EQ(value, 42u) << "readers keep their default";
        EXPECT_EQ(ReadAll(path), before) << "the file is left exactly as it was";
        EXPECT_TRUE(QFileInfo::exists(path));
    }
}

TEST(StoreFileTest, EmptyFileBecomesAStore)
{
    TempStore store;
    WriteAll(store.path(Root::CurrentUser), QByteArray());
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
}

TEST(StoreFileTest, JournalModesAndPermissionsFollowTheRoot)
{
    TempStore store;
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_LOCAL_MACHINE, "v", 1), ERROR_SUCCESS);
    EXPECT_EQ(JournalMode(store.path(Root::CurrentUser)), "wal");
    EXPECT_EQ(JournalMode(store.path(Root::LocalMachine)), "delete")
        << "users who only read the machine root need no -shm file";
    EXPECT_EQ(QFileInfo(store.path(Root::CurrentUser)).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_NE(QFileInfo(store.path(Root::LocalMachine)).permissions() & QFile::ReadOther, 0);
}

TEST(StoreFileTest, ReadOnlyRootWithoutFileStaysWithoutFile)
{
    TempStore store;
    store.setReadOnly(Root::LocalMachine, true);
    Key key;
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_ALL_ACCESS, key.put()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, key.put()), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(QFileInfo::exists(store.path(Root::LocalMachine)));
}

TEST(StoreFileTest, ChangesFromAnotherConnectionAreSeenAtOnce)
{
    TempStore store;
    Key key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "K", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
    sqlite3* db = nullptr;
    sqlite3_open(store.path(Root::CurrentUser).toUtf8().constData(), &db);
    sqlite3_exec(db, "UPDATE vals SET data = x'02000000'", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    DWORD value = 0;
    ASSERT_EQ(QueryDword(key, "v", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u) << "nothing is cached between calls";
}

} // namespace
