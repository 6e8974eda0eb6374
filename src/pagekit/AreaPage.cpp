#include "pagekit/AreaPage.h"

#include "pagekit/CheckListCtrl.h"
#include "pagekit/ConfirmElev.h"
#include "pagekit/Controls.h"
#include "pagekit/IconButton.h"
#include "pagekit/Modal.h"
#include "pagekit/SheetWindow.h"
#include "platform/UserRights.h"

#include <QTimerEvent>
#include "platform/WindowMessages.h"
#include "settings/AdminLock.h"
#include "settings/ShellServices.h"
#include "settings/StringTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

int CheckState(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

} // namespace

CAreaPage::CAreaPage(unsigned templateId, settings::Area area, const QString& hidePolicyValue)
    : CPropertyPage(templateId), m_area(area), m_strHidePolicy(hidePolicyValue)
{
}

QLabel* CAreaPage::AddText(QVBoxLayout* layout, int controlId)
{
    auto* label = new QLabel(DialogText(controlId));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    ui::BindControl(label, controlId);
    layout->addWidget(label);
    return label;
}

CCheckListCtrl* CAreaPage::MakeCheckList(QVBoxLayout* layout, int labelId, int listId, QAbstractItemModel* model, QLabel** label)
{
    *label = new QLabel(DialogText(labelId));
    ui::BindControl(*label, labelId, (*label)->text());
    layout->addWidget(*label);
    auto* list = new CCheckListCtrl;
    ui::BindControl(list, listId, (*label)->text());
    (*label)->setBuddy(list);
    list->setModel(model);
    return list;
}

void CAreaPage::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    BuildContent(layout);
    layout->addStretch();
    if (!m_strHidePolicy.isEmpty()) {
        m_btnHide = new QCheckBox(DialogText(res::IDC_HIDE));
        ui::BindControl(m_btnHide, res::IDC_HIDE, m_btnHide->text());
        layout->addWidget(m_btnHide);
        connect(m_btnHide, &QCheckBox::clicked, this, [this] { OnBnClickedHide(); });
    }
    m_btnAdminOnly = new QCheckBox(DialogText(res::IDC_ADMINONLY));
    ui::BindControl(m_btnAdminOnly, res::IDC_ADMINONLY, m_btnAdminOnly->text());
    layout->addWidget(m_btnAdminOnly);
    connect(m_btnAdminOnly, &QCheckBox::clicked, this, &CAreaPage::OnBnClickedAdminOnly);
}

QString CAreaPage::ChooseDataKey() const { return settings::DataKey(m_area); }

bool CAreaPage::OnInitDialog()
{
    m_strDataKey = ChooseDataKey();
    if (m_btnHide)
        m_btnHide->setChecked(settings::GetHideGroup(m_strDataKey) != 0);
    m_btnAdminOnly->setChecked(settings::GetAllowOnlyAdmin(m_strDataKey) != 0);
    ApplyLock();
    ApplyPolicy();
    LoadContent();
    return true;
}

void CAreaPage::ApplyLock()
{
    app::LockInputs inputs = app::CurrentLockInputs(m_btnAdminOnly->isChecked());
    inputs.pageLocks = PageLocks();
    inputs.pageLocksAdminBox = PageLocksAdminBox();
    const app::LockDecision decision = app::DecideLock(inputs);
    m_bLocked = decision.contentLocked;
    m_btnAdminOnly->setEnabled(decision.adminBoxEnabled);
    if (!m_bLocked)
        return;
    QList<QWidget*> controls = ContentControls();
    if (m_btnHide)
        controls.append(m_btnHide);
    for (QWidget* control : controls)
        DisableControl(control);
}

void CAreaPage::DisableControl(QWidget* control)
{
    if (auto* button = qobject_cast<CIconButton*>(control))
        button->EnableButton(false);
    else
        control->setEnabled(false);
}

void CAreaPage::ApplyPolicy()
{
    if (!m_btnHide)
        return;
    const qint32 policy = settings::GetHidePolicy(m_strHidePolicy);
    if (policy == 0) {
        m_btnHide->setEnabled(false);
    } else if (policy == 1) {
        m_btnHide->setChecked(true);
        m_btnHide->setEnabled(false);
    }
}

app::SaveResult CAreaPage::OnOK()
{
    app::PageSave save;
    SaveSharedBoxes(m_strDataKey, save);
    if (app::MaySaveContent())
        SaveContent(save);
    const app::SaveResult result = save.Commit();
    FreeRecords();
    return result;
}

void CAreaPage::SaveSharedBoxes(const QString& dataKey, app::PageSave& save)
{
    using reg::Root;
    if (m_btnHide && save.Begin(Root::CurrentUser))
        save.Run(Root::CurrentUser, [&] { return settings::SetHideGroup(dataKey, CheckState(m_btnHide)); });
    if (platform::IsUserAnAdmin() && save.Begin(Root::LocalMachine))
        save.Run(Root::LocalMachine, [&] { return settings::SetAllowOnlyAdmin(dataKey, CheckState(m_btnAdminOnly)); });
}

void CAreaPage::OnCancel() { FreeRecords(); }

void CAreaPage::OnBnClickedHide() { SetModified(); }

void CAreaPage::OnBnClickedAdminOnly()
{
    if (!app::ClickAsksElevation()) {
        SetModified();
        return;
    }
    m_btnAdminOnly->setChecked(!m_btnAdminOnly->isChecked());
    CConfirmElev confirm;
    if (ui::ExecModal(confirm) != QDialog::Accepted)
        return;
    // Without our own window to take the close request, this copy would stay open holding the
    // lock: the sheet then closes as the request would close it.
    if (!app::Services().PostToWindow(platform::kCustomizerWndClass, platform::WM_CLOSE))
        ui::CloseSheetFromOutside();
}

void CAreaPage::DeferFirstLoad(unsigned timerId)
{
    m_nTimerId = timerId;
    m_loadTimer.start(0, this);
}

void CAreaPage::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_loadTimer.timerId()) {
        CPropertyPage::timerEvent(event);
        return;
    }
    m_loadTimer.stop();
    m_nTimerId = 0;
    PopulateItemList();
}
