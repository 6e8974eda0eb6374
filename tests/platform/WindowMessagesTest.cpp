// Message lines, the runtime folder, and the control channel fed by PostWindowMessage and by raw
// connections that split, bundle or garble their lines.

#include "TestLoop.h"
#include "platform/ControlChannel.h"
#include "platform/WindowMessages.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace platform;

namespace {

const QString kClass = QStringLiteral("QsCustTestWndClass");
constexpr std::uint32_t kMarker = 0x7E57;

TEST(MessageLineTest, OneHexNumberPerLine)
{
    const struct { const char* line; std::uint32_t message; bool formatted; } valid[] = {
        {"0x0010\n", WM_CLOSE, true}, {"0x0501\n", WM_BRING_TO_FRONT, true}, {"0x0000\n", 0, true},
        {"0x12345\n", 0x12345, true}, {"0xffffffff\n", 0xFFFFFFFF, true}, {"0x0010", 0x10, false},
        {"0x0501\r\n", 0x501, false}, {"0XaBc\n", 0xABC, false}, {"0x00000001", 1, false},
    };
    for (const auto& c : valid) {
        if (c.formatted) {
            EXPECT_EQ(FormatMessageLine(c.message), c.line);
        }
        std::uint32_t parsed = 0;
        EXPECT_TRUE(ParseMessageLine(c.line, &parsed)) << c.line;
        EXPECT_EQ(parsed, c.message) << c.line;
    }
    for (const char* line : {"", "\n", "0x\n", "0010\n", " 0x0010\n", "0x0010 \n", "0x-1\n",
                             "0x+10\n", "0x123456789\n", "0x0010\n\n", "0x00g0\n",
                             "0x0010\n0x0501\n", "\r\n0x10"}) {
        std::uint32_t parsed = 42;
        EXPECT_FALSE(ParseMessageLine(line, &parsed)) << line;
        EXPECT_EQ(parsed, 42u) << line;
    }
}

TEST(RuntimeFolderTest, SocketsLiveInTheRuntimeFolderOrInAPrivateOneInTmp)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(WindowSocketPath("Local\\Name"), QFile::decodeName(runtime) + "/Local_Name");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = RuntimeFolder();
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_EQ(fallback, QString("/tmp/talven-%1").arg(::geteuid()));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fallback).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

class ControlChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&channel, &ControlChannel::messageReceived,
                         [this](std::uint32_t message) { received.push_back(message); });
        ASSERT_TRUE(channel.create());
    }

    // Everything sent before the marker has been read once the marker arrives.
    std::vector<std::uint32_t> ReceivedUpToMarker()
    {
        EXPECT_TRUE(PostWindowMessage(kClass, kMarker));
        EXPECT_TRUE(WaitFor([this] { return !received.empty() && received.back() == kMarker; }));
        return received;
    }

    ControlChannel channel{kClass};
    std::vector<std::uint32_t> received;
};

TEST_F(ControlChannelTest, PostedMessagesArriveInOrderFromAnyThread)
{
    EXPECT_TRUE(PostWindowMessage(kClass, WM_CLOSE));
    EXPECT_TRUE(PostWindowMessage(kClass, WM_BRING_TO_FRONT));
    // A thread without an event loop, posting while this one reads.
    std::unique_ptr<QThread> poster(QThread::create([] {
        for (std::uint32_t message = 1; message <= 20; ++message)
            PostWindowMessage(kClass, message);
    }));
    poster->start();
    ASSERT_TRUE(WaitFor([&] { return poster->isFinished(); }));
    std::vector<std::uint32_t> expected{WM_CLOSE, WM_BRING_TO_FRONT};
    for (std::uint32_t message = 1; message <= 20; ++message)
        expected.push_back(message);
    expected.push_back(kMarker);
    EXPECT_EQ(ReceivedUpToMarker(), expected);
}

TEST_F(ControlChannelTest, WithoutServerPostFailsAtOnceAndStaleSocketIsReplaced)
{
    channel.destroy();
    const QString path = WindowSocketPath(kClass);
    EXPECT_FALSE(QFileInfo::exists(path));
    // The socket file of a process that died without closing its server.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
    EXPECT_LT(timer.elapsed(), 200);

    ASSERT_TRUE(channel.create());
    EXPECT_EQ(ReceivedUpToMarker(), std::vector<std::uint32_t>{kMarker});
}

TEST_F(ControlChannelTest, DestroyedFromItsHandlerDeliversNothingMore)
{
    QObject::connect(&channel, &ControlChannel::messageReceived, [this] { channel.destroy(); });
    QLocalSocket client;
    client.connectToServer(WindowSocketPath(kClass));
    ASSERT_TRUE(client.waitForConnected(1000));
    client.write("0x0010\n0x0501\n");
    client.flush();
    EXPECT_TRUE(WaitFor([this] { return !channel.isCreated(); }));
    Spin(20);
    EXPECT_EQ(received, std::vector<std::uint32_t>{WM_CLOSE});
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
}

struct ConnectionCase {
    const char* name;
    std::vector<QByteArray> writes;
    std::vector<std::uint32_t> messages;
    bool dropped = false;
};

void PrintTo(const ConnectionCase& c, std::ostream* out) { *out << c.name; }

class ControlConnectionTest : public ControlChannelTest,
                              public testing::WithParamInterface<ConnectionCase> {};

TEST_P(ControlConnectionTest, ReadsEveryCompleteLine)
{
    QLocalSocket client;
    client.connectToServer(WindowSocketPath(kClass));
    ASSERT_TRUE(client.waitForConnected(1000));
    for (const QByteArray& bytes : GetParam().writes) {
        client.write(bytes);
        client.flush();
        Spin(10);
    }
    if (GetParam().dropped)
        EXPECT_TRUE(WaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }));
    else
        client.disconnectFromServer();
    std::vector<std::uint32_t> expected = GetParam().messages;
    expected.push_back(kMarker);
    EXPECT_EQ(ReceivedUpToMarker(), expected);
}

INSTANTIATE_TEST_SUITE_P(Writes, ControlConnectionTest, testing::Values(
    ConnectionCase{"several_lines_at_once", {"0x0010\n0x0501\n0x0501\n"}, {0x10, 0x501, 0x501}},
    ConnectionCase{"lines_split_anywhere", {"0x0", "010\n0x05", "01", "\n"}, {0x10, 0x501}},
    ConnectionCase{"garbage_between", {"hello\n\n0xZZ\n0x0010\r\n\xff\n0x0501\n"}, {0x10, 0x501}},
    ConnectionCase{"last_line_without_feed", {"0x0010\n0x0501"}, {0x10, 0x501}},
    ConnectionCase{"overlong_line_drops_connection",
                   {"0x0010\n", QByteArray(100, 'A'), "\n0x0501\n"}, {0x10}, true}));

} // namespace
