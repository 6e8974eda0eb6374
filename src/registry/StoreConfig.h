#pragma once
// Where each root's file lives and whether this process may write it. The defaults follow the
// environment (TALVEN_HKCU, TALVEN_HKLM) and the standard locations; tests and tools may replace them.

#include "RegTypes.h"

#include <QString>

namespace reg {

enum class RootAccess {
    Auto,      // writable when the file (or, before it exists, its folder) may be written by this user
    ReadOnly,  // every write and every open for writing is refused with ERROR_ACCESS_DENIED
    ReadWrite, // as Auto; the file system still decides
};

struct RootConfig {
    QString path;
    RootAccess access = RootAccess::Auto;
};

// HKCU: $TALVEN_HKCU, else $XDG_CONFIG_HOME/talven/registry.db (default $HOME/.config; relative
// values are ignored). Without an absolute HOME the path is empty: every call on the root then
// fails with ERROR_ENVVAR_NOT_FOUND. HKLM: $TALVEN_HKLM, else /etc/talven/registry.db.
RootConfig DefaultRootConfig(Root root);

// Closes the root's connection (open handles on it become invalid) and uses the new settings.
void ConfigureRoot(Root root, const RootConfig& config);
RootConfig CurrentRootConfig(Root root);

// Both roots back to DefaultRootConfig, read afresh from the environment.
void ResetStore();

// The one-line message for a status of this root, as people see it: a failure of the root's file
// names the file and the cause (disk full, damaged, not a regular file, left by an interrupted
// change, ...); a status about the request itself ("not found") is the system's message.
QString StoreErrorText(Root root, LSTATUS status);

} // namespace reg
