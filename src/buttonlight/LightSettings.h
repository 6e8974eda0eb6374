#pragma once
// Where the button light's settings live and how they are read and written: "DefaultState" and
// one subkey per function under the light root (the policy root, read only, in managed mode), and
// the level the client set last, which the light returns to after a preview.

#include "buttonlight/IndicationItem.h"
#include "platform/LedDevice.h"
#include "registry/Registry.h"
#include "settings/PageSave.h"

#include <QList>

namespace blink {

// The light's indication levels.
enum Level : reg::DWORD { kOff = 0, kOn = 1, kLowBlink = 2, kMediumBlink = 3, kHighBlink = 4 };

// The light request for a level; 5 and above, like 0, turn the light off.
platform::LedRequest LightRequest(reg::DWORD level);

struct StoredSettings {
    reg::DWORD DefaultState = 0;
    bool defaultStateKept = false;
    // The root or its list of functions could not be read: the page shows what it found and
    // writes nothing.
    bool unreadable = false;
    // The functions in enumeration order; subkeys that do not open are left out.
    QList<IndicationItem> items;
};

StoredSettings LoadLightSettings(reg::HKEY root, const QString& lightRoot);
// Writes "DefaultState" and every function that still exists under the user's light root, each
// value the load could read, in the order the client expects. Keys are never created.
void WriteLightSettings(reg::DWORD defaultState, bool defaultStateKept, const QList<IndicationItem>& items,
                        app::PageSave& save);
// The level the light returns to: "CurrentBlinkLevel", else "DefaultState", else off.
reg::DWORD StoredLightLevel();

} // namespace blink
