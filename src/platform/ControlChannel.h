#pragma once
// The utility's hidden control window: a local server that other programs (and the utility
// itself) post messages to. Messages arrive on the UI thread as signals.

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace platform {

class ControlChannel : public QObject {
    Q_OBJECT
public:
    explicit ControlChannel(const QString& windowClass, QObject* parent = nullptr);
    ~ControlChannel() override;

    enum class Lock { Held, NotHeld };
    // Starts listening. While this process holds the instance lock, a socket already there can
    // only be a dead copy's and is replaced, and destroy() removes the socket again. Without the
    // lock a socket already there, live or stale, is left alone and create() fails; a socket it
    // made itself stays behind for the next holder of the lock to replace.
    bool create(Lock lock);
    void destroy();
    bool isCreated() const;

    // At most this many connections stay open; a new one closes the one idle the longest.
    static constexpr std::size_t kMaxConnections = 8;
    // A connection that sends nothing for this long is closed.
    static constexpr int kIdleMs = 2000;

Q_SIGNALS:
    void messageReceived(std::uint32_t message);

private:
    bool listen(const QString& path, Lock lock);
    void acceptConnections();
    // Reads what the connection has buffered; a connection that broke the protocol is dropped.
    void read(QLocalSocket* socket);
    void drop(QLocalSocket* socket);
    void deliver(const std::vector<std::uint32_t>& messages);

    QString m_windowClass;
    std::unique_ptr<QLocalServer> m_server;
    std::vector<QLocalSocket*> m_connections;   // the one idle the longest first
};

} // namespace platform
