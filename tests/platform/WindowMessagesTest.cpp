// Message lines, the runtime folder, and the control channel fed by PostWindowMessage and by raw
// connections that split, bundle or garble their lines.

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
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace platform;

namespace {

const QString kClass = QStringLiteral("QsCustTestWndClass");
constexpr std::uint32_t kMarker = 0x7E57;

TEST(MessageLineTest, FormatIsTheOneTheClientReads)
{
    EXPECT_EQ(FormatMessageLine(WM_CLOSE), "0x0010\n");
    EXPECT_EQ(FormatMessageLine(0xFFFFFFFF), "0xffffffff\n");
}

TEST(RuntimeFolderTest, PrivateFolderOrEveryNamedObjectFails)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(WindowSocketPath("Local\\Name"), QFile::decodeName(runtime) + "/Local_Name");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = RuntimeFolder();
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
    EXPECT_EQ(InstanceLock(QStringLiteral("Local\\QsCustTestMutex")).acquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(ControlChannel(kClass).create(ControlChannel::Lock::Held));
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
    qputenv("XDG_RUNTIME_DIR", runtime);

    EXPECT_EQ(fallback, QString("/tmp/talven-%1").arg(::geteuid()));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fallback).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

bool IsPrivateFolderOf(const QString& folder, uid_t user)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == user && (info.st_mode & 0777) == 0700;
}

// Without XDG_RUNTIME_DIR a user's folder under /tmp that someone else made first, or that others
// may enter, is passed over for one in the user's own cache: single instance and the control
// window keep working. Run as nobody, whose /tmp folder the test prepares.
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

    enum class Tmp { Absent, Private, ForeignOwner, OpenToOthers };
    const struct { const char* name; Tmp tmp; const char* cacheHome; QString expected; } cases[] = {
        {"made by the user", Tmp::Absent, "", tmpFolder},
        {"the user's own", Tmp::Private, "", tmpFolder},
        {"made by another user", Tmp::ForeignOwner, "/cachehome", home.filePath("cachehome/talven")},
        {"open to others", Tmp::OpenToOthers, "/cachehome", home.filePath("cachehome/talven")},
        {"no absolute cache home", Tmp::ForeignOwner, "cachehome", home.filePath(".cache/talven")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(tmpFolder).removeRecursively();
        QDir(home.filePath("cachehome")).removeRecursively();
        QDir(home.filePath(".cache")).removeRecursively();
        const QByteArray tmp = QFile::encodeName(tmpFolder);
        if (c.tmp != Tmp::Absent) {
            ASSERT_EQ(::mkdir(tmp.constData(), 0700), 0);
            ASSERT_EQ(::chmod(tmp.constData(), c.tmp == Tmp::OpenToOthers ? 0755 : 0700), 0);
            ASSERT_EQ(::chown(tmp.constData(), c.tmp == Tmp::ForeignOwner ? 0 : kNobody, 0), 0);
        }
        if (*c.cacheHome == '/') {
            const QString cacheHome = home.path() + c.cacheHome;
            ASSERT_TRUE(QDir().mkpath(cacheHome));
            ASSERT_EQ(::chown(QFile::encodeName(cacheHome).constData(), kNobody, kNobody), 0);
            qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome));
        } else {
            qputenv("XDG_CACHE_HOME", c.cacheHome);
        }
        EXPECT_TRUE(RunAsNobody([&] {
            return RuntimeFolder() == c.expected && IsPrivateFolderOf(c.expected, kNobody) &&
                InstanceLock(QStringLiteral("Local\\QsCustTestMutex")).acquire() == InstanceLock::Result::Acquired;
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
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (::readdir(folder))
            ++count;
        ::closedir(folder);
    }
    return count;
}

// Thousands of connections that send nothing cost the channel a few descriptors only, for a few
// seconds, and a sender that connects, writes its line and goes still gets through meanwhile.
TEST_F(ControlChannelTest, IdleConnectionsAreBounded)
{
    constexpr int kIdle = 5000;
    constexpr int kFew = 16;
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
        } else {
            ::close(fd);   // the backlog is full until the channel accepts
            QCoreApplication::processEvents();
        }
    }
    EXPECT_EQ(int(idle.size()), kIdle);
    EXPECT_LE(mostHeld, kFew) << "connections held by the channel";

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
