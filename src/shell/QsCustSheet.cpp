#include "shell/QsCustSheet.h"

#include "appearance/AppearancePage.h"
#include "buttonlight/BlinkPage.h"
#include "messagecenter/MessageCenterPage.h"
#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "pagekit/PropertyPage.h"
#include "pagekit/SheetWindow.h"
#include "quicklinks/QuickLinksPage.h"
#include "registry/StoreConfig.h"
#include "resourcecenter/ToolKitPage.h"
#include "settings/SettingsWritten.h"
#include "settings/StringTable.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

namespace {

// 237 x 265 dialog units of the pages' templates at the usual dialog font.
constexpr QSize kPageSize(356, 431);

} // namespace

CQsCustSheet::CQsCustSheet(const QString& caption, QWidget* parent, int startPage)
    : QDialog(parent), m_startPage(startPage)
{
    setWindowTitle(caption);
    setObjectName(QStringLiteral("CQsCustSheet"));
    m_pages = {new CQuickLinks, new CToolKit, new CMessageCenter, new CAppearance, new CBlink};

    m_tabs = new QTabWidget;
    // Every tab title stays visible: no scroll buttons, no eliding; the sheet grows to fit.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    m_tabs->setDocumentMode(false);
    for (CPropertyPage* page : m_pages) {
        page->setMinimumSize(kPageSize);
        m_tabs->addTab(page, page->Title());
    }
    m_tabs->setAccessibleName(caption);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ui::BindControl(ok, res::IDOK, ok->text());
    ui::BindControl(cancel, res::IDCANCEL, cancel->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    // Only a button already in the dialog becomes its main default, the one Enter falls back to
    // when the focus leaves a button that took Enter for itself.
    ok->setDefault(true);
}

CQsCustSheet::~CQsCustSheet() = default;

void CQsCustSheet::SetActivePage(int index) { m_tabs->setCurrentIndex(index); }

void CQsCustSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_initialised)
        OnInitDialog();
}

void CQsCustSheet::OnInitDialog()
{
    m_initialised = true;
    m_tabs->setCurrentIndex(m_startPage);
    OnTabChanged(m_startPage);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CQsCustSheet::OnTabChanged);
    ui::SetSheetWindow(this);
}

void CQsCustSheet::OnTabChanged(int index)
{
    if (index < 0 || index >= kPageCount)
        return;
    CPropertyPage* page = m_pages[index];
    page->CreatePage();
    page->OnSetActive();
}

void CQsCustSheet::accept()
{
    int saves = 0;
    int failures = 0;
    std::optional<app::SaveResult> failure;
    for (CPropertyPage* page : m_pages) {
        if (!page->IsCreated())
            continue;
        const app::SaveResult result = page->OnOK();
        saves += result.wrote ? 1 : 0;
        if (result.Failed()) {
            ++failures;
            if (!failure)
                failure = result;
        }
    }
    m_bNothingSaved = saves > 0 && failures == saves;
    if (failure) {
        ui::ShowMessageBox(this, res::LoadResString(res::IDS_SAVE_FAILED).arg(reg::StoreErrorText(failure->root, failure->status)),
                           res::LoadResString(res::IDS_CAPTION), QMessageBox::Warning, QMessageBox::Ok);
    }
    QDialog::accept();
}

void CQsCustSheet::reject()
{
    for (CPropertyPage* page : m_pages) {
        if (page->IsCreated())
            page->OnCancel();
    }
    QDialog::reject();
}
