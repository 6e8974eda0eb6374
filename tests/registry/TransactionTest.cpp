// Transactions: all or nothing, nesting, and what other connections see meanwhile.

#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace reg;

namespace {

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "T", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
        ASSERT_EQ(SetDword(key, "before", 1), ERROR_SUCCESS);
    }
    // Counts the values of the store's file through a connection of its own, as another process would.
    int valuesSeenOutside()
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(store.path(Root::CurrentUser).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM vals", -1, &s, nullptr);
        const int count = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
        sqlite3_finalize(s);
        sqlite3_close(db);
        return count;
    }
    bool has(const char* name)
    {
        DWORD value = 0;
        return QueryDword(key, QString::fromLatin1(name), &value) == ERROR_SUCCESS;
    }
    TempStore store;
    Key key;
};

TEST_F(TransactionTest, CommitPublishesEverythingAtOnce)
{
    Transaction tx(Root::CurrentUser);
    ASSERT_EQ(tx.status(), ERROR_SUCCESS);
    SetDword(key, "a", 1);
    Key sub;
    RegCreateKeyEx(key, "sub", KEY_ALL_ACCESS, sub.put());
    SetDword(sub, "b", 1);
    EXPECT_EQ(valuesSeenOutside(), 1) << "nothing is visible before the commit";
    EXPECT_TRUE(has("a")) << "the writer sees its own changes";
    ASSERT_EQ(tx.commit(), ERROR_SUCCESS);
    EXPECT_EQ(valuesSeenOutside(), 3);
}

TEST_F(TransactionTest, EndingWithoutCommitUndoesEveryKindOfChange)
{
    {
        Transaction tx(Root::CurrentUser);
        SetDword(key, "a", 1);
        RegDeleteValue(key, "before");
        RegDeleteTree(HKEY_CURRENT_USER, "T");
    }
    EXPECT_TRUE(has("before"));
    EXPECT_FALSE(has("a"));
    EXPECT_EQ(valuesSeenOutside(), 1);
}

TEST_F(TransactionTest, InnerRollbackDoomsTheOuterTransaction)
{
    const struct { bool innerCommits; LSTATUS outer; bool written; } cases[] = {
        {true, ERROR_SUCCESS, true},
        {false, ERROR_REGISTRY_IO_FAILED, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.innerCommits);
        RegDeleteValue(key, "a");
        Transaction outer(Root::CurrentUser);
        SetDword(key, "a", 1);
        {
            Transaction inner(Root::CurrentUser);
            ASSERT_EQ(inner.status(), ERROR_SUCCESS);
            if (c.innerCommits) {
                EXPECT_EQ(inner.commit(), ERROR_SUCCESS);
            }
        }
        EXPECT_EQ(outer.commit(), c.outer);
        EXPECT_EQ(has("a"), c.written);
    }
}

TEST_F(TransactionTest, ReadOnlyRootCannotBegin)
{
    store.setReadOnly(Root::CurrentUser, true);
    Transaction tx(Root::CurrentUser);
    EXPECT_EQ(tx.status(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tx.commit(), ERROR_ACCESS_DENIED);
}

} // namespace
