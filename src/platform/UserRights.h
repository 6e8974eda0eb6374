#pragma once
// The two tests of the process's rights. On Linux the administrator is the superuser, and an
// elevated process is a superuser process started for another user (through pkexec or sudo), whose
// per-user store is not that user's. Tests fix the answers instead of reading the process's own.

#include <optional>

#include <sys/types.h>

namespace platform {

bool IsUserAnAdmin();
bool IsElevated();

// The user of the desktop session: the one who started an elevated copy, else the process's user.
uid_t SessionUid();

struct RightsOverride {
    std::optional<bool> administrator;
    std::optional<bool> elevated;
};
// Replaces the answers for this process; an empty field reads the process's own rights again.
void OverrideUserRights(const RightsOverride& rights);
// Derives the answers and the session's user from this effective uid instead of the process's own;
// none reads the process's own again.
void OverrideEffectiveUid(std::optional<uid_t> uid);

} // namespace platform
