#include "NamedEvent.h"

#include "Trace.h"
#include "UserRights.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <semaphore.h>
#include <unistd.h>

namespace platform {

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
