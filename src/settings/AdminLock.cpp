#include "settings/AdminLock.h"

#include "platform/UserRights.h"
#include "platform/WindowsVersion.h"
#include "settings/Settings.h"

namespace app {

LockDecision DecideLock(const LockInputs& in)
{
    LockDecision decision;
    // Without elevation there is no way to become an administrator from here.
    if (in.windowsMajor < platform::kWindowsVista)
        decision.adminBoxEnabled = in.administrator;
    decision.contentLocked = (!in.administrator && in.adminBoxChecked) || in.managed || in.elevated
                             || in.pageLocks;
    if (decision.contentLocked && (in.managed || in.pageLocksAdminBox))
        decision.adminBoxEnabled = false;
    return decision;
}

LockInputs CurrentLockInputs(bool adminBoxChecked)
{
    LockInputs inputs;
    inputs.administrator = platform::IsUserAnAdmin();
    inputs.elevated = platform::IsElevated();
    inputs.managed = settings::IsManagedMode();
    inputs.windowsMajor = platform::WindowsMajorVersion();
    inputs.adminBoxChecked = adminBoxChecked;
    return inputs;
}

bool ClickAsksElevation(bool administrator, int windowsMajor)
{
    return !administrator && windowsMajor >= platform::kWindowsVista;
}

bool ClickAsksElevation()
{
    return ClickAsksElevation(platform::IsUserAnAdmin(), platform::WindowsMajorVersion());
}

bool MaySaveContent() { return !settings::IsManagedMode() && !platform::IsElevated(); }

} // namespace app
