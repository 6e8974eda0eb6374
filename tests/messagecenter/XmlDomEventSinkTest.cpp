// The loader against a local HTTP server and local files.

#include "FeedTestData.h"
#include "GuiTest.h"

#include "feeds/XmlDomEventSink.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mc;
using namespace std::chrono_literals;

namespace {

constexpr qint64 kSmallCap = 64 * 1024;

QByteArray Http(int status, const QByteArray& body, const QByteArray& header = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Test\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\n" + header + "\r\n" + body;
}

// HTTP/1.1 on loopback, one request per connection, a fixed answer per path; unknown paths stall,
// and so does /endless after its first bytes. Like some sites, it refuses clients that do not
// name themselves.
struct HttpServer {
    HttpServer()
    {
        answers["/feed"] = answers["/redirect/0"] = Http(200, Fixture("rss2.xml"));
        answers["/ampersands"] = Http(200, Fixture("bare-ampersands.opml"));
        for (char n = '1'; n <= '6'; ++n)
            answers[QByteArray("/redirect/") + n] = Http(302, {}, QByteArray("Location: /redirect/") + char(n - 1) + "\r\n");
        answers["/notmodified"] = Http(304, {});
        answers["/endless"] = "HTTP/1.1 200 Test\r\nContent-Length: 100000000\r\n\r\n<r>" + QByteArray(kSmallCap, 'x');
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            QTcpSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->readAll();
                const QByteArray path = request.split(' ').value(1);
                if (!answers.contains(path))
                    return;
                const bool named = request.contains("\r\nUser-Agent: QsCust/");
                socket->write(named ? answers[path] : Http(403, "<error>who?</error>"));
                if (path != "/endless")
                    socket->disconnectFromHost();
            });
        });
    }

    QTcpServer server;
    QHash<QByteArray, QByteArray> answers;
};

// "http:/path" on the test server; anything else as it is.
QString Resolve(const QString& target)
{
    static HttpServer server;
    if (target.startsWith(u"http:"))
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.server.serverPort()).arg(target.mid(5));
    return target;
}

// Every load reports kLoading, then completes once: with the document element named, or with
// none and a reason. The targets are loaded one after the other; the last one completes. Local
// files that are no regular file, or that cannot be opened at once, fail at once instead of
// timing out; an owner destroyed mid-load hears nothing. Loads parse strictly unless asked to
// recover, which refuses the same hostile files.
TEST(LoaderTest, CompletesOnceWithTheRightOutcome)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo.xml"), heldFifo = folder.filePath("held.xml");
    const QString leased = folder.filePath("leased.xml"), big = folder.filePath("big.xml");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(heldFifo).constData(), 0600), 0);
    QFile(leased).open(QIODevice::WriteOnly);
    QFile(big).open(QIODevice::WriteOnly);
    QFile(big).resize(kSmallCap + 1);
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
    const struct {
        QStringList targets;
        std::string root;
        const char* reason;
        bool ownerGone = false;
        bool recover = false;
    } cases[] = {
        {{"http:/feed"}, "rss", ""},
        {{"http:/redirect/5"}, "rss", ""},
        {{"http:/redirect/6"}, "", ""},
        {{"http:/notmodified"}, "", "status 304"},
        {{"http:/endless"}, "", "larger than"},
        {{"http:/stall"}, "", "timed out"},
        {{QUrl::fromLocalFile(FixturePath("rss1.rdf")).toString()}, "rdf:RDF", ""},
        {{big}, "", "larger than"},
        {{fifo}, "", "not a regular file"},
        {{heldFifo}, "", "not a regular file"},
        {{"/dev/zero"}, "", "not a regular file"},
        {{folder.path()}, "", "not a regular file"},
        {{leaseHeld ? leased : fifo}, "", ""},
        // The older load would complete later, or sooner.
        {{"http:/stall", "http:/feed"}, "rss", ""},
        {{FixturePath("folders.opml"), "http:/feed"}, "rss", ""},
        {{"http:/stall"}, "", "", true},
        {{FixturePath("folders.opml")}, "", "", true},
        {{FixturePath("bare-ampersands.opml")}, "", ""},
        {{FixturePath("bare-ampersands.opml")}, "opml", "", false, true},
        {{"http:/ampersands"}, "opml", "", false, true},
        {{big}, "", "larger than", false, true},
        {{"/dev/zero"}, "", "not a regular file", false, true},
        {{folder.path()}, "", "not a regular file", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.targets.back().toStdString());
        std::vector<int> states;
        std::shared_ptr<const XmlDocument> document;
        auto owner = std::make_unique<QObject>();
        auto* sink = new CXmlDomEventSink(owner.get());
        sink->setTimeout(300ms);
        sink->setMaxBodySize(kSmallCap);
        if (c.recover)
            sink->setRecover(true);
        QObject::connect(sink, &CXmlDomEventSink::readyStateChange, [&](int state, std::shared_ptr<const XmlDocument> d) {
            states.push_back(state);
            if (d)
                document = std::move(d);
        });
        for (const QString& target : c.targets) {
            sink->load(Resolve(target));
            // Time for a worker to finish and queue its completion before the next load.
            QThread::msleep(50);
        }
        if (c.ownerGone)
            owner.reset();
        // Then long enough for a second or late completion to show.
        if (WaitFor([&] { return document != nullptr; }, c.ownerGone ? 0 : 5000) || c.ownerGone)
            WaitFor([] { return false; }, 100);
        if (c.ownerGone) {
            EXPECT_TRUE(states.empty());
            continue;
        }
        EXPECT_EQ(states, (std::vector<int>{CXmlDomEventSink::kLoading, CXmlDomEventSink::kCompleted}));
        ASSERT_TRUE(document);
        EXPECT_EQ(document->documentElement().name().toStdString(), c.root);
        EXPECT_TRUE(document->errorReason().contains(c.reason)) << document->errorReason().toStdString();
        EXPECT_EQ(document->errorReason().isEmpty(), !c.root.empty());
        EXPECT_EQ(document->errorReason().contains("timed out"), std::string_view(c.reason) == "timed out");
    }
}

} // namespace
