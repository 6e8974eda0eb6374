// The operating-system services the utility shares with other processes: message lines, the
// runtime folder, the control channel fed by PostWindowMessage and by raw connections that split,
// bundle, garble or hold their lines; one copy at a time, taken over from a copy that died; the
// update event the client takes; programs started with their arguments as given, never through a
// shell.

#include "AsNobody.h"
#include "GuiTest.h"
#include "platform/ControlChannel.h"
#include "platform/InstanceLock.h"
#include "platform/NamedEvent.h"
#include "platform/ProcessStart.h"
#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <semaphore.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace platform;

namespace {

const QString kClass = QStringLiteral("QsCustTestWndClass");
const QString kMutex = QStringLiteral("Local\\QsCustTestMutex");
constexpr std::uint32_t kMarker = 0x7E57;

TEST(RuntimeFolderTest, WithoutAUsableFolderEveryNamedObjectFails)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(WindowSocketPath("Local\\Name"), QFile::decodeName(runtime) + "/Local_Name");
    EXPECT_EQ(FormatMessageLine(WM_CLOSE), "0x0010\n") << "the line the client reads";
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
    EXPECT_EQ(InstanceLock(kMutex).acquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(ControlChannel(kClass).create(ControlChannel::Lock::Held) || PostWindowMessage(kClass, WM_CLOSE));
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
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), oldHome = qgetenv("HOME");
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
        ASSERT_TRUE(c.tmpMode == 0 ||
                    (::mkdir(tmp, 0700) == 0 && ::chmod(tmp, c.tmpMode) == 0 && ::chown(tmp, c.tmpOwner, 0) == 0));
        const bool absolute = *c.cacheHome == '/';
        const QString cacheHome = absolute ? home.path() + c.cacheHome : c.cacheHome;
        ASSERT_TRUE(!absolute || (QDir().mkpath(cacheHome) && ::chown(cacheHome.toUtf8(), kNobody, kNobody) == 0));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome));
        EXPECT_TRUE(RunAsNobody([&] {
            struct stat info {};
            return RuntimeFolder() == c.expected && ::lstat(QFile::encodeName(c.expected), &info) == 0 &&
                S_ISDIR(info.st_mode) && info.st_uid == kNobody && (info.st_mode & 0777) == 0700 &&
                InstanceLock(kMutex).acquire() == InstanceLock::Result::Acquired;
        }));
    }
}

class ControlChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&channel, &ControlChannel::messageReceived, [this](std::uint32_t m) { received.push_back(m); });
        ASSERT_TRUE(channel.create(ControlChannel::Lock::Held));
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
        // Everything sent before the marker has arrived once the marker has.
        ASSERT_TRUE(PostWindowMessage(kClass, kMarker));
        ASSERT_TRUE(WaitFor([this] { return !received.empty() && received.back() == kMarker; }));
        received.pop_back();
        EXPECT_EQ(std::exchange(received, {}), c.messages);
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

// Thousands of connections that send nothing cost the channel a few descriptors only, for a few
// seconds, and a sender that connects, writes its line and goes still gets through meanwhile.
TEST_F(ControlChannelTest, IdleConnectionsAreBounded)
{
    constexpr int kIdle = 5000;
    rlimit old {}, limit {};
    ::getrlimit(RLIMIT_NOFILE, &old);
    limit = {std::max<rlim_t>(old.rlim_cur, std::min<rlim_t>(old.rlim_max, 3 * kIdle)), old.rlim_max};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    std::vector<int> idle;
    const auto openDescriptors = [] {
        return int(std::ranges::distance(std::filesystem::directory_iterator("/proc/self/fd")));
    };
    const int baseline = openDescriptors();
    const auto heldByChannel = [&] { return openDescriptors() - baseline - int(idle.size()); };
    sockaddr_un address {AF_UNIX, {}};
    const QByteArray path = QFile::encodeName(WindowSocketPath(kClass));
    std::copy(path.begin(), path.end(), address.sun_path);
    int mostHeld = 0;
    QElapsedTimer timer;
    timer.start();
    while (int(idle.size()) < kIdle && timer.elapsed() < 20000) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
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
    std::ranges::for_each(idle, ::close);
    ::setrlimit(RLIMIT_NOFILE, &old);
}

// Another copy takes the lock and opens its window, and is killed.
TEST(InstanceLockTest, HeldByOneProcessAtATime)
{
    QProcess killed;
    killed.start(LOCK_HOLDER, {kMutex, kClass});
    ASSERT_TRUE(killed.waitForReadyRead(5000));
    ASSERT_EQ(killed.readLine().trimmed(), "acquired");
    InstanceLock lock(kMutex);
    EXPECT_EQ(lock.acquire(), InstanceLock::Result::AlreadyExists);
    killed.kill();   // leaves its lock file and its socket behind
    ASSERT_TRUE(killed.waitForFinished(5000));
    ASSERT_TRUE(QFile::exists(WindowSocketPath(kClass)));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
    EXPECT_LT(timer.elapsed(), 200);
    EXPECT_EQ(lock.acquire(), InstanceLock::Result::Acquired);
    EXPECT_EQ(lock.acquire(), InstanceLock::Result::Acquired) << "taking it again is no failure";
    ControlChannel channel(kClass);
    EXPECT_TRUE(channel.create(ControlChannel::Lock::Held));
    EXPECT_TRUE(PostWindowMessage(kClass, WM_CLOSE));
    channel.destroy();
    lock.release();
    // A lock file naming a process that still runs, as a holder without file locks leaves it, is
    // never taken over, however old.
    QLockFile running(RuntimeFolder() + "/running.lock");
    const QString lockFile = RuntimeFolder() + "/Local_QsCustTestMutex.lock";
    ASSERT_TRUE(running.tryLock(0) && QFile::copy(running.fileName(), lockFile));
    QThread::msleep(20);
    EXPECT_EQ(lock.acquire(), InstanceLock::Result::AlreadyExists);
    QFile::remove(lockFile);
}

TEST(NamedEventTest, SignalsLatchOnceUntilTaken)
{
    const QString name = QString("Local\\QsCustTest.%1").arg(QCoreApplication::applicationPid());
    const auto unlink = qScopeGuard([&] { UnlinkNamedEvent(name); });
    EXPECT_FALSE(TryWaitNamedEvent(name)) << "no event yet";
    ASSERT_TRUE(SignalNamedEvent(name) && SignalNamedEvent(name));
    // The client's name: "/", the event name with '\' as '_', "." and the user's uid.
    sem_t* client = ::sem_open(
        QString("/Local_QsCustTest.%1.%2").arg(QCoreApplication::applicationPid()).arg(::geteuid()).toUtf8(), 0);
    ASSERT_NE(client, SEM_FAILED);
    EXPECT_EQ(::sem_trywait(client), 0);
    EXPECT_NE(::sem_trywait(client), 0) << "two signals with no waiter are one";
    ::sem_close(client);
    ASSERT_TRUE(SignalNamedEvent(name));
    EXPECT_TRUE(TryWaitNamedEvent(name));
    EXPECT_FALSE(TryWaitNamedEvent(name));
    EXPECT_FALSE(SignalNamedEvent(QString(300, u'x'))) << "a name the system refuses";
}

// A copy elevated for a user (run as root here, started for nobody) leaves the event to that user
// with the mode the user's own copy gives it, so that the client and the user's copy can use it;
// one that an older elevated copy left to root is given back.
TEST(ElevatedEventTest, TheEventBelongsToTheUserItWasStartedFor)
{
    if (!CanRunAsNobody())
        GTEST_SKIP() << "needs root";
    const QString name = QString("Local\\QsCustElevated.%1").arg(QCoreApplication::applicationPid());
    const QByteArray semaphore =
        QString("/Local_QsCustElevated.%1.%2").arg(QCoreApplication::applicationPid()).arg(kNobody).toUtf8();
    qputenv("PKEXEC_UID", QByteArray::number(kNobody));
    const auto restore = qScopeGuard([&] {
        qunsetenv("PKEXEC_UID");
        ::sem_unlink(semaphore);
    });
    for (bool leftToRoot : {false, true}) {
        SCOPED_TRACE(leftToRoot);
        ::sem_unlink(semaphore);
        if (leftToRoot)
            ::sem_close(::sem_open(semaphore, O_CREAT | O_EXCL, 0600, 0));
        ASSERT_TRUE(SignalNamedEvent(name));
        struct stat info {};
        ASSERT_EQ(::stat("/dev/shm/sem." + semaphore.mid(1), &info), 0);
        EXPECT_EQ(info.st_uid, kNobody);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_TRUE(RunAsNobody([&] {
            sem_t* event = ::sem_open(semaphore, 0);
            return event != SEM_FAILED && ::sem_trywait(event) == 0;
        })) << "the user takes the signal";
    }
}

TEST(ProcessStartTest, ArgumentsReachTheProgramUntouchedInItsWorkingFolder)
{
    QTemporaryDir folder;
    const QString name = QStringLiteral("a b;$(echo c)'\"*&");
    ASSERT_TRUE(StartProgram("touch", {name}, folder.path()));
    EXPECT_TRUE(WaitFor([&] { return QFile::exists(folder.filePath(name)); }));
    EXPECT_FALSE(StartProgram(folder.filePath("missing"), {}, folder.path()));
    EXPECT_FALSE(StartProgram("touch", {"x"}, folder.filePath("missing")));
}

} // namespace
