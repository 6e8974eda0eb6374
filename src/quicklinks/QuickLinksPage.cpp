#include "quicklinks/QuickLinksPage.h"

#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "pagekit/IconButton.h"
#include "pagekit/Modal.h"
#include "platform/UserRights.h"
#include "quicklinks/AddItem.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace {

using namespace res::quicklinks;
constexpr unsigned kLoadTimerId = 1002;

int MaxUserDefinedAtStart()
{
    const reg::DWORD layoutMode = ql::LayoutMode();
    return layoutMode == ql::kSecondLayoutReadOnly ? 0 : ql::GetMaxUserDefinedNumber(layoutMode);
}

} // namespace

CQuickLinks::CQuickLinks()
    : CAreaPage(res::IDD_QUICKLINKS, settings::Area::QuickLinks, QStringLiteral("HideQLinks")),
      m_model(ql::MaxQuickLinks(), MaxUserDefinedAtStart())
{
    connect(&m_model, &QuickLinkModel::maximumReached, this, &CQuickLinks::ShowMaximumMessage);
}

CQuickLinks::~CQuickLinks() = default;

void CQuickLinks::BuildContent(QVBoxLayout* layout)
{
    m_intro = AddText(layout, IDC_INTRO);

    m_list = MakeCheckList(layout, IDC_LIST_LABEL, IDC_OUTPUTLIST, &m_model, &m_listLabel);

    m_btnArrowUp = new CIconButton;
    m_btnArrowDown = new CIconButton;
    // The arrows have no caption; their names say what they do.
    ui::BindControl(m_btnArrowUp, IDC_ARROWUP, res::LoadResString(res::IDS_MOVE_UP));
    ui::BindControl(m_btnArrowDown, IDC_ARROWDOWN, res::LoadResString(res::IDS_MOVE_DOWN));
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(m_btnArrowUp);
    arrows->addWidget(m_btnArrowDown);
    arrows->addStretch();
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(arrows);
    layout->addLayout(listRow, 1);
    // Why the list or New cannot be used, when they cannot.
    m_status = ui::StatusLine(IDC_LIST_STATUS);
    layout->addWidget(m_status);

    m_btnNew = new QPushButton(DialogText(IDC_NEW));
    m_btnEdit = new QPushButton(DialogText(IDC_EDIT));
    m_btnDelete = new QPushButton(DialogText(IDC_DELETE));
    layout->addLayout(ui::ButtonRow({{m_btnNew, IDC_NEW}, {m_btnEdit, IDC_EDIT}, {m_btnDelete, IDC_DELETE}}));

    connect(m_btnArrowUp, &QPushButton::clicked, this, &CQuickLinks::OnBnClickedArrowUp);
    connect(m_btnArrowDown, &QPushButton::clicked, this, &CQuickLinks::OnBnClickedArrowDown);
    connect(m_btnNew, &QPushButton::clicked, this, &CQuickLinks::OnBnClickedNew);
    connect(m_btnEdit, &QPushButton::clicked, this, &CQuickLinks::OnBnClickedEdit);
    connect(m_btnDelete, &QPushButton::clicked, this, &CQuickLinks::OnBnClickedDelete);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CQuickLinks::OnLvnItemchangedOutputlist);
    connect(&m_model, &QuickLinkModel::itemChanged, this, &CQuickLinks::OnLvnItemchangedOutputlist);
}

QString CQuickLinks::ChooseDataKey() const { return ql::CurrentClientKeys().dataKey; }

bool CQuickLinks::PageLocks() const { return ql::LayoutMode() == ql::kSecondLayoutReadOnly; }

QList<QWidget*> CQuickLinks::ContentControls() const
{
    return {m_btnDelete, m_btnEdit, m_btnNew, m_btnArrowUp, m_btnArrowDown, m_list, m_listLabel};
}

bool CQuickLinks::OnInitDialog()
{
    m_intro->setText(m_intro->text().replace(QStringLiteral("%d"), QString::number(m_model.MaxQuickLinks())));
    return CAreaPage::OnInitDialog();
}

void CQuickLinks::ApplyPolicy()
{
    const reg::DWORD layoutMode = ql::LayoutMode();
    if (layoutMode == ql::kSecondLayoutReadOnly) {
        m_btnAdminOnly->setChecked(false);
        m_btnAdminOnly->setEnabled(false);
    }
    if (layoutMode != ql::kFirstLayout)
        m_btnHide->setEnabled(false);
    CAreaPage::ApplyPolicy();
}

void CQuickLinks::LoadContent()
{
    m_btnArrowDown->SetIcons(IDI_ARROW_DOWN, IDI_ARROW_DOWN_DISABLED);
    m_btnArrowUp->SetIcons(IDI_ARROW_UP, IDI_ARROW_UP_DISABLED);

    FreeItemList();
    m_list->SetUpItemColumns(res::LoadResString(res::IDS_ITEM));
    m_nColumns = m_model.columnCount();

    // The list is filled once the page is shown.
    DeferFirstLoad(kLoadTimerId);
}



bool CQuickLinks::ListEditable() const { return !m_bLocked && !m_model.KeepsStoredList(); }

void CQuickLinks::PopulateItemList()
{
    const QuickLinkModel::RulesPause pause(m_model);
    m_model.PopulateItemList();
    if (m_model.KeepsStoredList() && m_model.StoredListState() != ql::StoredList::NoOrderKey) {
        // Nothing that the user changes here could be saved without losing the stored list.
        for (QWidget* control : ContentControls())
            DisableControl(control);
    }
    // An empty list offers no Edit or Delete.
    m_list->SetSelectionMark(0);
    SetEditDelete(m_model.LoadButtons(m_list->GetSelectionMark()));
    UpdateNewButton();
}

void CQuickLinks::FreeItemList() { m_model.FreeItemList(); }

void CQuickLinks::SetEditDelete(QuickLinkModel::Buttons buttons)
{
    m_btnEdit->setEnabled(buttons.edit && ListEditable());
    m_btnDelete->setEnabled(buttons.remove && ListEditable());
}

void CQuickLinks::UpdateNewButton()
{
    m_btnNew->setEnabled(ListEditable() && m_model.CanAddItem());
    const QString why = StatusText();
    m_status->setText(why);
    m_status->setVisible(!why.isEmpty());
}

QString CQuickLinks::StatusText() const
{
    if (PageLocks())
        return res::LoadResString(res::IDS_QUICKLINKS_LAYOUT_READ_ONLY);
    if (m_bLocked)
        return res::LoadResString(platform::IsElevated() ? res::IDS_QUICKLINKS_ELEVATED : res::IDS_QUICKLINKS_ADMIN_LOCK);
    switch (m_model.StoredListState()) {
    case ql::StoredList::Unreadable:
        return res::LoadResString(res::IDS_QUICKLINKS_UNREADABLE);
    case ql::StoredList::TooLong:
        return res::LoadResString(res::IDS_QUICKLINKS_TOO_LONG);
    case ql::StoredList::NoOrderKey:
        return res::LoadResString(res::IDS_QUICKLINKS_NO_ORDER_KEY);
    case ql::StoredList::Editable:
        break;
    }
    return m_model.CanAddItem() ? QString() : res::LoadResString(res::IDS_QUICKLINKS_FULL);
}

void CQuickLinks::OnLvnItemchangedOutputlist()
{
    if (!m_model.IsReady())
        return;
    TRACE("CQuickLinks::OnLvnItemchangedOutputlist");
    const int row = m_list->GetSelectionMark();
    if (row >= 0)
        SetEditDelete(m_model.ItemChangedButtons(row));
}

void CQuickLinks::MoveSelection(int offset)
{
    TRACE("CQuickLinks::OnBnClickedArrowUp()");
    const int row = m_list->GetSelectionMark();
    if (row < 0)
        return;
    const QuickLinkModel::RulesPause pause(m_model);
    if (m_model.MoveRow(row, row + offset))
        m_list->SetSelectionMark(row + offset);
}

void CQuickLinks::OnBnClickedArrowUp() { MoveSelection(-1); }

void CQuickLinks::OnBnClickedArrowDown() { MoveSelection(1); }

void CQuickLinks::OnBnClickedNew()
{
    if (!m_model.CanAddItem())
        return;
    ClientItem edited;
    CAddItem editor(edited);
    if (editor.DoModal() != QDialog::Accepted)
        return;
    m_model.AddItem(edited);
    UpdateNewButton();
}

void CQuickLinks::OnBnClickedEdit()
{
    const int row = m_list->GetSelectionMark();
    if (row < 0)
        return;
    ClientItem edited = m_model.Item(row);
    CAddItem editor(edited);
    if (editor.DoModal() == QDialog::Accepted)
        m_model.ReplaceItem(row, edited);
}

void CQuickLinks::OnBnClickedDelete()
{
    const QuickLinkModel::RulesPause pause(m_model);
    const int row = m_list->GetSelectionMark();
    if (row >= 0 && m_model.DeleteItem(row)) {
        m_btnEdit->setEnabled(false);
        m_btnDelete->setEnabled(false);
        UpdateNewButton();
    }
}

void CQuickLinks::ShowMaximumMessage(int maxQuickLinks)
{
    ui::ShowMessageBox(this, res::LoadResString(res::IDS_MAX_QUICKLINKS).replace(QStringLiteral("%d"), QString::number(maxQuickLinks)),
                       res::LoadResString(res::IDS_CAPTION), QMessageBox::Information, QMessageBox::Ok);
}

app::SaveResult CQuickLinks::OnOK()
{
    TRACE("CQuickLinks::OnOk");
    const reg::DWORD layoutMode = ql::LayoutMode();
    if (!ql::LayoutIsWritten(layoutMode))
        return {};
    app::PageSave save;
    // Before the first tick the list is not loaded yet: saving it would wipe the stored one.
    if (IsLoaded())
        m_model.WriteItemList(save);
    SaveSharedBoxes(ql::ResolveClientKeys(layoutMode, settings::IsManagedMode()).dataKey, save);
    const app::SaveResult result = save.Commit();
    FreeItemList();
    return result;
}

void CQuickLinks::OnCancel()
{
    TRACE("CQuickLinks::OnCancel");
    FreeItemList();
}

bool CQuickLinks::OnSetActive()
{
    ui::GiveFocus(m_list);
    return CAreaPage::OnSetActive();
}
