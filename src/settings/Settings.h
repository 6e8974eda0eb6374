#pragma once
// The store conventions every page shares: where an area's settings live, the administrator's
// policy values, the layout switches, and the two per-area flags "HideGroup" and "AllowOnlyAdmin".
// Every call reads the store afresh: a missing value gives the default. A machine store that
// exists but cannot be read never grants more than a readable one could: managed mode counts as
// on, "AllowOnlyAdmin" as 1 and a Hide policy as 0.

#include "registry/RegTypes.h"

#include <QString>

namespace settings {

inline const QString kPolicyKey = QStringLiteral("SOFTWARE\\Policies\\Orvane\\TALVEN_AD");
inline const QString kXmlControlKey = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\XmlControl");
inline const QString kInstallPathKey = QStringLiteral("Software\\Orvane\\TALVEN\\Path");
inline const QString kLanDeskKey = QStringLiteral("SOFTWARE\\Policies\\Orvane\\TALVEN\\LANDesk");
inline const QString kAdmiCtrlKey = QStringLiteral("SOFTWARE\\Policies\\Orvane\\TALVEN\\AdmiCtrl");

enum class Area { QuickLinks, ResourceCenter, MessageCenter, Appearance, ButtonLight };

QString UserDataKey(Area area);
// The ".2" key of the second layout; areas without one keep their user key.
QString SecondLayoutDataKey(Area area);
QString PolicyDataKey(Area area);
// The key the area's page reads and writes: the policy key in managed mode, else the user key of
// the chosen layout.
QString DataKey(Area area, bool secondLayout = false);

// Whether a read's status means the store could not be read: anything but found, not found, or
// a value merely longer than the reader's buffer.
bool IsReadFailure(reg::LSTATUS status);
// ERROR_SUCCESS while the machine store can be read (or does not exist yet), else the failure.
reg::LSTATUS MachineStoreStatus();

// Managed mode: fixed once at start-up, true while an administrator-management key exists.
bool DetectManagedMode();
bool IsManagedMode();
void SetManagedMode(bool managed);

// -1 when the policy key or value is missing or longer than 4 bytes; whenUnreadable when the
// machine store cannot be read (a policy that fixes a choice passes the value that grants least).
qint32 GetPolicyDword(const QString& name, qint32 whenUnreadable = -1);
// A Hide box's policy ("HideQLinks", ...): 0, which disables the box, when it cannot be read.
qint32 GetHidePolicy(const QString& name);
reg::DWORD GetXmlControl(const QString& name);
bool IsXmlControlOff(const QString& name);

// The client's installation folder (HKLM, unnamed value), "" when missing or too long.
QString GetInstallPath();

reg::DWORD GetHideGroup(const QString& dataKey);
// Writes 1 for check state 1 and 0 for any other; nothing in managed mode. Returns the first
// failure of the key creation or the write, or 0.
[[nodiscard]] reg::LSTATUS SetHideGroup(const QString& dataKey, int checkState);
reg::DWORD GetAllowOnlyAdmin(const QString& dataKey);
// Returns the key creation's or the write's error, or 0. Callers call it for administrators only.
[[nodiscard]] reg::LSTATUS SetAllowOnlyAdmin(const QString& dataKey, int checkState);

} // namespace settings
