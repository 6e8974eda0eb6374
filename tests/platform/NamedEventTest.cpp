// The update event: a signal latches once however often it is set, and wakes a client waiting on
// the semaphore the way the client's documentation describes.

#include "platform/NamedEvent.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <semaphore.h>
#include <time.h>
#include <unistd.h>

using namespace platform;

namespace {

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
    EXPECT_TRUE(TryWaitNamedEvent(name));
    EXPECT_FALSE(TryWaitNamedEvent(name)) << "two signals with no waiter are one";
    ASSERT_TRUE(SignalNamedEvent(name));
    EXPECT_TRUE(TryWaitNamedEvent(name));
    EXPECT_FALSE(SignalNamedEvent(QString(300, u'x'))) << "a name the system refuses";
    EXPECT_EQ(NamedEventSemaphoreName(kUpdateEventName),
              "/Local_EVENT_CUSTMIZER_UPDATE_CONTENTS." + QByteArray::number(::geteuid()));
}

TEST_F(NamedEventTest, WaitingClientWakesOnce)
{
    const QByteArray semaphore = NamedEventSemaphoreName(name);
    bool woke = false;
    std::thread client([&] {
        sem_t* event = ::sem_open(semaphore.constData(), O_CREAT, 0600, 0);
        timespec deadline{};
        ::clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += 5;
        woke = event != SEM_FAILED && ::sem_timedwait(event, &deadline) == 0;
        ::sem_close(event);
    });
    ::usleep(20000);
    EXPECT_TRUE(SignalNamedEvent(name));
    client.join();
    EXPECT_TRUE(woke);
    EXPECT_FALSE(TryWaitNamedEvent(name));
}

} // namespace
