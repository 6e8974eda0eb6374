#include "platform/Broadcast.h"

#include "trace/Trace.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform {

bool BroadcastMessage(const QString& message)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        TRACE("BroadcastMessage : no session bus for %s", qUtf8Printable(message));
        return false;
    }
    return bus.send(QDBusMessage::createSignal(kBroadcastPath, kBroadcastInterface, message));
}

} // namespace platform
