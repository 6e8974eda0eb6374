#include "messagecenter/ImportRssFeeds.h"

#include "messagecenter/FeedImport.h"
#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

using namespace res::messagecenter;
constexpr unsigned kTemplate = IDD_IMPORTRSSFEEDS;

QRadioButton* MakeOption(QVBoxLayout* layout, int controlId)
{
    auto* option = new QRadioButton(res::LoadDialogText(kTemplate, controlId));
    ui::BindControl(option, controlId, option->text());
    layout->addWidget(option);
    return option;
}

} // namespace

CImportRssFeeds::CImportRssFeeds(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(res::LoadDialogText(kTemplate, res::IDC_CAPTION));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(res::LoadDialogText(kTemplate, IDC_IMPORT_PROMPT));
    prompt->setWordWrap(true);
    ui::BindControl(prompt, IDC_IMPORT_PROMPT, prompt->text());
    layout->addWidget(prompt);
    m_btnBrowser = MakeOption(layout, IDC_IMPORT_BROWSER);
    m_btnOpml = MakeOption(layout, IDC_IMPORT_OPML);
    layout->addStretch();
    QPushButton* cancel = nullptr;
    layout->addLayout(ui::OkCancelRow(kTemplate, &m_btnOk, &cancel));
    connect(m_btnOk, &QPushButton::clicked, this, &CImportRssFeeds::OnBnClickedOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Wide enough for the prompt on one line in either language.
    setMinimumWidth(qMax(360, prompt->fontMetrics().horizontalAdvance(prompt->text()) + 40));
}

int CImportRssFeeds::DoModal()
{
    OnInitDialog();
    return ui::ExecModal(*this);
}

void CImportRssFeeds::OnInitDialog()
{
    const bool browser = mc::BrowserImportAvailable();
    m_btnBrowser->setEnabled(browser);
    m_btnBrowser->setChecked(browser);
    m_btnOpml->setChecked(!browser);
    (browser ? m_btnBrowser : m_btnOpml)->setFocus();
}

void CImportRssFeeds::OnBnClickedOk()
{
    if (m_btnBrowser->isChecked()) {
        m_selection = {kBrowser, QString()};
        accept();
    } else if (GetOPMLName()) {
        accept();
    }
}

bool CImportRssFeeds::GetOPMLName()
{
    QFileDialog dialog(this, res::LoadResString(res::IDS_IMPORT),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dialog.setNameFilter(res::LoadResString(res::IDS_OPML_FILE) + QStringLiteral(" (*.xml *.opml)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (ui::ExecModal(dialog) != QDialog::Accepted) {
        // A cancelled dialog has no error of its own.
        TRACE("CImportRssFeeds::GetOPMLName : GetOpenFileName %.8X", 0u);
        return false;
    }
    const QString path = dialog.selectedFiles().value(0);
    if (!QFileInfo::exists(path) || !mc::HasOpmlExtension(path))
        return false;
    m_selection = {kOpmlFile, path};
    return true;
}
