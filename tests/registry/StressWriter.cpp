// A second process for the store's concurrency tests: writes its own values one by one, and after
// each one increments a shared counter in a read-modify-write transaction. A failed call ends the
// process with status 1.

#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

using namespace reg;

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2; // usage: reg_stress_writer ID COUNT
    Key key;
    LSTATUS status = RegCreateKeyEx(HKEY_CURRENT_USER, "Stress", KEY_ALL_ACCESS, key.put());
    for (int n = 0, count = std::atoi(argv[2]); status == ERROR_SUCCESS && n < count; ++n) {
        if ((status = SetDword(key, QString::fromLocal8Bit(argv[1]) + QString::number(n), DWORD(n))) != ERROR_SUCCESS)
            break;
        Transaction tx(Root::CurrentUser);
        DWORD counter = 0;
        QueryDword(key, "counter", &counter);
        ::usleep(100); // room for the other writer between the read and the write, unless it must wait
        if ((status = tx.status()) == ERROR_SUCCESS && (status = SetDword(key, "counter", counter + 1)) == ERROR_SUCCESS)
            status = tx.commit();
    }
    if (status != ERROR_SUCCESS)
        std::fprintf(stderr, "reg_stress_writer: %s: a write failed: %d\n", argv[1], int(status));
    return status == ERROR_SUCCESS ? 0 : 1;
}
