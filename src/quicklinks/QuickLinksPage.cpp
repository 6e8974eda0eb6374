#include "quicklinks/QuickLinksPage.h"

#include "app/StringTable.h"

#include <QLabel>

namespace {
constexpr int IDC_INTRO = 1055;
}

CQuickLinks::CQuickLinks()
    : CAreaPage(res::IDD_QUICKLINKS, settings::Area::QuickLinks, QStringLiteral("HideQLinks"))
{
}

void CQuickLinks::BuildContent(QVBoxLayout* layout) { m_intro = AddText(layout, IDC_INTRO); }

bool CQuickLinks::OnInitDialog()
{
    m_intro->setText(m_intro->text().replace(QStringLiteral("%d"), QString::number(m_nMaxQuickLinks)));
    return CAreaPage::OnInitDialog();
}
