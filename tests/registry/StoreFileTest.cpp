// The store's files and what other connections see: damaged or foreign files are never written,
// journal modes and permissions, and transactions that show all of their changes or none.

#include "StoreProbe.h"
#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace reg;

namespace {

TEST(StoreFileTest, DamagedOrForeignFilesAreNeitherReadNorWritten)
{
    const struct { const char* what; QByteArray bytes; const char* sql; } cases[] = {
        {"text file", QByteArray("this is not a database\n").repeated(200), nullptr},
        {"database header then garbage", QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x7f'), nullptr},
        {"another program's database", QByteArray(), "CREATE TABLE notes(x); INSERT INTO notes VALUES('mine');"},
        {"empty file, which becomes a store", QByteArray(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempStore store;
        const QString path = store.path(Root::CurrentUser);
        ASSERT_TRUE(WriteAll(path, c.bytes));
        if (c.sql)
            Sql(path, c.sql);
        const bool usable = c.bytes.isEmpty() && !c.sql;
        const QByteArray before = ReadAll(path);
        Key key;
        const LSTATUS open = RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, key.put());
        EXPECT_TRUE(usable ? open == ERROR_FILE_NOT_FOUND : open == ERROR_BADDB || open == ERROR_REGISTRY_CORRUPT)
            << open;
        EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1) == ERROR_SUCCESS, usable);
        DWORD value = 42;
        EXPECT_EQ(QueryDword(HKEY_CURRENT_USER, "v", &value) == ERROR_SUCCESS, usable);
        EXPECT_EQ(value, usable ? 1u : 42u) << "readers keep their default";
        EXPECT_TRUE(usable || ReadAll(path) == before) << "the file is left exactly as it was";
    }
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

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "T", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
        ASSERT_EQ(SetDword(key, "before", 1), ERROR_SUCCESS);
    }
    int valuesSeenOutside() { return Sql(store.path(Root::CurrentUser), "SELECT count(*) FROM vals").toInt(); }
    bool has(const char* name) { return RegQueryValueEx(key, name, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }
    TempStore store;
    Key key;
};

TEST_F(TransactionTest, CommitShowsAllAtOnceRollbackUndoesAllReadOnlyRootCannotBegin)
{
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit);
        {
            Transaction tx(Root::CurrentUser);
            SetDword(key, "a", 1);
            RegDeleteValue(key, "before");
            Key sub;
            RegCreateKeyEx(key, "sub", KEY_ALL_ACCESS, sub.put());
            SetDword(sub, "b", 1);
            EXPECT_EQ(valuesSeenOutside(), 1) << "nothing is visible before the commit";
            EXPECT_TRUE(has("a")) << "the writer sees its own changes";
            if (!commit)
                RegDeleteTree(HKEY_CURRENT_USER, "T");
            else
                ASSERT_EQ(tx.commit(), ERROR_SUCCESS);
        }
        EXPECT_EQ(has("before"), !commit);
        EXPECT_EQ(has("a"), commit);
        EXPECT_EQ(valuesSeenOutside(), commit ? 2 : 1);
    }
    store.setReadOnly(Root::CurrentUser, true);
    Transaction tx(Root::CurrentUser);
    EXPECT_EQ(tx.status(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tx.commit(), ERROR_ACCESS_DENIED);
}

TEST_F(TransactionTest, InnerRollbackDoomsTheOuterTransaction)
{
    for (const bool innerCommits : {false, true}) {
        Transaction outer(Root::CurrentUser);
        SetDword(key, "a", 1);
        {
            Transaction inner(Root::CurrentUser);
            EXPECT_TRUE(!innerCommits || inner.commit() == ERROR_SUCCESS);
        }
        EXPECT_EQ(outer.commit(), innerCommits ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED);
        EXPECT_EQ(has("a"), innerCommits);
    }
}

} // namespace
