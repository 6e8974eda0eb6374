#include "ControlChannel.h"

#include "WindowMessages.h"
#include "trace/Trace.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <vector>

#include <unistd.h>

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

bool ControlChannel::create(Lock lock)
{
    if (m_server)
        return true;
    const QString path = WindowSocketPath(m_windowClass);
    if (path.isEmpty() || !listen(path, lock))
        return false;
    connect(m_server.get(), &QLocalServer::newConnection, this, &ControlChannel::acceptConnections);
    return true;
}

bool ControlChannel::listen(const QString& path, Lock lock)
{
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (lock == Lock::Held) {
        QLocalServer::removeServer(path);
        if (!server->listen(path)) {
            TRACE("ControlChannel: cannot listen on %s: %s", qPrintable(path), qPrintable(server->errorString()));
            return false;
        }
        m_server = std::move(server);
        return true;
    }
    // The socket is made under a name of this process's own and linked to its place, which fails
    // when anything is there already; the server then owns only the private name, which it
    // removes when it closes, and never the socket at the shared place.
    const QString own = path + u'.' + QString::number(QCoreApplication::applicationPid());
    if (!server->listen(own)) {
        TRACE("ControlChannel: cannot listen on %s: %s", qPrintable(own), qPrintable(server->errorString()));
        return false;
    }
    const bool linked = ::link(QFile::encodeName(own).constData(), QFile::encodeName(path).constData()) == 0;
    ::unlink(QFile::encodeName(own).constData());
    if (!linked) {
        TRACE("ControlChannel: %s left alone without the instance lock", qPrintable(path));
        return false;
    }
    m_server = std::move(server);
    return true;
}

void ControlChannel::acceptConnections()
{
    const std::vector<QLocalSocket*> older = m_connections;
    std::vector<QLocalSocket*> incoming;
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, this, [this, socket] { drop(socket); });
        idle->start(kIdleMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start(kIdleMs);
            std::erase(m_connections, socket);
            m_connections.push_back(socket);
            read(socket);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            std::vector<std::uint32_t> messages;
            TakeMessages(socket, true, &messages);
            deliver(messages);
            std::erase(m_connections, socket);
            socket->deleteLater();
        });
        incoming.push_back(socket);
        m_connections.push_back(socket);
    }
    // A sender posts its next message only once the previous one was written, so reading what
    // the older connections hold before the new ones keeps the messages in the order sent.
    for (QLocalSocket* socket : older) {
        if (socket->state() == QLocalSocket::ConnectedState)
            socket->waitForReadyRead(0);
    }
    for (QLocalSocket* socket : incoming) {
        if (socket->state() == QLocalSocket::ConnectedState)
            socket->waitForReadyRead(0);
    }
    // Everything sent so far has been read: closing the connections idle the longest loses nothing.
    while (m_connections.size() > kMaxConnections)
        drop(m_connections.front());
}

void ControlChannel::read(QLocalSocket* socket)
{
    std::vector<std::uint32_t> messages;
    const bool wellFormed = TakeMessages(socket, false, &messages);
    deliver(messages);
    if (!wellFormed) {
        TRACE("ControlChannel: connection dropped after an overlong line");
        drop(socket);
    }
}

void ControlChannel::drop(QLocalSocket* socket)
{
    std::erase(m_connections, socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

// Handlers of messageReceived may destroy this channel, which must not happen while a socket is in
// the middle of a signal: messages are delivered from the event loop instead.
void ControlChannel::deliver(const std::vector<std::uint32_t>& messages)
{
    for (const std::uint32_t message : messages) {
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                if (m_server)
                    Q_EMIT messageReceived(message);
            },
            Qt::QueuedConnection);
    }
}

void ControlChannel::destroy()
{
    // Closing the server removes the socket it listens on; the connections go with it.
    m_connections.clear();
    m_server.reset();
}

bool ControlChannel::isCreated() const { return bool(m_server); }

} // namespace platform
