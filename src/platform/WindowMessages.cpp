#include "WindowMessages.h"

#include "UserRights.h"
#include "trace/Trace.h"

#include <QFile>
#include <QLocalSocket>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Long enough for a busy receiver, short enough that a hung one cannot stall the sender for long.
constexpr int kTimeoutMs = 1000;
// "0x" and up to eight hex digits hold any 32-bit message.
constexpr int kMaxDigits = 8;

// A folder of this user's that nobody else can enter, created so when missing. One that exists
// otherwise (another user may have made it first) is never used: it would not keep the sockets
// and locks private, and its owner could take them.
bool IsPrivateFolder(const QByteArray& folder)
{
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & 077) != 0) {
        TRACE("RuntimeFolder: %s is not a private folder of this user", folder.constData());
        return false;
    }
    return true;
}

// The fallback is fixed rather than taken from TMPDIR so that the client finds the same folder.
QByteArray PrivateTempFolder() { return "/tmp/talven-" + QByteArray::number(::geteuid()); }

// Where /tmp holds no folder for this user, the user's own cache does: $XDG_CACHE_HOME when it is
// an absolute path, else ~/.cache.
QByteArray PrivateCacheFolder()
{
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            return {};
        cache = home + "/.cache";
        ::mkdir(cache.constData(), 0700);
    }
    return cache + "/talven";
}

} // namespace

// A copy started through pkexec or sudo has lost XDG_RUNTIME_DIR; it belongs to the session of the
// user who started it, like the session-local objects it stands for, so it uses that user's folder.
QString SessionRuntimeFolder()
{
    const uid_t session = SessionUid();
    if (session == ::geteuid())
        return {};
    const QByteArray folder = "/run/user/" + QByteArray::number(session);
    struct stat info {};
    if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != session)
        return {};
    return QString::fromLocal8Bit(folder);
}

QString RuntimeFolder()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        runtime = SessionRuntimeFolder();
    if (!runtime.isEmpty())
        return runtime;
    for (const QByteArray& folder : {PrivateTempFolder(), PrivateCacheFolder()}) {
        if (!folder.isEmpty() && IsPrivateFolder(folder))
            return QFile::decodeName(folder);
    }
    return {};
}

QString WindowSocketPath(const QString& windowClass)
{
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return {};
    return folder + u'/' + QString(windowClass).replace(u'\\', u'_');
}

QByteArray FormatMessageLine(std::uint32_t message)
{
    return "0x" + QByteArray::number(message, 16).rightJustified(4, '0') + '\n';
}

bool ParseMessageLine(const QByteArray& line, std::uint32_t* message)
{
    QByteArrayView text(line);
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    if (!text.startsWith("0x") && !text.startsWith("0X"))
        return false;
    text = text.sliced(2);
    if (text.isEmpty() || text.size() > kMaxDigits)
        return false;
    std::uint32_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value << 4 | std::uint32_t(digit);
    }
    *message = value;
    return true;
}

bool PostWindowMessage(const QString& windowClass, std::uint32_t message)
{
    const QString path = WindowSocketPath(windowClass);
    if (path.isEmpty())
        return false;
    // Blocking calls only: callers may run on a thread without an event loop.
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    socket.write(FormatMessageLine(message));
    socket.flush();
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kTimeoutMs)) {
            TRACE("PostWindowMessage: 0x%04x to %s not delivered", message,
                  qPrintable(windowClass));
            return false;
        }
    }
    socket.disconnectFromServer();
    return true;
}

} // namespace platform
