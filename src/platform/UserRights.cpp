#include "UserRights.h"

#include "Trace.h"
#include "WindowsVersion.h"

#include <QByteArray>

#include <unistd.h>

namespace platform {

namespace {

RightsOverride g_override;

// Token elevation types of Windows: 1 default (no second token), 2 full (the elevated one).
constexpr int kElevationTypeDefault = 1;
constexpr int kElevationTypeFull = 2;

bool StartedForAnotherUser()
{
    for (const char* variable : {"PKEXEC_UID", "SUDO_UID"}) {
        bool ok = false;
        const uint uid = qEnvironmentVariable(variable).toUInt(&ok);
        if (ok && uid != 0)
            return true;
    }
    return false;
}

} // namespace

bool IsUserAnAdmin()
{
    return g_override.administrator.value_or(::geteuid() == 0);
}

bool IsElevated()
{
    if (g_override.elevated)
        return *g_override.elevated;
    if (WindowsMajorVersion() < kWindowsVista) {
        TRACE("IsElevated: This system does not support TOKEN_ELEVATION_TYPE and/or TOKEN_ELEVATION.");
        return false;
    }
    const int elevation = ::geteuid() == 0 ? 1 : 0;
    const int elevationType = elevation && StartedForAnotherUser() ? kElevationTypeFull : kElevationTypeDefault;
    TRACE("IsElevated: elevationType %i elevation %i", elevationType, elevation);
    return elevationType == kElevationTypeFull && elevation == 1;
}

void OverrideUserRights(const RightsOverride& rights)
{
    g_override = rights;
}

} // namespace platform
