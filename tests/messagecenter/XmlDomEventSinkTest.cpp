#include "FeedTestData.h"

#include "messagecenter/XmlDomEventSink.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace mc;
using namespace std::chrono_literals;

namespace {

constexpr auto kShortTimeout = 300ms;
constexpr qint64 kSmallCap = 64 * 1024;
// Long enough for a second or late completion to show.
constexpr auto kSettle = 100ms;

QByteArray Http(int status, const QByteArray& body, const QByteArray& header = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Test\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n" + header + "\r\n" + body;
}

// HTTP/1.1 on loopback, one request per connection, a fixed answer per path; other paths stall.
class HttpServer {
public:
    HttpServer()
    {
        m_answers["/feed"] = m_answers["/redirect/0"] = Http(200, Fixture("rss2.xml"));
        for (int n = 1; n <= 6; ++n)
            m_answers["/redirect/" + QByteArray::number(n)] =
                Http(302, {}, "Location: /redirect/" + QByteArray::number(n - 1) + "\r\n");
        m_answers["/missing"] = Http(404, "<error>not found</error>");
        m_answers["/broken"] = Http(500, "<error>server</error>");
        m_answers["/page"] = Http(200, "<!DOCTYPE html><html><body><p>Feeds<br>here</body></html>");
        m_answers["/big"] = Http(200, "<r>" + QByteArray(kSmallCap, 'x') + "</r>");
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
                    return;
                lastRequest = socket->readAll();
                const auto answer = m_answers.constFind(lastRequest.split(' ').value(1));
                if (answer != m_answers.cend()) {
                    socket->write(*answer);
                    socket->disconnectFromHost();
                }
            });
        });
    }

    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path));
    }

    QByteArray lastRequest;

private:
    QTcpServer m_server;
    QHash<QByteArray, QByteArray> m_answers;
};

HttpServer& Server()
{
    static HttpServer server;
    return server;
}

struct Outcome {
    std::vector<int> states;
    std::shared_ptr<const XmlDocument> document;
};

// Records what a sink reports from start() until a little after its completion; a load that has
// not completed after 5 s shows as one without kCompleted.
Outcome Watch(CXmlDomEventSink& sink, const std::function<void()>& start)
{
    Outcome outcome;
    QEventLoop loop;
    const auto connection = QObject::connect(&sink, &CXmlDomEventSink::readyStateChange,
        [&](int state, std::shared_ptr<const XmlDocument> document) {
            outcome.states.push_back(state);
            if (state == CXmlDomEventSink::kCompleted) {
                outcome.document = std::move(document);
                QTimer::singleShot(kSettle, &loop, &QEventLoop::quit);
            }
        });
    QTimer::singleShot(5s, &loop, &QEventLoop::quit);
    start();
    loop.exec();
    QObject::disconnect(connection);
    return outcome;
}

const std::vector<int> kOneLoad = {CXmlDomEventSink::kLoading, CXmlDomEventSink::kCompleted};

struct LoadCase {
    std::string name;
    std::function<QString()> target;
    const char* root;   // nullptr: completes without a document element
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class LoaderTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoaderTest, CompletesOnceWithTheRightOutcome)
{
    const LoadCase& c = GetParam();
    QObject owner;
    auto* sink = new CXmlDomEventSink(&owner);
    sink->setTimeout(kShortTimeout);
    sink->setMaxBodySize(kSmallCap);
    const Outcome outcome = Watch(*sink, [&] { sink->load(c.target()); });

    EXPECT_EQ(outcome.states, kOneLoad);
    ASSERT_TRUE(outcome.document);
    const XmlNode root = outcome.document->documentElement();
    EXPECT_EQ(root.isNull() ? "(none)" : root.name().toStdString(), c.root ? c.root : "(none)")
        << outcome.document->errorReason().toStdString();
    EXPECT_FALSE(sink->isLoading());
}

std::string CaseName(const testing::TestParamInfo<LoadCase>& info)
{
    return info.param.name;
}

std::function<QString()> Url(const char* path)
{
    return [path] { return Server().url(path); };
}

std::function<QString()> File(const char* name)
{
    return [name] { return FixturePath(name); };
}

QString RefusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1/feed").arg(probe.serverPort());
}

INSTANTIATE_TEST_SUITE_P(Targets, LoaderTest, testing::ValuesIn(std::vector<LoadCase>{
    {"Feed", Url("/feed"), "rss"},
    {"RedirectsUpToTheCap", Url("/redirect/5"), "rss"},
    {"RedirectsBeyondTheCap", Url("/redirect/6"), nullptr},
    {"NotFound", Url("/missing"), nullptr},
    {"ServerError", Url("/broken"), nullptr},
    {"HtmlPage", Url("/page"), nullptr},
    {"BodyOverTheCap", Url("/big"), nullptr},
    {"ServerStallsPastTheTimeout", Url("/stall"), nullptr},
    {"ConnectionRefused", RefusedUrl, nullptr},
    {"FilePath", File("folders.opml"), "opml"},
    {"FileUrl", [] { return QUrl::fromLocalFile(FixturePath("rss1.rdf")).toString(); }, "rdf:RDF"},
    {"MissingFile", File("no-such-file.xml"), nullptr},
    {"EndlessFile", [] { return QStringLiteral("/dev/zero"); }, nullptr},
}), CaseName);

TEST(LoaderLifetimeTest, NewLoadNeverReceivesTheOlderCompletion)
{
    QObject owner;
    auto* sink = new CXmlDomEventSink(&owner);
    for (const QString& first : {Server().url("/stall"), FixturePath("folders.opml")}) {
        const Outcome outcome = Watch(*sink, [&] {
            sink->load(first);
            sink->load(Server().url("/feed"));
        });
        EXPECT_EQ(outcome.states, kOneLoad);
        ASSERT_TRUE(outcome.document);
        EXPECT_EQ(outcome.document->documentElement().name(), u"rss");
        EXPECT_TRUE(Server().lastRequest.contains("\r\nUser-Agent: QsCust/")) << Server().lastRequest.toStdString();
    }
}

TEST(LoaderLifetimeTest, OwnerGoneMidLoadGetsNothing)
{
    int reports = 0;
    for (const QString& target : {Server().url("/stall"), Server().url("/feed"), FixturePath("folders.opml")}) {
        auto owner = std::make_unique<QObject>();
        auto* sink = new CXmlDomEventSink(owner.get());
        QObject::connect(sink, &CXmlDomEventSink::readyStateChange, [&reports] { ++reports; });
        sink->load(target);
        owner.reset();
        QThreadPool::globalInstance()->waitForDone();
        QEventLoop loop;
        QTimer::singleShot(kSettle, &loop, &QEventLoop::quit);
        loop.exec();
    }
    EXPECT_EQ(reports, 0);
}

} // namespace
