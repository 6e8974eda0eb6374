// The utility as a program: a second copy ends at once and a close from outside ends the first,
// each bounded in time.
#include "StoreValues.h"
#include "TempStore.h"
#include "platform/WindowMessages.h"
#include "settings/Settings.h"

#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ProgramTest, SecondCopyEndsAtOnceAndCloseFromOutsideNotifiesNobody)
{
    TempStore store;
    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QProcess first, second;
    const auto restore = qScopeGuard([&] {
        for (QProcess* process : {&first, &second}) {
            process->kill();
            process->waitForFinished(5000);
        }
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
    });
    QLocalServer client;
    ASSERT_TRUE(client.listen(platform::WindowSocketPath(platform::kClientWndClass)));
    const QString control = platform::WindowSocketPath(platform::kCustomizerWndClass);
    first.start(QSCUST_PROGRAM, {});
    for (int i = 0; i < 200 && first.state() != QProcess::NotRunning && !QFile::exists(control); ++i)
        first.waitForFinished(50);
    ASSERT_TRUE(QFile::exists(control)) << "the control window is up";

    second.start(QSCUST_PROGRAM, {});
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(first.state(), QProcess::Running);

    ASSERT_TRUE(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_CLOSE));
    EXPECT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(client.waitForNewConnection(0)) << "the client got a close request";
}

} // namespace
