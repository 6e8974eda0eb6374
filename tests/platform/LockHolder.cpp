// Takes the instance lock named on the command line, reports the outcome on standard output and
// holds the lock until its standard input closes.

#include "platform/InstanceLock.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    using Result = platform::InstanceLock::Result;
    platform::InstanceLock lock(QString::fromLocal8Bit(argv[1]));
    const Result result = lock.acquire();
    std::puts(result == Result::Acquired        ? "acquired"
              : result == Result::AlreadyExists ? "exists"
                                                : "failed");
    std::fflush(stdout);
    if (result == Result::Acquired) {
        while (std::getchar() != EOF) {
        }
    }
    return 0;
}
