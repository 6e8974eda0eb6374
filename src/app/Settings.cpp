#include "Settings.h"

#include "registry/RegValues.h"

namespace settings {

using namespace reg;

namespace {

bool g_managed = false;

const QString kHideGroup = QStringLiteral("HideGroup");
const QString kAllowOnlyAdmin = QStringLiteral("AllowOnlyAdmin");

QString AreaName(Area area)
{
    switch (area) {
    case Area::QuickLinks: return QStringLiteral("QuickLink");
    case Area::ResourceCenter: return QStringLiteral("ResourceCenter");
    case Area::MessageCenter: return QStringLiteral("MessageCenter");
    case Area::Appearance: return QStringLiteral("Appearance");
    case Area::ButtonLight: return QStringLiteral("ButtonLight");
    }
    return {};
}

// Reads a value of up to 4 bytes as a DWORD from its raw bytes; a failed read gives fallback.
DWORD ReadDword(HKEY root, const QString& keyPath, const QString& name, DWORD fallback)
{
    Key key;
    if (RegOpenKeyEx(root, keyPath, KEY_READ, key.put()) != ERROR_SUCCESS)
        return fallback;
    DWORD value = 0;
    return QueryDword(key, name, &value) == ERROR_SUCCESS ? value : fallback;
}

bool KeyExists(HKEY root, const QString& path)
{
    Key key;
    return RegOpenKeyEx(root, path, KEY_READ, key.put()) == ERROR_SUCCESS;
}

DWORD CheckValue(int checkState)
{
    return checkState == 1 ? 1 : 0;
}

} // namespace

QString UserDataKey(Area area)
{
    return QStringLiteral("Software\\Orvane\\TALVEN\\Data\\") + AreaName(area);
}

QString SecondLayoutDataKey(Area area)
{
    const bool hasSecond = area == Area::QuickLinks || area == Area::ResourceCenter;
    return UserDataKey(area) + (hasSecond ? QStringLiteral(".2") : QString());
}

QString PolicyDataKey(Area area)
{
    return QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\") + AreaName(area);
}

QString DataKey(Area area, bool secondLayout)
{
    if (g_managed)
        return PolicyDataKey(area);
    return secondLayout ? SecondLayoutDataKey(area) : UserDataKey(area);
}

bool DetectManagedMode()
{
    return KeyExists(HKEY_LOCAL_MACHINE, kLanDeskKey) || KeyExists(HKEY_LOCAL_MACHINE, kAdmiCtrlKey);
}

bool IsManagedMode()
{
    return g_managed;
}

void SetManagedMode(bool managed)
{
    g_managed = managed;
}

qint32 GetPolicyDword(const QString& name)
{
    return qint32(ReadDword(HKEY_LOCAL_MACHINE, kPolicyKey, name, DWORD(-1)));
}

DWORD GetXmlControl(const QString& name)
{
    return ReadDword(HKEY_CURRENT_USER, kXmlControlKey, name, 0);
}

bool IsXmlControlOff(const QString& name)
{
    return GetXmlControl(name) == 0;
}

DWORD GetHideGroup(const QString& dataKey)
{
    return ReadDword(g_managed ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, dataKey, kHideGroup, 0);
}

void SetHideGroup(const QString& dataKey, int checkState)
{
    if (g_managed)
        return;
    Key key;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, dataKey, KEY_READ | KEY_WRITE, key.put()) == ERROR_SUCCESS)
        SetDword(key, kHideGroup, CheckValue(checkState));
}

DWORD GetAllowOnlyAdmin(const QString& dataKey)
{
    return ReadDword(HKEY_LOCAL_MACHINE, dataKey, kAllowOnlyAdmin, 0);
}

LSTATUS SetAllowOnlyAdmin(const QString& dataKey, int checkState)
{
    Key key;
    const LSTATUS status = RegCreateKeyEx(HKEY_LOCAL_MACHINE, dataKey, KEY_READ | KEY_WRITE, key.put());
    if (status != ERROR_SUCCESS)
        return status;
    SetDword(key, kAllowOnlyAdmin, CheckValue(checkState));
    return ERROR_SUCCESS;
}

QString GetInstallPath()
{
    Key key;
    QString path;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kInstallPathKey, KEY_READ, key.put()) != ERROR_SUCCESS
        || QueryString(key, QString(), kTextBufferUnits, &path) != ERROR_SUCCESS)
        return {};
    return path;
}

} // namespace settings
