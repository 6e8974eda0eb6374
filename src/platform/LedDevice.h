#pragma once
// The button light: the LED class device "KVXPmDrv" (under /sys/class/leds, or the folder that
// TALVEN_LED_ROOT names). The page speaks in 4-byte requests; this layer turns each into writes of
// the device's trigger, brightness and timer delays. Every request finds the device anew.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace platform {

// A light request as the page builds it: byte 0 Blink, byte 1 LightOn, bytes 2-3 Rate (0 low,
// 1 medium, 2 high), little-endian.
struct LedRequest {
    std::uint8_t blink = 0;
    std::uint8_t lightOn = 0;
    std::uint16_t rate = 0;
};
static_assert(sizeof(LedRequest) == 4);

// The answer to the capability request: byte 0 non-zero when the light can be driven, bytes 2-3
// the device's max_brightness (cut to 16 bits).
struct LedCapability {
    std::uint8_t capable = 0;
    std::uint8_t reserved = 0;
    std::uint16_t maxBrightness = 0;
};
static_assert(sizeof(LedCapability) == 4);

// The device's folder: "<root>/KVXPmDrv".
QString LedDeviceFolder();

// How long the light stays on and off in one blink, by rate; the three are far enough apart to be
// told from each other by eye.
struct BlinkDelays {
    int onMs = 0;
    int offMs = 0;
};
BlinkDelays BlinkDelaysForRate(std::uint16_t rate);

// One write of a request: the device file and the text written to it, in order.
struct LedWrite {
    QString file;
    QByteArray text;
    bool operator==(const LedWrite&) const = default;
};
QList<LedWrite> LedWrites(const LedRequest& request, int maxBrightness);

// Capable: the device exists and its brightness can be written. Fails (false) without a device.
bool QueryLedCapability(LedCapability* reply);
// Sets the light; false when the device is missing or refuses, in which case nothing was changed
// where that could be known before writing.
bool SendLedRequest(const LedRequest& request);

} // namespace platform
