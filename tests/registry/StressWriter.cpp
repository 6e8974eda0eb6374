// A second process for the store's concurrency tests: writes its own values one by one, and after
// each one increments a shared counter in a read-modify-write transaction. Any failed call ends the
// process with status 1 and a line naming the call.

#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <cstdio>
#include <cstdlib>

using namespace reg;

namespace {

bool Ok(const char* what, int n, LSTATUS status)
{
    if (status != ERROR_SUCCESS)
        std::fprintf(stderr, "%s %d failed: %d\n", what, n, status);
    return status == ERROR_SUCCESS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: reg_stress_writer ID COUNT\n");
        return 2;
    }
    const QString id = QString::fromLocal8Bit(argv[1]);
    Key key;
    if (!Ok("create", 0, RegCreateKeyEx(HKEY_CURRENT_USER, "Stress", KEY_ALL_ACCESS, key.put())))
        return 1;
    for (int n = 0, count = std::atoi(argv[2]); n < count; ++n) {
        if (!Ok("set", n, SetDword(key, id + QString::number(n), DWORD(n))))
            return 1;
        Transaction tx(Root::CurrentUser);
        DWORD counter = 0;
        QueryDword(key, "counter", &counter);
        if (!Ok("begin", n, tx.status()) || !Ok("increment", n, SetDword(key, "counter", counter + 1))
            || !Ok("commit", n, tx.commit()))
            return 1;
    }
    return 0;
}
