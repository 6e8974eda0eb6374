#include "AsNobody.h"
#include "LightFixture.h"
#include "buttonlight/BlinkPage.h"
#include "buttonlight/LightSettings.h"

#include <sys/stat.h>

#include <cstring>

#include <gtest/gtest.h>

using namespace fixture;

namespace {

// Each level's request bytes and the files it leaves, from a light that blinks slowly.
TEST(LedDeviceTest, EachLevelWritesItsFiles)
{
    const struct { reg::DWORD level; const char* bytes; const char* state; } cases[] = {
        {0, "0000", "none 0 1000/1000"}, {1, "0100", "none 255 1000/1000"}, {2, "1100", "timer 0 1000/1000"},
        {3, "1110", "timer 0 400/400"},  {4, "1120", "timer 0 100/100"},    {5, "0000", "none 0 1000/1000"},
        {99, "0000", "none 0 1000/1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        const platform::LedRequest request = blink::LightRequest(c.level);
        unsigned char bytes[4];
        std::memcpy(bytes, &request, sizeof bytes);
        EXPECT_EQ(QString("%1%2%3%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]), c.bytes);
        FakeLed led;
        led.Put("trigger", "timer");
        led.Put("delay_on", "1000");
        led.Put("delay_off", "1000");
        EXPECT_EQ(CBlink::IsLedCapable(), 1);
        CBlink::DoLedPreview(c.level);
        EXPECT_EQ(led.State(), c.state);
    }
}

// A light that is missing or refuses is not capable, and a request changes nothing on it.
TEST(LedDeviceTest, MissingOrRefusingLightChangesNothing)
{
    const struct { const char* name; bool present; QByteArray triggers; const char* breakFile; int capable; QList<reg::DWORD> levels; } cases[] = {
        {"no device", false, "", nullptr, 0, {1, 4}},
        {"no max_brightness", true, "[none] timer", "max_brightness", 1, {1, 4}},
        {"brightness refuses", true, "[none] timer", "brightness", 0, {1, 4}},
        {"trigger refuses", true, "[none] timer", "trigger", 1, {1, 4}},
        {"no timer trigger", true, "[none] heartbeat", nullptr, 1, {2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLed led(c.present, c.triggers);
        if (c.breakFile) {
            // A folder in the file's place refuses every write, also the superuser's.
            QFile::remove(led.Path(c.breakFile));
            QDir().mkdir(led.Path(c.breakFile));
        }
        EXPECT_EQ(CBlink::IsLedCapable(), c.capable);
        const QString before = led.State();
        for (reg::DWORD level : c.levels)
            CBlink::DoLedPreview(level);
        EXPECT_EQ(led.State(), before);
    }
}

// A user who may not write the light's files finds it not capable and leaves it as it is; once
// the files are the user's (as the device rule makes them), the same user drives the light.
TEST(LedDeviceTest, UserRightsDecide)
{
    if (!CanRunAsNobody())
        GTEST_SKIP() << "needs root to switch to nobody";
    for (bool owned : {false, true}) {
        SCOPED_TRACE(owned);
        FakeLed led;
        for (const QString& folder : {led.Root(), led.Path("")})
            ::chmod(folder.toLocal8Bit(), 0755);
        for (const char* file : {"brightness", "trigger", "delay_on", "delay_off", "max_brightness"}) {
            ::chmod(led.Path(file).toLocal8Bit(), 0644);
            EXPECT_EQ(::chown(led.Path(file).toLocal8Bit(), owned ? kNobody : 0, owned ? kNobody : 0), 0);
        }
        EXPECT_TRUE(RunAsNobody([owned] {
            const bool capable = CBlink::IsLedCapable() == 1;
            return capable == owned && platform::SendLedRequest(blink::LightRequest(3)) == owned;
        }));
        EXPECT_EQ(led.State(), owned ? "timer 0 400/400" : "[none] timer heartbeat 0 500/500");
    }
}

} // namespace
