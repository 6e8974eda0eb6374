#include "appearance/AppearancePage.h"

#include "app/StringTable.h"

CAppearance::CAppearance() : CAreaPage(res::IDD_APPEARANCE, settings::Area::Appearance, QString()) {}

void CAppearance::BuildContent(QVBoxLayout* layout) { AddText(layout, res::IDC_INTRO); }
