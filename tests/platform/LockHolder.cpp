// Another copy of the utility as other processes see it: takes the instance lock named first on
// the command line, then opens the control window of the class named second, prints the outcome
// and keeps both until its standard input closes.

#include "platform/ControlChannel.h"
#include "platform/InstanceLock.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    using Result = platform::InstanceLock::Result;
    QCoreApplication application(argc, argv);
    const QStringList names = application.arguments().mid(1);
    platform::InstanceLock lock(names.value(0));
    platform::ControlChannel channel(names.value(1));
    const Result result = lock.acquire();
    const bool holding = result == Result::Acquired && channel.create(platform::ControlChannel::Lock::Held);
    std::puts(holding ? "acquired" : result == Result::AlreadyExists ? "exists" : "failed");
    std::fflush(stdout);
    while (holding && std::getchar() != EOF) {
    }
}
