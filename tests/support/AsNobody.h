#pragma once
// Runs a check as the unprivileged user nobody (uid and gid 65534) in a forked child, for cases
// that need a real user who is not the superuser. Files the check uses must be prepared for it.

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

constexpr unsigned kNobody = 65534;

// True when this process can switch users (it runs as root).
inline bool CanRunAsNobody() { return ::geteuid() == 0; }

// The check's result; false when the child could not drop its rights or did not end in time.
inline bool RunAsNobody(const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);   // a check that hangs ends as a failure
        const gid_t group = kNobody;
        if (::setgroups(1, &group) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
