// Transactions: all or nothing, nesting, and what other connections see meanwhile.

#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <sqlite3.h>

#include <cstdlib>

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
    // Counts the values in the store's file through a connection of its own, as another process would.
    int valuesSeenOutside()
    {
        int count = -1;
        sqlite3* db = nullptr;
        sqlite3_open(store.path(Root::CurrentUser).toUtf8().constData(), &db);
        auto keep = [](void* out, int, char** row, char**) { *static_cast<int*>(out) = std::atoi(row[0]); return 0; };
        sqlite3_exec(db, "SELECT count(*) FROM vals", keep, &count, nullptr);
        sqlite3_close(db);
        return count;
    }
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
