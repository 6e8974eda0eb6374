#pragma once
// Named auto-reset events shared with other processes of the same user: a POSIX named semaphore
// whose name holds the event name and the uid. Signalling drains, posts once and closes, so a
// waiting client wakes once and a signal with no waiter stays latched until taken.

#include <QString>

namespace platform {

inline const QString kUpdateEventName = QStringLiteral("Local\\EVENT_CUSTMIZER_UPDATE_CONTENTS");

// The semaphore name ("/" followed by the event name with '\' replaced, and ".uid").
QByteArray NamedEventSemaphoreName(const QString& eventName);

// Opens or creates the event (not signalled), resets it, sets it, closes it. False when the
// event could not be obtained; nothing else happens then. A copy elevated for a user leaves the
// event to that user.
bool SignalNamedEvent(const QString& eventName);
// Takes the signal if it is set (the auto-reset wait with a zero time-out).
bool TryWaitNamedEvent(const QString& eventName);
// For tests: removes the event's name.
void UnlinkNamedEvent(const QString& eventName);

} // namespace platform
