// Message lines, the runtime folder, and the control channel fed by PostWindowMessage and by raw
// connections that split, bundle, garble or hold their lines.

#include "AsNobody.h"
#include "GuiTest.h"
#include "platform/ControlChannel.h"
#include "platform/InstanceLock.h"
#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using namespace platform;

namespace {

const QString kClass = QStringLiteral("QsCustTestWndClass");
const QString kMutex = QStringLiteral("Local\\QsCustTestMutex");
constexpr std::uint32_t kMarker = 0x7E57;

TEST(RuntimeFolderTest, WithoutAUsableFolderEveryNamedObjectFails)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(WindowSocketPath("Local\\Name"), QFile::decodeName(runtime) + "/Local_Name");
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
    EXPECT_EQ(InstanceLock(kMutex).acquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(ControlChannel(kClass).create(ControlChannel::Lock::Held));
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
    qputenv("XDG_RUNTIME_DIR", runtime);
}

// Without XDG_RUNTIME_DIR the user's folder under /tmp is made private; one that someone else made
// first, or that others may enter, is passed over for one in the user's own cache: single
// instance and the control window keep working. Run as nobody, whose /tmp folder the test prepares.
TEST(RuntimeFolderTest, FolderTakenByOthersFallsBackToTheCache)
{
    if (!CanRunAsNobody())
        GTEST_SKIP() << "needs root";
    const QString tmpFolder = QString("/tmp/talven-%1").arg(kNobody);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldHome = qgetenv("HOME");
    QTemporaryDir home;
    const auto restore = qScopeGuard([&] {
        QDir(tmpFolder).removeRecursively();
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("HOME", oldHome);
        qunsetenv("XDG_CACHE_HOME");
    });
    ASSERT_EQ(::chown(QFile::encodeName(home.path()).constData(), kNobody, kNobody), 0);
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("HOME", QFile::encodeName(home.path()));

    // tmpMode 0: no folder there; cacheHome is made for nobody when absolute.
    const struct { int tmpMode; uid_t tmpOwner; const char* cacheHome; QString expected; } cases[] = {
        {0, kNobody, "", tmpFolder},
        {0700, kNobody, "", tmpFolder},
        {0700, 0, "/cachehome", home.filePath("cachehome/talven")},
        {0755, kNobody, "/cachehome", home.filePath("cachehome/talven")},
        {0700, 0, "cachehome", home.filePath(".cache/talven")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.tmpMode << " " << c.tmpOwner << " " << c.cacheHome);
        for (const QString& folder : {tmpFolder, home.filePath("cachehome"), home.filePath(".cache")})
            QDir(folder).removeRecursively();
        const QByteArray tmp = QFile::encodeName(tmpFolder);
        if (c.tmpMode != 0) {
            ASSERT_EQ(::mkdir(tmp.constData(), 0700), 0);
            ASSERT_EQ(::chmod(tmp.constData(), c.tmpMode), 0);
            ASSERT_EQ(::chown(tmp.constData(), c.tmpOwner, 0), 0);
        }
        const QString cacheHome = *c.cacheHome == '/' ? home.path() + c.cacheHome : c.cacheHome;
        if (*c.cacheHome == '/') {
            ASSERT_TRUE(QDir().mkpath(cacheHome));
            ASSERT_EQ(::chown(QFile::encodeName(cacheHome).constData(), kNobody, kNobody), 0);
        }
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome));
        EXPECT_TRUE(RunAsNobody([&] {
            struct stat info {};
            return RuntimeFolder() == c.expected && ::lstat(QFile::encodeName(c.expected).constData(), &info) == 0 &&
                S_ISDIR(info.st_mode) && info.st_uid == kNobody && (info.st_mode & 0777) == 0700 &&
                InstanceLock(kMutex).acquire() == InstanceLock::Result::Acquired;
        }));
    }
}

class ControlChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&channel, &ControlChannel::messageReceived,
                         [this](std::uint32_t message) { received.push_back(message); });
        ASSERT_TRUE(channel.create(ControlChannel::Lock::Held));
    }

    // Everything sent before the marker, taken once the marker has arrived.
    std::vector<std::uint32_t> ReceivedUpToMarker()
    {
        EXPECT_TRUE(PostWindowMessage(kClass, kMarker));
        EXPECT_TRUE(WaitFor([this] { return !received.empty() && received.back() == kMarker; }));
        return std::exchange(received, {});
    }

    // From a client of its own, each piece as it might arrive.
    void Send(const std::vector<QByteArray>& pieces)
    {
        QLocalSocket client;
        client.connectToServer(WindowSocketPath(kClass));
        ASSERT_TRUE(client.waitForConnected(1000));
        for (const QByteArray& bytes : pieces) {
            client.write(bytes);
            client.flush();
            WaitFor([] { return false; }, 10);
        }
    }

    ControlChannel channel{kClass};
    std::vector<std::uint32_t> received;
};

TEST_F(ControlChannelTest, PostedMessagesArriveInOrderFromAnyThread)
{
    EXPECT_EQ(FormatMessageLine(WM_CLOSE), "0x0010\n") << "the line the client reads";
    std::vector<std::uint32_t> expected{WM_CLOSE, WM_BRING_TO_FRONT};
    EXPECT_TRUE(PostWindowMessage(kClass, WM_CLOSE) && PostWindowMessage(kClass, WM_BRING_TO_FRONT));
    // A thread without an event loop, posting while this one reads.
    std::unique_ptr<QThread> poster(QThread::create([] {
        for (std::uint32_t message = 1; message <= 20; ++message)
            PostWindowMessage(kClass, message);
    }));
    poster->start();
    ASSERT_TRUE(WaitFor([&] { return poster->isFinished(); }));
    for (std::uint32_t message = 1; message <= 20; ++message)
        expected.push_back(message);
    expected.push_back(kMarker);
    EXPECT_EQ(ReceivedUpToMarker(), expected);
}

TEST_F(ControlChannelTest, ReadsEveryCompleteLineOfAConnection)
{
    const struct { const char* name; std::vector<QByteArray> writes; std::vector<std::uint32_t> messages; } cases[] = {
        {"several lines, no final feed", {"0x0010\n0XaBc\r\n0xffffffff\n0x0010"}, {0x10, 0xABC, 0xFFFFFFFF, 0x10}},
        {"lines split anywhere", {"0x0", "010\n0x05", "01", "\n"}, {0x10, 0x501}},
        {"lines that are no messages",
         {"hello\n\n0x\n0010\n 0x0010\n0x0010 \n0x+10\n0x123456789\n0x00g0\n\xff\n0x0501\n"}, {0x501}},
        {"an overlong line drops the connection", {"0x0010\n", QByteArray(100, 'A'), "\n0x0501\n"}, {0x10}},
        {"an overlong line, complete", {QByteArray(100, 'A') + "\n0x0501\n"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Send(c.writes);
        std::vector<std::uint32_t> expected = c.messages;
        expected.push_back(kMarker);
        EXPECT_EQ(ReceivedUpToMarker(), expected);
    }
}

TEST_F(ControlChannelTest, DestroyedFromItsHandlerDeliversNothingMore)
{
    QObject::connect(&channel, &ControlChannel::messageReceived, [this] { channel.destroy(); });
    Send({"0x0010\n0x0501\n"});
    EXPECT_TRUE(WaitFor([this] { return !channel.isCreated(); }));
    WaitFor([] { return false; }, 20);
    EXPECT_EQ(received, std::vector<std::uint32_t>{WM_CLOSE});
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
}

int OpenDescriptors()
{
    int count = 0;
    DIR* folder = ::opendir("/proc/self/fd");
    while (folder && ::readdir(folder))
        ++count;
    if (folder)
        ::closedir(folder);
    return count;
}

// Thousands of connections that send nothing cost the channel a few descriptors only, for a few
// seconds, and a sender that connects, writes its line and goes still gets through meanwhile.
TEST_F(ControlChannelTest, IdleConnectionsAreBounded)
{
    constexpr int kIdle = 5000;
    rlimit limit {};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit old = limit;
    limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, std::min<rlim_t>(limit.rlim_max, 3 * kIdle));
    ::setrlimit(RLIMIT_NOFILE, &limit);
    const int baseline = OpenDescriptors();
    std::vector<int> idle;
    auto heldByChannel = [&] { return OpenDescriptors() - baseline - int(idle.size()); };
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(WindowSocketPath(kClass));
    std::copy(path.begin(), path.end(), address.sun_path);
    int mostHeld = 0;
    QElapsedTimer timer;
    timer.start();
    while (int(idle.size()) < kIdle && timer.elapsed() < 20000) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            idle.push_back(fd);
            if (idle.size() % 250 == 0)
                mostHeld = std::max(mostHeld, heldByChannel());
            continue;
        }
        ::close(fd);   // the backlog is full until the channel accepts
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(int(idle.size()), kIdle);
    EXPECT_LE(mostHeld, 16) << "connections held by the channel";

    std::unique_ptr<QThread> sender(QThread::create([] { PostWindowMessage(kClass, kMarker); }));
    sender->start();
    EXPECT_TRUE(WaitFor([&] { return sender->isFinished() && !received.empty(); }));
    EXPECT_EQ(received, std::vector<std::uint32_t>{kMarker});
    EXPECT_TRUE(WaitFor([&] { return heldByChannel() <= 1; }, 2 * ControlChannel::kIdleMs))
        << heldByChannel() << " still open when idle";
    for (const int fd : idle)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &old);
}

} // namespace
