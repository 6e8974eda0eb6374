#include "LedDevice.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace platform {

namespace {

const QString kDeviceName = QStringLiteral("KVXPmDrv");
const QString kTrigger = QStringLiteral("trigger");
const QString kBrightness = QStringLiteral("brightness");
const QString kDelayOn = QStringLiteral("delay_on");
const QString kDelayOff = QStringLiteral("delay_off");

QString DevicePath(const QString& file) { return LedDeviceFolder() + QLatin1Char('/') + file; }

// A device file opened for writing; closed when it goes.
class WriteFile {
public:
    explicit WriteFile(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW)) {}
    ~WriteFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    WriteFile(const WriteFile&) = delete;
    WriteFile& operator=(const WriteFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // One write of the whole text from the start, as the LED class expects; a plain file is cut
    // to it so that a fake device reads back what was written.
    bool write(const QByteArray& text) const
    {
        if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) < 0)
            return false;
        const ssize_t written = ::write(m_fd, text.constData(), size_t(text.size()));
        if (written != text.size())
            return false;
        (void)::ftruncate(m_fd, text.size());
        return true;
    }

private:
    int m_fd;
};

// The device's max_brightness, or -1 when it cannot be read.
int ReadMaxBrightness()
{
    QFile file(DevicePath(QStringLiteral("max_brightness")));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const int value = file.read(32).trimmed().toInt(&ok);
    return ok && value >= 0 ? value : -1;
}

// The kernel lists the triggers it knows with the active one in brackets. A list without "timer"
// cannot blink; a file that is no such list (a fake device) leaves the decision to the write.
bool MayLackTimer()
{
    QFile file(DevicePath(kTrigger));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray listing = file.read(4096);
    if (!listing.contains('['))
        return false;
    const QList<QByteArray> words = listing.simplified().split(' ');
    return std::none_of(words.begin(), words.end(), [](const QByteArray& word) { return word == "timer" || word == "[timer]"; });
}

// The timer's delay files appear once its trigger is set, and the system's device rules make them
// writable for the user a moment later: wait for that a little.
std::unique_ptr<WriteFile> OpenDelay(const QString& name)
{
    constexpr int kTries = 10;
    auto file = std::make_unique<WriteFile>(DevicePath(name));
    for (int tries = 1; !file->isOpen() && tries < kTries; ++tries) {
        ::usleep(20 * 1000);
        file = std::make_unique<WriteFile>(DevicePath(name));
    }
    return file;
}

} // namespace

QString LedDeviceFolder()
{
    const QString root = qEnvironmentVariableIsSet("TALVEN_LED_ROOT") ? qEnvironmentVariable("TALVEN_LED_ROOT")
                                                                     : QStringLiteral("/sys/class/leds");
    return root + QLatin1Char('/') + kDeviceName;
}

BlinkDelays BlinkDelaysForRate(std::uint16_t rate)
{
    switch (rate) {
    case 0:
        return {1000, 1000};
    case 1:
        return {400, 400};
    default:
        return {100, 100};
    }
}

QList<LedWrite> LedWrites(const LedRequest& request, int maxBrightness)
{
    if (request.blink) {
        const BlinkDelays delays = BlinkDelaysForRate(request.rate);
        return {{kTrigger, "timer"}, {kDelayOn, QByteArray::number(delays.onMs)}, {kDelayOff, QByteArray::number(delays.offMs)}};
    }
    return {{kTrigger, "none"}, {kBrightness, QByteArray::number(request.lightOn ? maxBrightness : 0)}};
}

bool QueryLedCapability(LedCapability* reply)
{
    *reply = {};
    if (!QDir(LedDeviceFolder()).exists())
        return false;
    reply->capable = WriteFile(DevicePath(kBrightness)).isOpen() ? 1 : 0;
    reply->maxBrightness = std::uint16_t(std::clamp(ReadMaxBrightness(), 0, 0xFFFF));
    return true;
}

bool SendLedRequest(const LedRequest& request)
{
    // A light whose brightness cannot be written is not driven at all, as it is not capable.
    const int maxBrightness = ReadMaxBrightness();
    if (maxBrightness < 0 || !WriteFile(DevicePath(kBrightness)).isOpen() || (request.blink && MayLackTimer()))
        return false;
    // The trigger goes first: a refusal there leaves the light as it was. The timer's delays
    // appear only once its trigger is set.
    for (const LedWrite& write : LedWrites(request, maxBrightness)) {
        const bool delay = write.file == kDelayOn || write.file == kDelayOff;
        const auto file = delay ? OpenDelay(write.file) : std::make_unique<WriteFile>(DevicePath(write.file));
        if (!file->write(write.text))
            return false;
    }
    return true;
}

} // namespace platform
