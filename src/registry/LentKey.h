#pragma once
// A key lent to a library the program loaded, for the length of one call into it: the store's
// exported C functions take only handles lent or opened through them, refuse to close a lent one,
// and the handles the library opened and left open are closed when the loan ends.

#include "registry/Registry.h"

namespace reg {

class LentKey {
public:
    explicit LentKey(HKEY key);
    ~LentKey();
    LentKey(const LentKey&) = delete;
    LentKey& operator=(const LentKey&) = delete;

    // For the exported functions: the handle when a library may use it, else null (which every
    // store call refuses); a handle the library opened; closing one, refused for any other.
    static HKEY Usable(HKEY key);
    static void Opened(HKEY key);
    static LSTATUS CloseOpened(HKEY key);

private:
    HKEY m_key;
};

} // namespace reg
