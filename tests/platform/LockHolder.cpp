// Another copy of the utility as other processes see it: takes the instance lock named first on
// the command line, then opens the control window of the class named second, prints whether it
// holds both and keeps them until its standard input closes or it is killed.

#include "platform/ControlChannel.h"
#include "platform/InstanceLock.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    platform::InstanceLock lock(application.arguments().value(1));
    platform::ControlChannel channel(application.arguments().value(2));
    const bool holding = lock.acquire() == platform::InstanceLock::Result::Acquired
                         && channel.create(platform::ControlChannel::Lock::Held);
    std::puts(holding ? "acquired" : "failed");
    std::fflush(stdout);
    while (holding && std::getchar() != EOF) {
    }
}
