#pragma once
// Whether the machine has a connection to the Internet, asked before a feed is checked on line.

#include <optional>

namespace platform {

// The reachability of the system's network information backend when one loads and knows it;
// otherwise whether an interface that is up and running, not a loopback, carries a routable
// address.
bool IsInternetConnected();

// Tests: a fixed answer instead of the system's; nullopt returns to the system's.
void SetInternetConnectedForTest(std::optional<bool> connected);

} // namespace platform
