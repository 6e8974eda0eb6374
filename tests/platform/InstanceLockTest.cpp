// The instance lock between processes: a live holder keeps it, a killed one loses it, and a
// runtime folder that cannot be used fails every named object.

#include "platform/ControlChannel.h"
#include "platform/InstanceLock.h"
#include "platform/WindowMessages.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace platform;
using Result = InstanceLock::Result;

namespace {

const QString kName = QStringLiteral("Local\\QsCustTestMutex");

// Starts a process that takes the lock; its first line tells the outcome.
QByteArray StartHolder(QProcess& holder)
{
    holder.start(LOCK_HOLDER, {kName});
    if (!holder.waitForReadyRead(5000))
        return "no answer";
    return holder.readLine().trimmed();
}

TEST(InstanceLockTest, LiveHolderKeepsTheLockAndAKilledOneLosesIt)
{
    QProcess holder;
    ASSERT_EQ(StartHolder(holder), "acquired");
    InstanceLock lock(kName);
    EXPECT_EQ(lock.acquire(), Result::AlreadyExists);
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(5000));

    EXPECT_EQ(lock.acquire(), Result::Acquired);
    EXPECT_EQ(lock.acquire(), Result::Acquired) << "taking it again is no failure";
    EXPECT_EQ(InstanceLock(kName).acquire(), Result::AlreadyExists) << "another object here";
}

TEST(InstanceLockTest, ReleasedLockGoesToTheNextProcess)
{
    InstanceLock lock(kName);
    ASSERT_EQ(lock.acquire(), Result::Acquired);
    QProcess refused;
    EXPECT_EQ(StartHolder(refused), "exists");
    EXPECT_TRUE(refused.waitForFinished(5000));
    lock.release();
    QProcess next;
    EXPECT_EQ(StartHolder(next), "acquired");
    EXPECT_EQ(lock.acquire(), Result::AlreadyExists);
    next.closeWriteChannel();
    EXPECT_TRUE(next.waitForFinished(5000));
    EXPECT_EQ(lock.acquire(), Result::Acquired);
}

TEST(InstanceLockTest, UnusableRuntimeFolderFailsEveryNamedObject)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
    InstanceLock lock(kName);
    ControlChannel channel(kCustomizerWndClass);
    const Result result = lock.acquire();
    const bool created = channel.create();
    const bool posted = PostWindowMessage(kCustomizerWndClass, WM_CLOSE);
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_EQ(result, Result::Failed);
    EXPECT_FALSE(created);
    EXPECT_FALSE(posted);
}

} // namespace
