#pragma once
// The store conventions every page shares: where an area's settings live, the administrator's
// policy values, the layout switches, and the two per-area flags "HideGroup" and "AllowOnlyAdmin".
// Every call reads the store afresh and reports no error: a failed read gives the default.

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

// Managed mode: fixed once at start-up, true while an administrator-management key exists.
bool DetectManagedMode();
bool IsManagedMode();
void SetManagedMode(bool managed);

// -1 when the policy key or value is missing or longer than 4 bytes.
qint32 GetPolicyDword(const QString& name);
reg::DWORD GetXmlControl(const QString& name);
bool IsXmlControlOff(const QString& name);

// The client's installation folder (HKLM, unnamed value), "" when missing or too long.
QString GetInstallPath();

reg::DWORD GetHideGroup(const QString& dataKey);
// Writes 1 for check state 1 and 0 for any other; nothing in managed mode.
void SetHideGroup(const QString& dataKey, int checkState);
reg::DWORD GetAllowOnlyAdmin(const QString& dataKey);
// Returns the key creation's error, or 0. Callers call it for administrators only.
reg::LSTATUS SetAllowOnlyAdmin(const QString& dataKey, int checkState);

} // namespace settings
