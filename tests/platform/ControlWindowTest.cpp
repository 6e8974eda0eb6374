// The control window takes the place of a socket already there only while this process holds the
// instance lock: without it (the lock failed, start-up went on) a live or stale socket stays.

#include "GuiTest.h"
#include "platform/WindowMessages.h"
#include "shell/CustomizerWnd.h"

#include <QFile>
#include <QLocalServer>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

ino_t Inode(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// A socket file nobody listens on, as a copy that was killed leaves it.
void LeaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::copy(name.begin(), name.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(ControlWindowTest, ReplacesASocketOnlyWhileHoldingTheLock)
{
    enum class There { Nothing, Stale, Live };
    const struct { const char* name; bool holds; There there; bool created; } cases[] = {
        {"lock held, nothing there", true, There::Nothing, true},
        {"lock held, a dead copy's socket", true, There::Stale, true},
        {"no lock, nothing there", false, There::Nothing, true},
        {"no lock, a dead copy's socket", false, There::Stale, false},
        {"no lock, a live copy's socket", false, There::Live, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.services.mutexResult = c.holds ? platform::InstanceLock::Result::Acquired : platform::InstanceLock::Result::Failed;
        const QString path = platform::WindowSocketPath(platform::kCustomizerWndClass);
        QLocalServer live;
        if (c.there == There::Stale)
            LeaveStaleSocket(path);
        if (c.there == There::Live) {
            ASSERT_TRUE(live.listen(path));
        }
        const ino_t before = Inode(path);

        CCustomizerWnd wnd;
        EXPECT_EQ(wnd.Create(), c.created);
        if (!c.created) {
            EXPECT_EQ(Inode(path), before) << "the socket there was left alone";
        }
        EXPECT_EQ(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_BRING_TO_FRONT),
                  c.created || c.there == There::Live);
        if (c.there == There::Live) {
            EXPECT_TRUE(live.waitForNewConnection(1000)) << "the live copy still hears its messages";
        }
        wnd.DestroyWindow();
        if (c.created) {
            EXPECT_EQ(Inode(path) != 0, !c.holds) << "only the lock's holder removes the socket";
        }
    }
}

} // namespace
