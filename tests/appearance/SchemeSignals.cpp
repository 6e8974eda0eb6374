#include "SchemeFixture.h"

#include "GuiTest.h"
#include "platform/Broadcast.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

namespace fixture {
namespace {

const QString kPing = QStringLiteral("Ping");

class Counter : public QObject {
    Q_OBJECT
public:
    int schemes = 0;
    int pings = 0;

public Q_SLOTS:
    void scheme() { ++schemes; }
    void ping() { ++pings; }
};

struct PrivateBus {
    PrivateBus()
    {
        // The daemon ends when this process does.
        daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        EXPECT_TRUE(daemon.waitForReadyRead(5000)) << "dbus-daemon did not start";
        const QByteArray address = daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        listener = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("listener"));
        EXPECT_TRUE(listener.isConnected());
        listener.connect(QString(), platform::kBroadcastPath, platform::kBroadcastInterface,
                         platform::kSchemeChangeMessage, &counter, SLOT(scheme()));
        listener.connect(QString(), platform::kBroadcastPath, platform::kBroadcastInterface, kPing, &counter, SLOT(ping()));
    }

    QProcess daemon;
    QDBusConnection listener{QString()};
    Counter counter;
    int pingsSent = 0;
};

PrivateBus& Bus()
{
    // Left to the end of the process: the bus must outlive the application object.
    static PrivateBus* bus = new PrivateBus;
    return *bus;
}

} // namespace

int SchemeSignals::Received()
{
    PrivateBus& bus = Bus();
    // Signals from one connection arrive in order: once the ping is in, so is all before it.
    QDBusConnection::sessionBus().send(QDBusMessage::createSignal(platform::kBroadcastPath, platform::kBroadcastInterface, kPing));
    const int expected = ++bus.pingsSent;
    EXPECT_TRUE(WaitFor([&] { return bus.counter.pings >= expected; }));
    return bus.counter.schemes;
}

} // namespace fixture

#include "SchemeSignals.moc"
