#pragma once
// A scoped write transaction on one root: everything written through the root's keys between its
// start and commit() lands together or not at all. Transactions nest; the outermost one decides.

#include "RegTypes.h"

#include <memory>

namespace reg {

class RootStore;

class Transaction {
public:
    // Takes the root's write lock, waiting for other writers up to the store's busy time-out.
    explicit Transaction(Root root);
    // Rolls back unless committed.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // ERROR_SUCCESS when the transaction began; writes made after a failed start are not atomic.
    LSTATUS status() const { return m_status; }
    // ERROR_SUCCESS when everything landed; otherwise nothing did.
    [[nodiscard]] LSTATUS commit();
    void rollback();

private:
    struct Lock;
    RootStore& m_store;
    std::unique_ptr<Lock> m_lock;
    LSTATUS m_status;
    bool m_open = false;
};

} // namespace reg
