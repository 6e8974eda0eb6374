#include "pagekit/PropertyPage.h"

#include "settings/StringTable.h"

CPropertyPage::CPropertyPage(unsigned templateId, QWidget* parent)
    : QWidget(parent), m_templateId(templateId)
{
}

QString CPropertyPage::Title() const { return DialogText(res::IDC_CAPTION); }

QString CPropertyPage::DialogText(int controlId) const
{
    return res::LoadDialogText(m_templateId, controlId);
}

void CPropertyPage::CreatePage()
{
    if (m_created)
        return;
    m_created = true;
    BuildControls();
    OnInitDialog();
}
