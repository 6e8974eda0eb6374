#include "TempStore.h"

TempStore::TempStore()
{
    qputenv("TALVEN_HKCU", path(reg::Root::CurrentUser).toLocal8Bit());
    qputenv("TALVEN_HKLM", path(reg::Root::LocalMachine).toLocal8Bit());
    reg::ResetStore();
}

TempStore::~TempStore()
{
    qunsetenv("TALVEN_HKCU");
    qunsetenv("TALVEN_HKLM");
    reg::ResetStore();
}

QString TempStore::path(reg::Root root) const
{
    return m_dir.filePath(root == reg::Root::CurrentUser ? QStringLiteral("hkcu.db") : QStringLiteral("hklm.db"));
}

void TempStore::setReadOnly(reg::Root root, bool readOnly)
{
    reg::ConfigureRoot(root, {path(root), readOnly ? reg::RootAccess::ReadOnly : reg::RootAccess::Auto});
}
