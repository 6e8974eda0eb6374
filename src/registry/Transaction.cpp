#include "Transaction.h"

#include "RootStore.h"

namespace reg {

// Keeps other threads of this process off the root's connection while the transaction is open.
struct Transaction::Lock {
    std::unique_lock<std::recursive_mutex> lock;
};

Transaction::Transaction(Root root)
    : m_store(RootStore::of(root)), m_lock(new Lock{std::unique_lock(m_store.mutex())}),
      m_status(m_store.beginWrite())
{
    m_open = m_status == ERROR_SUCCESS;
}

Transaction::~Transaction()
{
    rollback();
}

LSTATUS Transaction::commit()
{
    if (!m_open)
        return m_status == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : m_status;
    m_open = false;
    return m_store.endWrite(true);
}

void Transaction::rollback()
{
    if (m_open)
        m_store.endWrite(false);
    m_open = false;
}

} // namespace reg
