#include "StoreConfig.h"

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
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return {config + QStringLiteral("/talven/registry.db"), RootAccess::Auto};
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
    QString text = RegErrorText(status);
    if (status == ERROR_BADDB || status == ERROR_REGISTRY_CORRUPT || status == ERROR_CANTOPEN)
        text += QStringLiteral(" (store file %1)").arg(CurrentRootConfig(root).path);
    return text;
}

} // namespace reg
