#include "ControlChannel.h"

#include "Trace.h"
#include "WindowMessages.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// A message line is a dozen bytes; a sender that goes far beyond that in one line is not talking
// this protocol.
constexpr qint64 kMaxLine = 64;

// Takes the messages of the complete lines the connection has buffered and, at its end, of the
// last line even without a line feed; lines that are not messages are skipped. False once the
// connection sent an overlong line.
bool TakeMessages(QLocalSocket* socket, bool atEnd, std::vector<std::uint32_t>* messages)
{
    auto take = [messages](const QByteArray& line) {
        std::uint32_t message = 0;
        if (ParseMessageLine(line, &message))
            messages->push_back(message);
        else
            TRACE("ControlChannel: line ignored (%lld bytes)", qlonglong(line.size()));
    };
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        if (line.size() > kMaxLine)
            return false;
        take(line);
    }
    if (socket->bytesAvailable() > kMaxLine)
        return false;
    if (atEnd && socket->bytesAvailable() > 0)
        take(socket->readAll());
    return true;
}

} // namespace

ControlChannel::ControlChannel(const QString& windowClass, QObject* parent)
    : QObject(parent)
    , m_windowClass(windowClass)
{
}

ControlChannel::~ControlChannel() = default;

bool ControlChannel::create()
{
    if (m_server)
        return true;
    const QString path = WindowSocketPath(m_windowClass);
    if (path.isEmpty())
        return false;
    // The caller holds the instance lock, so a socket already there was left by a dead copy.
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        TRACE("ControlChannel: cannot listen on %s: %s", qPrintable(path),
              qPrintable(server->errorString()));
        return false;
    }
    m_server = std::move(server);

    // Handlers of messageReceived may destroy this channel, which must not happen while a socket
    // is in the middle of a signal: messages are delivered from the event loop instead.
    auto deliver = [this](const std::vector<std::uint32_t>& messages) {
        for (const std::uint32_t message : messages) {
            QMetaObject::invokeMethod(
                this,
                [this, message] {
                    if (m_server)
                        Q_EMIT messageReceived(message);
                },
                Qt::QueuedConnection);
        }
    };
    auto read = [this, deliver](QLocalSocket* socket) {
        std::vector<std::uint32_t> messages;
        const bool wellFormed = TakeMessages(socket, false, &messages);
        deliver(messages);
        if (!wellFormed) {
            TRACE("ControlChannel: connection dropped after an overlong line");
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        }
    };
    connect(m_server.get(), &QLocalServer::newConnection, this, [this, read, deliver] {
        const auto older = m_server->findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly);
        std::vector<QLocalSocket*> incoming;
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [socket, read] { read(socket); });
            connect(socket, &QLocalSocket::disconnected, this, [socket, deliver] {
                std::vector<std::uint32_t> messages;
                TakeMessages(socket, true, &messages);
                deliver(messages);
                socket->deleteLater();
            });
            incoming.push_back(socket);
        }
        // A sender posts its next message only once the previous one was written, so reading what
        // the older connections hold before the new ones keeps the messages in the order sent.
        for (QLocalSocket* socket : older) {
            if (std::find(incoming.begin(), incoming.end(), socket) == incoming.end() &&
                socket->state() == QLocalSocket::ConnectedState)
                socket->waitForReadyRead(0);
        }
        for (QLocalSocket* socket : incoming)
            socket->waitForReadyRead(0);
    });
    return true;
}

void ControlChannel::destroy()
{
    // Closing the server removes its socket file; the connections go with it.
    m_server.reset();
}

bool ControlChannel::isCreated() const { return bool(m_server); }

} // namespace platform
