#include "settings/SettingsWritten.h"

namespace app {
namespace {
int g_settingsWritten = 0;
}

int SettingsWritten() { return g_settingsWritten; }

void SetSettingsWritten(int value) { g_settingsWritten = value; }

} // namespace app
