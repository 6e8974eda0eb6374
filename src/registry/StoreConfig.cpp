#include "StoreConfig.h"

#include "RegKeyName.h"
#include "Registry.h"
#include "RootStore.h"

#include <QDir>
#include <QStandardPaths>

namespace reg {

RootConfig DefaultRootConfig(Root root)
{
    const char* variable = root == Root::CurrentUser ? "TALVEN_HKCU" : "TALVEN_HKLM";
    const QString fromEnv = qEnvironmentVariable(variable);
    if (!fromEnv.isEmpty())
        return {fromEnv, RootAccess::Auto};
    if (root == Root::LocalMachine)
        return {QStringLiteral("/etc/talven/registry.db"), RootAccess::Auto};
    // Relative XDG paths are to be ignored; without an absolute HOME the root has no file at all
    // (never the file system's root, which the home folder of Qt falls back to).
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home))
            return {QString(), RootAccess::Auto};
        config = home + QStringLiteral("/.config");
    }
    return {QDir::cleanPath(config + QStringLiteral("/talven/registry.db")), RootAccess::Auto};
}

void ConfigureRoot(Root root, const RootConfig& config)
{
    RootStore::of(root).configure(config);
}

RootConfig CurrentRootConfig(Root root)
{
    return RootStore::of(root).config();
}

void ResetStore()
{
    for (Root root : {Root::CurrentUser, Root::LocalMachine})
        ConfigureRoot(root, DefaultRootConfig(root));
}

QString StoreErrorText(Root root, LSTATUS status)
{
    const QString file = CurrentRootConfig(root).path;
    const QString owner = root == Root::LocalMachine ? QStringLiteral("root") : QStringLiteral("its owner");
    switch (status) {
    case ERROR_SUCCESS:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_HANDLE:
    case ERROR_MORE_DATA:
    case ERROR_NO_MORE_ITEMS:
    case ERROR_KEY_DELETED:
        return RegErrorText(status); // about the request, not the file
    case ERROR_ENVVAR_NOT_FOUND:
        return QStringLiteral("The settings of %1 have no store file: HOME is not set to an absolute folder "
                              "(nor TALVEN_HKCU or an absolute XDG_CONFIG_HOME).").arg(RootName(root));
    case ERROR_CANTREAD:
        return QStringLiteral("The store file %1 was left by an interrupted change and cannot be read until "
                              "%2 (or another user who may write it) recovers it by running "
                              "\"talven-reg query %3\".").arg(file, owner, RootName(root));
    case ERROR_DISK_FULL:
        return QStringLiteral("There is not enough space on the disk for the store file %1.").arg(file);
    case ERROR_REGISTRY_IO_FAILED:
        return QStringLiteral("The store file %1 could not be read or written: input/output error.").arg(file);
    case ERROR_REGISTRY_CORRUPT:
        return QStringLiteral("The store file %1 is damaged.").arg(file);
    case ERROR_BADDB:
        return QStringLiteral("The file %1 is not a settings store of this version; it is left untouched.").arg(file);
    case ERROR_BAD_FILE_TYPE:
        return QStringLiteral("The store file %1 is not a regular file.").arg(file);
    case ERROR_CANNOT_MAKE:
        return QStringLiteral("The folder of the store file %1 cannot be created.").arg(file);
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("The path of the store file %1 has a name that is too long.").arg(file);
    case ERROR_BUSY:
        return QStringLiteral("The store file %1 is locked by another program.").arg(file);
    case ERROR_CANTOPEN:
        return QStringLiteral("The store file %1 cannot be opened.").arg(file);
    default:
        return QStringLiteral("%1 (store file %2)").arg(RegErrorText(status), file);
    }
}

} // namespace reg
