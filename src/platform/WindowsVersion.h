#pragma once
// The Windows major version whose rules the utility follows. This platform behaves as Windows 10
// (the rules for Windows Vista and later apply); tests may pretend to be an older system.

namespace platform {

int WindowsMajorVersion();
// 0 returns to the default.
void OverrideWindowsMajorVersion(int major);

constexpr int kWindowsVista = 6;

} // namespace platform
