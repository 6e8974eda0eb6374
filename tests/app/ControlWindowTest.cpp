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
    return ::lstat(QFile::encodeName(path), &info) == 0 ? info.st_ino : 0;
}

TEST(ControlWindowTest, ReplacesASocketOnlyWhileHoldingTheLock)
{
    using Lock = platform::InstanceLock::Result;
    enum There { Stale, Live };
    const struct { const char* name; bool holds; There there; bool created; } cases[] = {
        {"lock held, a dead copy's socket", true, Stale, true},
        {"lock held, a copy's socket that lost the lock", true, Live, true},
        {"no lock, a dead copy's socket", false, Stale, false},
        {"no lock, a live copy's socket", false, Live, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiEnvironment env;
        env.services.mutexResult = c.holds ? Lock::Acquired : Lock::Failed;
        const QString path = platform::WindowSocketPath(platform::kCustomizerWndClass);
        QLocalServer live;
        if (c.there == Stale) {
            // A socket file nobody listens on, as a copy that was killed leaves it.
            sockaddr_un address {AF_UNIX, {}};
            std::ranges::copy(QFile::encodeName(path), address.sun_path);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            ::close(fd);
        }
        ASSERT_TRUE(c.there != Live || live.listen(path));
        const ino_t before = Inode(path);
        CCustomizerWnd wnd;
        EXPECT_EQ(wnd.Create(), c.created);
        EXPECT_TRUE(c.created || Inode(path) == before) << "the socket there was left alone";
        EXPECT_EQ(platform::PostWindowMessage(platform::kCustomizerWndClass, platform::WM_BRING_TO_FRONT),
                  c.created || c.there == Live);
        EXPECT_EQ(live.waitForNewConnection(200), c.there == Live && !c.holds) << "only a live copy left alone hears";
        wnd.DestroyWindow();
        EXPECT_TRUE(!c.created || (Inode(path) != 0) == !c.holds) << "only the lock's holder removes the socket";
    }
}

} // namespace
