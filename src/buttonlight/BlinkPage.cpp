#include "buttonlight/BlinkPage.h"

#include "settings/StringTable.h"

CBlink::CBlink() : CAreaPage(res::IDD_BUTTONLIGHT, settings::Area::ButtonLight, QString()) {}

void CBlink::BuildContent(QVBoxLayout* layout) { AddText(layout, res::IDC_INTRO); }

// With the light switched off by policy a locked page's box stays as it is.
bool CBlink::PageLocksAdminBox() const { return settings::GetPolicyDword(QStringLiteral("DisableBlink"), 1) == 1; }
