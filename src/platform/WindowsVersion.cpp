#include "WindowsVersion.h"

namespace platform {

namespace {
constexpr int kDefaultMajor = 10;
int g_major = 0;
} // namespace

int WindowsMajorVersion()
{
    return g_major > 0 ? g_major : kDefaultMajor;
}

void OverrideWindowsMajorVersion(int major)
{
    g_major = major;
}

} // namespace platform
