// Programs start in their working folder with their arguments as given, never through a shell.

#include "TestLoop.h"
#include "platform/ProcessStart.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

namespace {

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
