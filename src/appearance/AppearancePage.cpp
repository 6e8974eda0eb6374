#include "appearance/AppearancePage.h"

#include "settings/StringTable.h"

CAppearance::CAppearance() : CAreaPage(res::IDD_APPEARANCE, settings::Area::Appearance, QString()) {}

void CAppearance::BuildContent(QVBoxLayout* layout) { AddText(layout, res::IDC_INTRO); }
