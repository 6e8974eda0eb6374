#include "resourcecenter/ToolKitPage.h"

#include "settings/StringTable.h"

CToolKit::CToolKit()
    : CAreaPage(res::IDD_RESOURCECENTER, settings::Area::ResourceCenter, QStringLiteral("HideRCenter"))
{
}

void CToolKit::BuildContent(QVBoxLayout* layout) { AddText(layout, res::IDC_INTRO); }

// A policy that forbids hiding the Resource Center also keeps a locked page's box as it is.
bool CToolKit::PageLocksAdminBox() const { return settings::GetHidePolicy(QStringLiteral("HideRCenter")) == 0; }
