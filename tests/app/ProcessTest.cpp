// The utility as a program: a second copy, the forbidding policy and a close from outside, each
// bounded in time.
#include "StoreValues.h"
#include "TempStore.h"
#include "platform/WindowMessages.h"
#include "settings/Settings.h"

#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }
    void TearDown() override
    {
        for (QProcess* process : {&first, &second}) {
            process->kill();
            process->waitForFinished(5000);
        }
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    }

    void start(QProcess& process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(QSCUST_PROGRAM, {});
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    bool controlWindowExists() const
    {
        return QFile::exists(platform::WindowSocketPath(platform::kCustomizerWndClass));
    }

    // Waits until the program's control window is up.
    bool waitUntilRunning(QProcess& process)
    {
        for (int i = 0; i < 200 && process.state() == QProcess::Running; ++i) {
            if (controlWindowExists())
                return true;
            process.waitForFinished(50);
        }
        return false;
    }

    TempStore store;
    QProcess first;
    QProcess second;

private:
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
};

TEST_F(ProgramTest, ForbiddenByPolicyEndsSilently)
{
    PutDword(reg::HKEY_LOCAL_MACHINE, settings::kPolicyKey, "DisableCustomize", 1);
    start(first);
    EXPECT_TRUE(first.waitForFinished(10000));
    EXPECT_FALSE(controlWindowExists());
}

TEST_F(ProgramTest, SecondCopyEndsAtOnceAndCloseFromOutsideNotifiesNobody)
{
    QLocalServer client;
    ASSERT_TRUE(client.listen(platform::WindowSocketPath(platform::kClientWndClass)));
    start(first);
    ASSERT_TRUE(waitUntilRunning(first));

    start(second);
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(first.state(), QProcess::Running);

    ASSERT_TRUE(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_CLOSE));
    EXPECT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(client.waitForNewConnection(0)) << "the client got a close request";
}

} // namespace
