#pragma once
// The writes of one page's OK: a transaction on each root the page writes, begun before its first
// write there. The first failed start or write dooms the whole save and Commit() rolls every root
// back, so that a page is saved whole or not at all.

#include "registry/Transaction.h"
#include "settings/SettingsWritten.h"

#include <array>
#include <optional>

namespace app {

// What a page's OK did: whether it wrote anything, and its first failure with the failing root.
struct SaveResult {
    bool wrote = false;
    reg::Root root = reg::Root::CurrentUser;
    reg::LSTATUS status = reg::ERROR_SUCCESS;
    bool Failed() const { return status != reg::ERROR_SUCCESS; }
};

class PageSave {
public:
    // Starts the root's transaction unless it runs already; false once the save has failed.
    bool Begin(reg::Root root)
    {
        if (Failed())
            return false;
        m_result.wrote = true;
        std::optional<reg::Transaction>& transaction = m_transactions[Index(root)];
        if (!transaction)
            return Check(root, transaction.emplace(root).status());
        return true;
    }

    // Runs one write on the root and keeps its failure; nothing is written once the save has
    // failed, since the store may then have ended the transaction and a write would land alone.
    template <typename Write>
    bool Run(reg::Root root, Write&& write)
    {
        return !Failed() && Check(root, write());
    }

    bool Failed() const { return m_result.Failed(); }

    // The save is the Quick Links list's: it sets the settings-written flag once committed.
    void SetsSettingsWritten() { m_setsFlag = true; }

    // The machine's part first: when it fails, the user's is still rolled back.
    [[nodiscard]] SaveResult Commit()
    {
        for (const reg::Root root : {reg::Root::LocalMachine, reg::Root::CurrentUser}) {
            std::optional<reg::Transaction>& transaction = m_transactions[Index(root)];
            if (!transaction)
                continue;
            if (Failed())
                transaction->rollback();
            else
                Record(root, transaction->commit());
        }
        if (m_setsFlag && !Failed())
            SetSettingsWritten(1);
        return m_result;
    }

    // Tests: the nth write checked from now on fails as on a full disk; 0 for none.
    static void FailWriteForTest(int nth) { FailCountdown() = nth; }

private:
    bool Check(reg::Root root, reg::LSTATUS status)
    {
        if (status == reg::ERROR_SUCCESS && FailThisWrite())
            status = reg::ERROR_CANTWRITE;
        return Record(root, status);
    }

    bool Record(reg::Root root, reg::LSTATUS status)
    {
        if (status != reg::ERROR_SUCCESS && !Failed()) {
            m_result.root = root;
            m_result.status = status;
        }
        return !Failed();
    }

    static int Index(reg::Root root) { return root == reg::Root::CurrentUser ? 0 : 1; }
    static int& FailCountdown()
    {
        static int countdown = 0;
        return countdown;
    }
    static bool FailThisWrite() { return FailCountdown() > 0 && --FailCountdown() == 0; }

    std::array<std::optional<reg::Transaction>, reg::kRootCount> m_transactions;
    SaveResult m_result;
    bool m_setsFlag = false;
};

} // namespace app
