// A second process for the store's concurrency tests: writes its own values one by one, and after
// each one increments a shared counter in a read-modify-write transaction. Any failed call ends the
// process with status 1 and a line naming the call.

#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <cstdio>
#include <cstdlib>

using namespace reg;

namespace {

bool Fail(const char* what, int n, LSTATUS status)
{
    std::fprintf(stderr, "%s %d failed: %d\n", what, n, status);
    return false;
}

bool Run(const QString& id, int count)
{
    Key key;
    LSTATUS status = RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Stress"), KEY_ALL_ACCESS, key.put());
    if (status != ERROR_SUCCESS)
        return Fail("create", 0, status);
    for (int n = 0; n < count; ++n) {
        if ((status = SetDword(key, id + QString::number(n), DWORD(n))) != ERROR_SUCCESS)
            return Fail("set", n, status);
        Transaction tx(Root::CurrentUser);
        if ((status = tx.status()) != ERROR_SUCCESS)
            return Fail("begin", n, status);
        DWORD counter = 0;
        QueryDword(key, QStringLiteral("counter"), &counter);
        if ((status = SetDword(key, QStringLiteral("counter"), counter + 1)) != ERROR_SUCCESS)
            return Fail("increment", n, status);
        if ((status = tx.commit()) != ERROR_SUCCESS)
            return Fail("commit", n, status);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: reg_stress_writer ID COUNT\n");
        return 2;
    }
    return Run(QString::fromLocal8Bit(argv[1]), std::atoi(argv[2])) ? 0 : 1;
}
