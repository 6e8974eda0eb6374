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
    LSTATUS status = argc == 3 ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER; // usage: reg_stress_writer ID COUNT
    for (int n = 0, count = status ? 0 : std::atoi(argv[2]); status == ERROR_SUCCESS && n < count; ++n) {
        if ((status = SetDword(HKEY_CURRENT_USER, QString::fromLocal8Bit(argv[1]) + QString::number(n), DWORD(n))))
            break;
        Transaction tx(Root::CurrentUser);
        DWORD counter = 0;
        QueryDword(HKEY_CURRENT_USER, "counter", &counter);
        ::usleep(100); // room for the other writer between the read and the write, unless it must wait
        if (!(status = tx.status()) && !(status = SetDword(HKEY_CURRENT_USER, "counter", counter + 1)))
            status = tx.commit();
    }
    if (status != ERROR_SUCCESS)
        std::fprintf(stderr, "reg_stress_writer: a write failed: %d\n", int(status));
    return status == ERROR_SUCCESS ? 0 : 1;
}
