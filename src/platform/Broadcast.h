#pragma once
// Registered broadcast messages: a message sent to every top-level window is a D-Bus signal of the
// message's name on the session bus. A process without a session bus has nobody to tell.

#include <QString>

namespace platform {

// Where the signals come from; the client subscribes to this interface (docs/client-interface.md).
inline const QString kBroadcastPath = QStringLiteral("/org/orvane/talven/Broadcast");
inline const QString kBroadcastInterface = QStringLiteral("org.orvane.talven.Broadcast");

// Told to a running client when the colour scheme in use changed.
inline const QString kSchemeChangeMessage = QStringLiteral("PanorelAppsNotifyDbcsChange");

// Emits the signal without waiting for anyone; false when there is no session bus to send it on.
bool BroadcastMessage(const QString& message);

} // namespace platform
