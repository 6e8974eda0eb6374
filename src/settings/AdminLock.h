#pragma once
// Who may change a page and its administrator-only box. Decided once per page, when its dialog
// is created, from the process's rights, managed mode, the Windows version and the box's state.

namespace app {

struct LockInputs {
    bool administrator = false;
    bool elevated = false;
    bool managed = false;
    int windowsMajor = 10;
    bool adminBoxChecked = false;
    // The page's own reasons to lock its content (a layout switch) ...
    bool pageLocks = false;
    // ... and to disable its administrator-only box as well while locked (a policy value).
    bool pageLocksAdminBox = false;
};

struct LockDecision {
    bool contentLocked = false;
    bool adminBoxEnabled = true;
};

LockDecision DecideLock(const LockInputs& inputs);
// The inputs as this process sees them now; the page fills in its box and its own conditions.
LockInputs CurrentLockInputs(bool adminBoxChecked);

// A click on the administrator-only box by someone who is not an administrator on a system with
// elevation undoes itself and asks to elevate.
bool ClickAsksElevation(bool administrator, int windowsMajor);
bool ClickAsksElevation();

// Per-user content is written only by an unmanaged, unelevated process.
bool MaySaveContent();

} // namespace app
