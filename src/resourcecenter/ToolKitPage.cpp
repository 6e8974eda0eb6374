#include "resourcecenter/ToolKitPage.h"

#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "settings/StringTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace {

using namespace res::resourcecenter;
constexpr unsigned kLoadTimerId = 1003;

} // namespace

CToolKit::CToolKit()
    : CAreaPage(res::IDD_RESOURCECENTER, settings::Area::ResourceCenter, QStringLiteral("HideRCenter"))
{
}

void CToolKit::BuildContent(QVBoxLayout* layout)
{
    AddText(layout, res::IDC_INTRO);

    m_list = MakeCheckList(layout, IDC_LIST_LABEL, IDC_OUTPUTLIST, &m_model, &m_listLabel);
    layout->addWidget(m_list, 1);

    m_status = ui::StatusLine(IDC_LIST_STATUS);
    layout->addWidget(m_status);
}

bool CToolKit::OnInitDialog()
{
    m_bNlsMode = rc::IsNlsMode();
    m_nXmlControl = rc::XmlControl();
    return CAreaPage::OnInitDialog();
}

QString CToolKit::ChooseDataKey() const { return rc::CategoryDataKey(m_nXmlControl, settings::IsManagedMode()); }

bool CToolKit::PageLocks() const { return m_nXmlControl != rc::kOrderLayout; }

// A policy that forbids hiding the Resource Center also keeps a locked page's box as it is.
bool CToolKit::PageLocksAdminBox() const { return settings::GetHidePolicy(QStringLiteral("HideRCenter")) == 0; }

QList<QWidget*> CToolKit::ContentControls() const { return {m_list, m_listLabel}; }

void CToolKit::ApplyPolicy()
{
    // Without a data key there is nothing the boxes could show.
    if (m_strDataKey.isEmpty()) {
        m_btnHide->setChecked(false);
        m_btnAdminOnly->setChecked(false);
    }
    CAreaPage::ApplyPolicy();
    if (m_nXmlControl != rc::kOrderLayout) {
        m_btnAdminOnly->setChecked(false);
        m_btnAdminOnly->setEnabled(false);
        m_btnHide->setEnabled(false);
    }
}

void CToolKit::LoadContent()
{
    m_nColumns = 0;
    FreeRecords();
    m_list->SetUpItemColumns(res::LoadResString(res::IDS_ITEM));
    m_nColumns = m_model.columnCount();

    // The list is filled once the page is shown.
    DeferFirstLoad(kLoadTimerId);
}



void CToolKit::PopulateItemList()
{
    m_model.PopulateItemList(ListMode());
    if (m_model.KeepsStoredList()) {
        // Nothing that the user changes here could be saved without losing the stored list.
        for (QWidget* control : ContentControls())
            DisableControl(control);
    }
    m_list->SetSelectionMark(0);
    const QString why = StatusText();
    m_status->setText(why);
    m_status->setVisible(!why.isEmpty());
}

QString CToolKit::StatusText() const
{
    if (m_nXmlControl != rc::kOrderLayout)
        return res::LoadResString(res::IDS_RESOURCECENTER_LAYOUT);
    if (m_bNlsMode)
        return res::LoadResString(res::IDS_RESOURCECENTER_NLS);
    switch (m_model.StoredListState()) {
    case ql::StoredList::Unreadable:
        return res::LoadResString(res::IDS_RESOURCECENTER_UNREADABLE);
    case ql::StoredList::TooLong:
        return res::LoadResString(res::IDS_RESOURCECENTER_TOO_LONG);
    case ql::StoredList::NoOrderKey:
    case ql::StoredList::Editable:
        break;
    }
    return {};
}

app::SaveResult CToolKit::OnOK()
{
    // Only the page's own order list and the ".2" key keep what this page shows.
    if (m_bNlsMode || (m_nXmlControl != rc::kOrderLayout && m_nXmlControl != rc::kClientLayoutWithBoxes)) {
        FreeRecords();
        return {};
    }
    return CAreaPage::OnOK();
}

void CToolKit::SaveContent(app::PageSave& save)
{
    // Before the first tick the list is not loaded yet: saving it would wipe the stored one.
    if (m_nXmlControl == rc::kOrderLayout && IsLoaded())
        m_model.WriteItemList(save);
}

void CToolKit::FreeRecords() { m_model.FreeItemList(); }
