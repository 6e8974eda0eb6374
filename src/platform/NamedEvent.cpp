#include "NamedEvent.h"

#include "UserRights.h"
#include "trace/Trace.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <pwd.h>
#include <semaphore.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A copy elevated for a user creates the event in that user's name, but as root: it hands the
// semaphore to the user, with the mode the user's own copy gives it, or neither the client nor the
// user's copy could open it. One an older elevated copy left to root is handed over as well.
void GiveToSessionUser(const QByteArray& name)
{
    const uid_t user = SessionUid();
    if (user == ::geteuid())
        return;
    // glibc keeps a named semaphore as the file "sem." and the name without its slash in /dev/shm,
    // whose sticky bit lets nobody else replace a file root owns.
    const QByteArray path = "/dev/shm/sem." + name.mid(1);
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == 0) {
        passwd entry {};
        passwd* found = nullptr;
        char buffer[4096];
        const bool known = ::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found;
        if (::fchown(fd, user, known ? entry.pw_gid : gid_t(-1)) != 0 || ::fchmod(fd, 0600) != 0)
            TRACE("SignalNamedEvent: %s not handed to uid %u: %s", path.constData(), unsigned(user),
                  std::strerror(errno));
    }
    ::close(fd);
}

} // namespace

QByteArray NamedEventSemaphoreName(const QString& eventName)
{
    // A semaphore name holds no slash after the first; the uid keeps users' events apart in the
    // one namespace all users share. A name too long for the system makes sem_open fail.
    QString name = eventName;
    name.replace(u'\\', u'_').replace(u'/', u'_');
    return '/' + name.toUtf8() + '.' + QByteArray::number(SessionUid());
}

bool SignalNamedEvent(const QString& eventName)
{
    const QByteArray name = NamedEventSemaphoreName(eventName);
    sem_t* event = ::sem_open(name.constData(), O_CREAT, 0600, 0);
    if (event == SEM_FAILED) {
        TRACE("SignalNamedEvent: %s: %s", name.constData(), std::strerror(errno));
        return false;
    }
    GiveToSessionUser(name);
    // Reset, then set: however often it was signalled unseen, a waiter wakes once.
    while (::sem_trywait(event) == 0) {
    }
    ::sem_post(event);
    ::sem_close(event);
    return true;
}

bool TryWaitNamedEvent(const QString& eventName)
{
    sem_t* event = ::sem_open(NamedEventSemaphoreName(eventName).constData(), 0);
    if (event == SEM_FAILED)
        return false;
    const bool signalled = ::sem_trywait(event) == 0;
    ::sem_close(event);
    return signalled;
}

void UnlinkNamedEvent(const QString& eventName)
{
    ::sem_unlink(NamedEventSemaphoreName(eventName).constData());
}

} // namespace platform
