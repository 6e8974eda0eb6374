#pragma once
// The utility's hidden control window: a local server that other programs (and the utility
// itself) post messages to. Messages arrive on the UI thread as signals.

#include <QObject>

#include <cstdint>
#include <memory>

class QLocalServer;

namespace platform {

class ControlChannel : public QObject {
    Q_OBJECT
public:
    explicit ControlChannel(const QString& windowClass, QObject* parent = nullptr);
    ~ControlChannel() override;

    // Starts listening; a stale socket left by a dead process is replaced. Call it only while
    // holding the instance lock, so that a live copy's socket is never taken.
    bool create();
    void destroy();
    bool isCreated() const;

Q_SIGNALS:
    void messageReceived(std::uint32_t message);

private:
    QString m_windowClass;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace platform
