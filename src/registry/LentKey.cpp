#include "registry/LentKey.h"

#include <mutex>
#include <unordered_set>

namespace reg {

namespace {

// The handles a library may use: the lent ones and those it opened, so that a wrong or closed
// handle gets a status instead of touching freed memory.
struct Handles {
    std::mutex mutex;
    std::unordered_set<HKEY> lent;
    std::unordered_set<HKEY> opened;
};

Handles& Known()
{
    static Handles handles;
    return handles;
}

} // namespace

LentKey::LentKey(HKEY key) : m_key(key)
{
    std::lock_guard lock(Known().mutex);
    Known().lent.insert(key);
}

LentKey::~LentKey()
{
    std::unordered_set<HKEY> leftOpen;
    {
        std::lock_guard lock(Known().mutex);
        Known().lent.erase(m_key);
        leftOpen.swap(Known().opened);
    }
    for (HKEY key : leftOpen)
        RegCloseKey(key);
}

HKEY LentKey::Usable(HKEY key)
{
    std::lock_guard lock(Known().mutex);
    return Known().lent.count(key) || Known().opened.count(key) ? key : nullptr;
}

void LentKey::Opened(HKEY key)
{
    std::lock_guard lock(Known().mutex);
    Known().opened.insert(key);
}

LSTATUS LentKey::CloseOpened(HKEY key)
{
    {
        std::lock_guard lock(Known().mutex);
        if (!Known().opened.erase(key))
            return ERROR_INVALID_HANDLE;
    }
    return RegCloseKey(key);
}

} // namespace reg
