// What other processes share with the utility: one copy at a time, taken over from a copy that
// died; the update event the client takes; programs started with their arguments as given, never
// through a shell.

#include "AsNobody.h"
#include "GuiTest.h"
#include "platform/ControlChannel.h"
#include "platform/InstanceLock.h"
#include "platform/NamedEvent.h"
#include "platform/ProcessStart.h"
#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <semaphore.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using Result = InstanceLock::Result;

namespace {

const QString kName = QStringLiteral("Local\\QsCustTestMutex");
const QString kClass = QStringLiteral("QsCustTestHolderWndClass");

// Starts a copy that takes the lock and opens its window; its first line tells the outcome.
QByteArray StartHolder(QProcess& holder)
{
    holder.start(LOCK_HOLDER, {kName, kClass});
    return holder.waitForReadyRead(5000) ? holder.readLine().trimmed() : "no answer";
}

TEST(InstanceLockTest, HeldByOneProcessAtATime)
{
    QProcess killed;
    ASSERT_EQ(StartHolder(killed), "acquired");
    InstanceLock lock(kName);
    EXPECT_EQ(lock.acquire(), Result::AlreadyExists);
    killed.kill();   // leaves its lock file and its socket behind
    ASSERT_TRUE(killed.waitForFinished(5000));
    ASSERT_TRUE(QFileInfo::exists(WindowSocketPath(kClass)));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(PostWindowMessage(kClass, WM_CLOSE));
    EXPECT_LT(timer.elapsed(), 200);
    EXPECT_EQ(lock.acquire(), Result::Acquired);
    EXPECT_EQ(lock.acquire(), Result::Acquired) << "taking it again is no failure";
    ControlChannel channel(kClass);
    EXPECT_TRUE(channel.create(ControlChannel::Lock::Held));
    EXPECT_TRUE(PostWindowMessage(kClass, WM_CLOSE));

    channel.destroy();
    lock.release();
    QProcess next;
    EXPECT_EQ(StartHolder(next), "acquired");
    EXPECT_EQ(lock.acquire(), Result::AlreadyExists);
    next.closeWriteChannel();   // exits normally
    EXPECT_TRUE(next.waitForFinished(5000));
    EXPECT_EQ(lock.acquire(), Result::Acquired);
}

class NamedEventTest : public testing::Test {
protected:
    void TearDown() override { UnlinkNamedEvent(name); }

    const QString name = QString("Local\\QsCustTest.%1").arg(QCoreApplication::applicationPid());
};

TEST_F(NamedEventTest, SignalsLatchOnceUntilTaken)
{
    EXPECT_FALSE(TryWaitNamedEvent(name)) << "no event yet";
    ASSERT_TRUE(SignalNamedEvent(name));
    ASSERT_TRUE(SignalNamedEvent(name));
    // The client's name: "/", the event name with '\' as '_', "." and the user's uid.
    const QByteArray clientName =
        QString("/Local_QsCustTest.%1.%2").arg(QCoreApplication::applicationPid()).arg(::geteuid()).toUtf8();
    sem_t* client = ::sem_open(clientName.constData(), 0);
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
    const QByteArray semaphore = QString("/Local_QsCustElevated.%1.%2").arg(QCoreApplication::applicationPid()).arg(kNobody).toUtf8();
    qputenv("PKEXEC_UID", QByteArray::number(kNobody));
    const auto restore = qScopeGuard([&] {
        qunsetenv("PKEXEC_UID");
        ::sem_unlink(semaphore.constData());
    });
    const struct { const char* name; bool leftToRoot; } cases[] = {
        {"created by the elevated copy", false},
        {"left to root by an older copy", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::sem_unlink(semaphore.constData());
        if (c.leftToRoot)
            ::sem_close(::sem_open(semaphore.constData(), O_CREAT | O_EXCL, 0600, 0));
        ASSERT_TRUE(SignalNamedEvent(name));
        struct stat info {};
        ASSERT_EQ(::stat("/dev/shm/sem." + semaphore.mid(1), &info), 0);
        EXPECT_EQ(info.st_uid, kNobody);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_TRUE(RunAsNobody([&] {
            sem_t* event = ::sem_open(semaphore.constData(), 0);
            return event != SEM_FAILED && ::sem_trywait(event) == 0;
        })) << "the user takes the signal";
    }
}

TEST(ProcessStartTest, ArgumentsReachTheProgramUntouchedInItsWorkingFolder)
{
    QTemporaryDir folder;
    const QString name = QStringLiteral("a b;$(echo c)'\"*&");
    ASSERT_TRUE(StartProgram("touch", {name}, folder.path()));
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(folder.filePath(name)); }));
    EXPECT_FALSE(StartProgram(folder.filePath("missing"), {}, folder.path()));
    EXPECT_FALSE(StartProgram("touch", {"x"}, folder.filePath("missing")));
}

} // namespace
