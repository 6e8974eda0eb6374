#include "UserRights.h"

#include "WindowsVersion.h"
#include "trace/Trace.h"

#include <QByteArray>

#include <unistd.h>

namespace platform {

namespace {

RightsOverride g_override;
std::optional<uid_t> g_effectiveUid;

// Token elevation types of Windows: 1 default (no second token), 2 full (the elevated one).
constexpr int kElevationTypeDefault = 1;
constexpr int kElevationTypeFull = 2;

// The non-zero uid that pkexec or sudo recorded, or 0.
uid_t InvokingUid()
{
    for (const char* variable : {"PKEXEC_UID", "SUDO_UID"}) {
        bool ok = false;
        const uint uid = qEnvironmentVariable(variable).toUInt(&ok);
        if (ok && uid != 0)
            return uid;
    }
    return 0;
}

uid_t EffectiveUid() { return g_effectiveUid.value_or(::geteuid()); }

} // namespace

uid_t SessionUid()
{
    const uid_t invoking = EffectiveUid() == 0 ? InvokingUid() : 0;
    return invoking != 0 ? invoking : EffectiveUid();
}

bool IsUserAnAdmin()
{
    return g_override.administrator.value_or(EffectiveUid() == 0);
}

bool IsElevated()
{
    if (g_override.elevated)
        return *g_override.elevated;
    if (WindowsMajorVersion() < kWindowsVista) {
        TRACE("IsElevated: This system does not support TOKEN_ELEVATION_TYPE and/or TOKEN_ELEVATION.");
        return false;
    }
    const int elevation = EffectiveUid() == 0 ? 1 : 0;
    const int elevationType = elevation && InvokingUid() != 0 ? kElevationTypeFull : kElevationTypeDefault;
    TRACE("IsElevated: elevationType %i elevation %i", elevationType, elevation);
    return elevationType == kElevationTypeFull && elevation == 1;
}

void OverrideUserRights(const RightsOverride& rights)
{
    g_override = rights;
}

void OverrideEffectiveUid(std::optional<uid_t> uid) { g_effectiveUid = uid; }

} // namespace platform
