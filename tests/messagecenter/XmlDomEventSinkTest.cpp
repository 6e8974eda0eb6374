// The loader against a local HTTP server and local files: every load reports kLoading and then
// completes exactly once, a newer load never gets an older completion, and an owner destroyed
// mid-load hears nothing.

#include "FeedTestData.h"
#include "GuiTest.h"

#include "feeds/XmlDomEventSink.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mc;
using namespace std::chrono_literals;

namespace {

constexpr qint64 kSmallCap = 64 * 1024;
// Long enough for a second or late completion to show.
constexpr int kSettleMs = 100;

QByteArray Http(int status, const QByteArray& body, const QByteArray& header = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Test\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n" + header + "\r\n" + body;
}

// HTTP/1.1 on loopback, one request per connection, a fixed answer per path; other paths stall.
// Like some sites, it refuses clients that do not name themselves.
struct HttpServer {
    HttpServer()
    {
        answers["/feed"] = answers["/redirect/0"] = Http(200, Fixture("rss2.xml"));
        for (int n = 1; n <= 6; ++n) {
            const QByteArray next = "/redirect/" + QByteArray::number(n - 1);
            answers["/redirect/" + QByteArray::number(n)] = Http(302, {}, "Location: " + next + "\r\n");
        }
        answers["/missing"] = Http(404, "<error>not found</error>");
        answers["/broken"] = Http(500, "<error>server</error>");
        answers["/nolocation"] = Http(302, "<rss/>");
        answers["/page"] = Http(200, "<!DOCTYPE html><html><body><p>Feeds<br>here</body></html>");
        answers["/big"] = Http(200, "<r>" + QByteArray(kSmallCap, 'x') + "</r>");
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            QTcpSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
                    return;
                const QByteArray request = socket->readAll();
                const auto answer = answers.constFind(request.split(' ').value(1));
                if (answer == answers.cend())
                    return;
                socket->write(request.contains("\r\nUser-Agent: QsCust/") ? *answer : Http(403, "<error>who?</error>"));
                socket->disconnectFromHost();
            });
        });
    }

    QTcpServer server;
    QHash<QByteArray, QByteArray> answers;
};

HttpServer& Server()
{
    static HttpServer server;
    return server;
}

// "http:/path" on the test server, "@name" a test file, "file:@name" its URL, "refused" a port
// nobody listens on; anything else as it is.
QString Resolve(const QString& target)
{
    QTcpServer probe;   // closed again on return
    if (target == u"refused" && probe.listen(QHostAddress::LocalHost))
        return QStringLiteral("http://127.0.0.1:%1/feed").arg(probe.serverPort());
    if (target.startsWith(u"http:"))
        return QStringLiteral("http://127.0.0.1:%1%2").arg(Server().server.serverPort()).arg(target.mid(5));
    if (target.startsWith(u"file:@"))
        return QUrl::fromLocalFile(FixturePath(target.mid(6))).toString();
    return target.startsWith(u'@') ? FixturePath(target.mid(1)) : target;
}

// Every load reports kLoading, then completes once: with the document element named, or with
// none. The targets are loaded one after the other; the last one completes.
TEST(LoaderTest, CompletesOnceWithTheRightOutcome)
{
    const struct { std::vector<const char*> targets; std::string root; } cases[] = {
        {{"http:/feed"}, "rss"},
        {{"http:/redirect/5"}, "rss"},
        {{"http:/redirect/6"}, ""},
        {{"http:/missing"}, ""},
        {{"http:/broken"}, ""},
        {{"http:/nolocation"}, ""},
        {{"http:/page"}, ""},
        {{"http:/big"}, ""},
        {{"http:/stall"}, ""},
        {{"refused"}, ""},
        {{"@folders.opml"}, "opml"},
        {{"file:@rss1.rdf"}, "rdf:RDF"},
        {{"@no-such-file.xml"}, ""},
        {{"/dev/zero"}, ""},
        // The older load would complete later, or sooner.
        {{"http:/stall", "http:/feed"}, "rss"},
        {{"@folders.opml", "http:/feed"}, "rss"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.targets.back());
        std::vector<int> states;
        std::shared_ptr<const XmlDocument> document;
        QObject owner;
        auto* sink = new CXmlDomEventSink(&owner);
        sink->setTimeout(300ms);
        sink->setMaxBodySize(kSmallCap);
        QObject::connect(sink, &CXmlDomEventSink::readyStateChange, [&](int state, std::shared_ptr<const XmlDocument> d) {
            states.push_back(state);
            if (d)
                document = std::move(d);
        });
        for (const char* target : c.targets)
            sink->load(Resolve(target));
        if (WaitFor([&] { return document != nullptr; }))
            WaitFor([] { return false; }, kSettleMs);
        EXPECT_EQ(states, (std::vector<int>{CXmlDomEventSink::kLoading, CXmlDomEventSink::kCompleted}));
        ASSERT_TRUE(document);
        EXPECT_EQ(document->documentElement().name().toStdString(), c.root) << document->errorReason().toStdString();
    }
}

TEST(LoaderLifetimeTest, OwnerGoneMidLoadGetsNothing)
{
    int reports = 0;
    for (const char* target : {"http:/stall", "http:/feed", "@folders.opml"}) {
        auto owner = std::make_unique<QObject>();
        auto* sink = new CXmlDomEventSink(owner.get());
        QObject::connect(sink, &CXmlDomEventSink::readyStateChange, [&reports] { ++reports; });
        sink->load(Resolve(target));
        owner.reset();
        WaitFor([] { return false; }, kSettleMs);
    }
    EXPECT_EQ(reports, 0);
}

// Local files that are no regular file, or that cannot be opened at once, fail at once with a
// reason instead of the time-out, and the process that loaded them still ends at once.
TEST(LoaderLocalFileTest, HostileFilesFailAtOnceAndExitDoesNotWait)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo.xml");
    const QString heldFifo = folder.filePath("held.xml");
    const QString leased = folder.filePath("leased.xml");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(heldFifo).constData(), 0600), 0);
    QFile(leased).open(QIODevice::WriteOnly);
    // A writer that never writes: a reader's open succeeds and its read waits for ever.
    const int writer = ::open(QFile::encodeName(heldFifo).constData(), O_RDWR | O_NONBLOCK);
    // A write lease makes another open wait until the holder lets go, as a file server may.
    const auto oldHandler = std::signal(SIGIO, SIG_IGN);
    const int lease = ::open(QFile::encodeName(leased).constData(), O_RDONLY);
    const bool leaseHeld = ::fcntl(lease, F_SETLEASE, F_WRLCK) == 0;
    const auto release = qScopeGuard([&] {
        ::close(lease);
        std::signal(SIGIO, oldHandler);
        ::close(writer);
    });

    const QString big = folder.filePath("big.xml");
    QFile(big).open(QIODevice::WriteOnly);
    QFile(big).resize(CXmlDomEventSink::kDefaultMaxBodySize + 1);

    // The reason of a failure holds the text given, when there is one.
    const struct { const char* name; QString path; const char* root; const char* reason; } cases[] = {
        {"a regular file", FixturePath("folders.opml"), "opml", ""},
        {"a file over the cap", big, "", "larger than"},
        {"a FIFO nobody writes to", fifo, "", "not a regular file"},
        {"a FIFO whose writer is silent", heldFifo, "", "not a regular file"},
        {"an endless device", QStringLiteral("/dev/zero"), "", "not a regular file"},
        {"a directory", folder.path(), "", "not a regular file"},
        {"a file under a lease", leased, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.path == leased && !leaseHeld)
            continue;
        QProcess child;
        child.start(LOADER_CHILD, {c.path});
        const bool ended = child.waitForFinished(3000);
        EXPECT_TRUE(ended) << "the exit waited";
        if (!ended) {
            child.kill();
            child.waitForFinished();
        }
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split('|');
        ASSERT_EQ(fields.size(), 3);
        EXPECT_EQ(fields[0], "4");
        EXPECT_EQ(fields[1], c.root);
        EXPECT_EQ(fields[2].isEmpty(), *c.root != 0) << "a reason when it failed";
        EXPECT_TRUE(fields[2].contains(c.reason)) << fields[2].toStdString();
        EXPECT_FALSE(fields[2].contains("timed out"));
    }
}

} // namespace
