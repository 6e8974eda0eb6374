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

// Reads a value of up to 4 bytes as a DWORD from its raw bytes: fallback when it is missing or
// longer, failed when the store cannot be read.
DWORD ReadDword(HKEY root, const QString& keyPath, const QString& name, DWORD fallback, DWORD failed)
{
    Key key;
    DWORD value = 0;
    LSTATUS status = RegOpenKeyEx(root, keyPath, KEY_READ, key.put());
    if (status == ERROR_SUCCESS)
        status = QueryDword(key, name, &value);
    if (status == ERROR_SUCCESS)
        return value;
    return IsReadFailure(status) ? failed : fallback;
}

DWORD ReadDword(HKEY root, const QString& keyPath, const QString& name, DWORD fallback)
{
    return ReadDword(root, keyPath, name, fallback, fallback);
}

// Whether the key exists; a store that cannot be read says it may.
bool MayExist(HKEY root, const QString& path)
{
    Key key;
    const LSTATUS status = RegOpenKeyEx(root, path, KEY_READ, key.put());
    return status == ERROR_SUCCESS || IsReadFailure(status);
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

bool IsReadFailure(LSTATUS status)
{
    return status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && status != ERROR_MORE_DATA;
}

LSTATUS MachineStoreStatus()
{
    Key key;
    const LSTATUS status = RegOpenKeyEx(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_READ, key.put());
    return IsReadFailure(status) ? status : ERROR_SUCCESS;
}

bool DetectManagedMode()
{
    return MayExist(HKEY_LOCAL_MACHINE, kLanDeskKey) || MayExist(HKEY_LOCAL_MACHINE, kAdmiCtrlKey);
}

bool IsManagedMode()
{
    return g_managed;
}

void SetManagedMode(bool managed)
{
    g_managed = managed;
}

qint32 GetPolicyDword(const QString& name, qint32 whenUnreadable)
{
    return qint32(ReadDword(HKEY_LOCAL_MACHINE, kPolicyKey, name, DWORD(-1), DWORD(whenUnreadable)));
}

qint32 GetHidePolicy(const QString& name)
{
    return GetPolicyDword(name, 0);
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

namespace {

LSTATUS WriteCheckState(HKEY root, const QString& dataKey, const QString& name, int checkState)
{
    Key key;
    const LSTATUS status = RegCreateKeyEx(root, dataKey, KEY_READ | KEY_WRITE, key.put());
    return status == ERROR_SUCCESS ? SetDword(key, name, CheckValue(checkState)) : status;
}

} // namespace

LSTATUS SetHideGroup(const QString& dataKey, int checkState)
{
    if (g_managed)
        return ERROR_SUCCESS;
    return WriteCheckState(HKEY_CURRENT_USER, dataKey, kHideGroup, checkState);
}

DWORD GetAllowOnlyAdmin(const QString& dataKey)
{
    return ReadDword(HKEY_LOCAL_MACHINE, dataKey, kAllowOnlyAdmin, 0, 1);
}

LSTATUS SetAllowOnlyAdmin(const QString& dataKey, int checkState)
{
    return WriteCheckState(HKEY_LOCAL_MACHINE, dataKey, kAllowOnlyAdmin, checkState);
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
