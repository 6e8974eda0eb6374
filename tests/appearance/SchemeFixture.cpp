#include "SchemeFixture.h"

#include "GuiTest.h"
#include "platform/Broadcast.h"
#include "registry/RegFileWriter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

namespace fixture {

void PutScheme(reg::HKEY root, const QString& rootPath, const QString& keyName, reg::DWORD fg, reg::DWORD bg,
               reg::DWORD mastHead, const QString& image, const QString& osd)
{
    const QString path = rootPath + u'\\' + keyName;
    PutDword(root, path, "FgColor", fg);
    PutDword(root, path, "BgColor", bg);
    PutDword(root, path, "UseMastHead", mastHead);
    PutString(root, path, "BgImage", image);
    PutString(root, path, "BgImageOSD", osd);
}

QString Stored(const QString& pictures)
{
    QString text;
    for (const auto& [root, path] : {std::pair{reg::Root::CurrentUser, kRoot}, {reg::Root::LocalMachine, QStringLiteral("Software")}}) {
        QByteArray file;
        text += reg::ExportRegFile(root, path, &file) != reg::ERROR_SUCCESS
                    ? QStringLiteral("<missing>\n")
                    : QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2);
    }
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(pictures, "<pictures>");
}

QString Expected(const QString& name, const QString& actual)
{
    QFile file(QStringLiteral(APPEARANCE_TEST_DATA "/") + name);
    if (qEnvironmentVariableIsSet("APPEARANCE_UPDATE_EXPECTED") && file.open(QIODevice::WriteOnly))
        file.write(actual.toUtf8());
    file.close();
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromUtf8(file.readAll());
}

void Touch(const QString& path) { EXPECT_TRUE(QFile(path).open(QIODevice::WriteOnly)) << path.toStdString(); }

namespace {

class Counter : public QObject {
    Q_OBJECT
public:
    int schemes = 0;
    int pings = 0;
public Q_SLOTS:
    void received(const QDBusMessage& message) { ++(message.member() == platform::kSchemeChangeMessage ? schemes : pings); }
};

struct PrivateBus {
    PrivateBus()
    {
        // The daemon ends with this process.
        daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        EXPECT_TRUE(daemon.waitForReadyRead(5000));
        const QByteArray address = daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection listener = QDBusConnection::connectToBus(QString::fromUtf8(address), "listener");
        for (const QString& member : {platform::kSchemeChangeMessage, QStringLiteral("Ping")})
            listener.connect({}, platform::kBroadcastPath, platform::kBroadcastInterface, member, &counter, SLOT(received(QDBusMessage)));
    }
    QProcess daemon;
    Counter counter;
    int pingsSent = 0;
};

} // namespace

int SchemeSignals()
{
    // Left to the end of the process: the bus must outlive the application object.
    static PrivateBus* bus = new PrivateBus;
    // Signals from one connection arrive in order: once the ping is in, so is all before it.
    QDBusConnection::sessionBus().send(QDBusMessage::createSignal(platform::kBroadcastPath, platform::kBroadcastInterface, "Ping"));
    const int sent = ++bus->pingsSent;
    EXPECT_TRUE(WaitFor([&] { return bus->counter.pings >= sent; }));
    return bus->counter.schemes;
}

} // namespace fixture

#include "SchemeFixture.moc"
