#pragma once
// Window messages that cross process boundaries. A "window" of a class is a local socket of that
// name in $XDG_RUNTIME_DIR; a posted message is one ASCII line holding its number in hex.

#include <QString>

#include <cstdint>

namespace platform {

constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_USER = 0x0400;
// Sent to the utility's control window to bring the sheet to the front.
constexpr std::uint32_t WM_BRING_TO_FRONT = WM_USER + 0x101;

// The utility's hidden control window and the client's main window.
inline const QString kCustomizerWndClass = QStringLiteral("VelkorQuaystarCustomizerWndClass");
inline const QString kClientWndClass = QStringLiteral("VelkorQuaystarWndClass");

// The user's private folder of sockets and locks: $XDG_RUNTIME_DIR, else a folder of the user's
// own under /tmp, else one in the user's cache when the one under /tmp is not private to the user.
// Empty when no usable folder exists.
QString RuntimeFolder();

// Path of the socket that stands for the top-level window of a class.
QString WindowSocketPath(const QString& windowClass);

// "0x0010\n" for WM_CLOSE; ParseMessageLine accepts the line with or without its line feed.
QByteArray FormatMessageLine(std::uint32_t message);
bool ParseMessageLine(const QByteArray& line, std::uint32_t* message);

// Finds the window of the class and posts it the message. False when there is no such window
// (nobody listening); the message is delivered before this returns true.
bool PostWindowMessage(const QString& windowClass, std::uint32_t message);

} // namespace platform
