#include "appearance/AppearancePage.h"

#include "appearance/CreateScheme.h"
#include "appearance/SchemePreview.h"
#include "appearance/SchemeStore.h"
#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "platform/UserRights.h"
#include "registry/StoreConfig.h"
#include "settings/AdminLock.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using namespace res::appearance;

} // namespace

CAppearance::CAppearance() : CAreaPage(res::IDD_APPEARANCE, settings::Area::Appearance, QString()) {}

void CAppearance::BuildContent(QVBoxLayout* layout)
{
    AddText(layout, res::IDC_INTRO);

    m_list = new QListView;
    m_list->setModel(&m_model);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui::BindControl(m_list, IDC_SCHEMELIST, res::LoadResString(IDS_SCHEME_LIST));
    m_preview = new SchemePreview;
    ui::BindControl(m_preview, IDC_PREVIEW);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addWidget(m_preview, 0, Qt::AlignTop);
    layout->addLayout(listRow, 1);

    // Why the list cannot be changed, when it cannot.
    m_status = ui::StatusLine(IDC_LIST_STATUS);
    layout->addWidget(m_status);

    m_btnNew = new QPushButton(DialogText(IDC_NEW));
    m_btnEdit = new QPushButton(DialogText(IDC_EDIT));
    m_btnDelete = new QPushButton(DialogText(IDC_DELETE));
    m_btnApply = new QPushButton(DialogText(IDC_APPLY));
    layout->addLayout(ui::ButtonRow({{m_btnNew, IDC_NEW}, {m_btnEdit, IDC_EDIT}, {m_btnDelete, IDC_DELETE}, {m_btnApply, IDC_APPLY}}));
    for (QPushButton* button : {m_btnNew, m_btnEdit, m_btnDelete, m_btnApply})
        button->setAutoDefault(false);

    connect(m_btnNew, &QPushButton::clicked, this, &CAppearance::OnBnClickedNew);
    connect(m_btnEdit, &QPushButton::clicked, this, &CAppearance::OnBnClickedEdit);
    connect(m_btnDelete, &QPushButton::clicked, this, &CAppearance::OnBnClickedDelete);
    connect(m_btnApply, &QPushButton::clicked, this, &CAppearance::OnBnClickedApply);
    connect(m_list, &QListView::doubleClicked, this, &CAppearance::OnLbnDblclkSchemeList);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CAppearance::OnLbnSelchangeSchemeList);
}

QList<QWidget*> CAppearance::ContentControls() const { return {m_btnApply, m_btnDelete, m_btnEdit, m_btnNew, m_list}; }

void CAppearance::LoadContent()
{
    m_szInstallPath = settings::GetInstallPath();
    LoadSchemeList();
}

void CAppearance::LoadSchemeList()
{
    m_model.LoadSchemeList(m_szInstallPath);
    if (m_model.IsUnreadable()) {
        // Nothing written now could keep what the store holds but could not give.
        for (QWidget* button : {m_btnApply, m_btnDelete, m_btnEdit, m_btnNew})
            button->setEnabled(false);
    }
    Select(m_model.InitialRow());
    UpdateButtons();
    ShowStatus();
}

int CAppearance::Selection() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CAppearance::Select(int row)
{
    if (row < 0) {
        m_list->selectionModel()->clearSelection();
        m_preview->Clear();
        return;
    }
    m_list->setCurrentIndex(m_model.index(row));
}

bool CAppearance::MayChange() const { return platform::IsUserAnAdmin() || !m_btnAdminOnly->isChecked(); }

bool CAppearance::MayWrite() const { return app::MaySaveContent() && !m_model.IsUnreadable(); }

void CAppearance::UpdateButtons()
{
    const int row = Selection();
    if (row >= 0)
        m_preview->SetScheme(m_model.Item(row));
    if (!app::MaySaveContent() || row < 0)
        return;
    const SchemeListModel::Buttons buttons = m_model.ButtonsFor(row, MayChange());
    m_btnEdit->setEnabled(buttons.edit);
    m_btnDelete->setEnabled(buttons.remove);
}

void CAppearance::ShowStatus()
{
    QString why;
    if (settings::IsManagedMode())
        why = res::LoadResString(IDS_SCHEMES_MANAGED);
    else if (platform::IsElevated())
        why = res::LoadResString(IDS_SCHEMES_ELEVATED);
    else if (m_bLocked)
        why = res::LoadResString(IDS_SCHEMES_ADMIN_LOCK);
    else if (m_model.IsUnreadable())
        why = res::LoadResString(IDS_SCHEMES_UNREADABLE);
    m_status->setText(why);
    m_status->setVisible(!why.isEmpty());
}

void CAppearance::OnLbnSelchangeSchemeList() { UpdateButtons(); }

void CAppearance::OnLbnDblclkSchemeList() { ApplySelectedScheme(); }

void CAppearance::OnBnClickedApply() { ApplySelectedScheme(); }

void CAppearance::ApplySelectedScheme()
{
    const int row = Selection();
    if (!MayWrite() || m_bLocked || row < 0)
        return;
    const reg::LSTATUS status = m_model.ApplyScheme(row);
    if (status != reg::ERROR_SUCCESS) {
        ReportFailure(status);
        return;
    }
    Select(row);
    m_btnDelete->setEnabled(false);
}

void CAppearance::OnBnClickedNew()
{
    if (!MayWrite() || m_bLocked)
        return;
    CCreateScheme editor(SchemeItem{}, this);
    if (editor.DoModal() == QDialog::Accepted)
        LoadSchemeList();
}

void CAppearance::OnBnClickedEdit()
{
    const int row = Selection();
    if (!MayWrite() || row < 0 || !m_model.ButtonsFor(row, MayChange()).edit)
        return;
    CCreateScheme editor(m_model.Item(row), this);
    if (editor.DoModal() == QDialog::Accepted)
        LoadSchemeList();
}

void CAppearance::OnBnClickedDelete()
{
    const int row = Selection();
    if (!MayWrite() || row < 0 || !m_model.ButtonsFor(row, MayChange()).remove)
        return;
    const reg::LSTATUS status = scheme::DeleteScheme(m_model.Item(row).KeyName);
    if (status != reg::ERROR_SUCCESS)
        ReportFailure(status);
    LoadSchemeList();
}

void CAppearance::ReportFailure(reg::LSTATUS status)
{
    ui::ShowMessageBox(this, res::LoadResString(res::IDS_SAVE_FAILED).arg(reg::StoreErrorText(reg::Root::CurrentUser, status)),
                       res::LoadResString(res::IDS_CAPTION), QMessageBox::Warning, QMessageBox::Ok);
}

void CAppearance::FreeRecords()
{
    m_model.FreeSchemeList();
    m_preview->Clear();
}

void CAppearance::OnCancel()
{
    TRACE("CAppearance::OnCancel");
    CAreaPage::OnCancel();
}
