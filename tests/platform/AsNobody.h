#pragma once
// Runs a check as the unprivileged user nobody (uid and gid 65534) in a forked child, for cases
// that need a real user who is not the superuser. Files the check uses must be prepared for it.

#include <functional>

constexpr unsigned kNobody = 65534;

// True when this process can switch users (it runs as root).
bool CanRunAsNobody();
// The check's result; false when the child could not drop its rights or did not end in time.
bool RunAsNobody(const std::function<bool()>& check);
