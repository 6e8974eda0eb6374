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

// Runs SQL through a connection of its own, as another process would; gives the first column of the last row.
QString Sql(const QString& path, const char* sql)
{
    QString last;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    auto keep = [](void* out, int, char** row, char**) { *static_cast<QString*>(out) = row[0]; return 0; };
    sqlite3_exec(db, sql, keep, &last, nullptr);
    sqlite3_close(db);
    return last;
}

TEST(StoreFileTest, DamagedOrForeignFilesAreNeitherReadNorWritten)
{
    const struct { const char* what; QByteArray bytes; } cases[] = {
        {"text file", QByteArray("this is not a database\n").repeated(200)},
        {"database header then garbage", QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x7f')},
        {"another program's database", QByteArray()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempStore store;
        const QString path = store.path(Root::CurrentUser);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        if (c.bytes.isEmpty())
            Sql(path, "CREATE TABLE notes(x); INSERT INTO notes VALUES('mine');");
        const QByteArray before = ReadAll(path);
        Key key;
        const LSTATUS open = RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, key.put());
        EXPECT_TRUE(open == ERROR_BADDB || open == ERROR_REGISTRY_CORRUPT) << open;
        EXPECT_NE(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
        DWORD value = 42;
        EXPECT_NE(QueryDword(HKEY_CURRENT_USER, "v", &value), ERROR_SUCCESS);
        EXPECT_EQ(value, 42u) << "readers keep their default";
        EXPECT_EQ(ReadAll(path), before) << "the file is left exactly as it was";
    }
}

TEST(StoreFileTest, EmptyFileBecomesAStore)
{
    TempStore store;
    ASSERT_TRUE(QFile(store.path(Root::CurrentUser)).open(QIODevice::WriteOnly));
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
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

TEST(StoreFileTest, FilesFollowTheRootAndOutsideChangesAreSeenAtOnce)
{
    TempStore store;
    const QString user = store.path(Root::CurrentUser), machine = store.path(Root::LocalMachine);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_LOCAL_MACHINE, "v", 1), ERROR_SUCCESS);
    EXPECT_EQ(Sql(user, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Sql(machine, "PRAGMA journal_mode"), "delete")
        << "users who only read the machine root need no -shm file";
    EXPECT_EQ(QFileInfo(user).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_NE(QFileInfo(machine).permissions() & QFile::ReadOther, 0);
    Sql(user, "UPDATE vals SET data = x'02000000'");
    DWORD value = 0;
    ASSERT_EQ(QueryDword(HKEY_CURRENT_USER, "v", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u) << "nothing is cached between calls";
}

} // namespace
