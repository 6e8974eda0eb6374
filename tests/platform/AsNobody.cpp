#include "AsNobody.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

bool CanRunAsNobody() { return ::geteuid() == 0; }

bool RunAsNobody(const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t group = kNobody;
        if (::setgroups(1, &group) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    if (child < 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (timer.elapsed() > 5000) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        QThread::msleep(5);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
