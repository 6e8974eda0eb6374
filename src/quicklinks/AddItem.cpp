#include "quicklinks/AddItem.h"

#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "clientitems/ClientItem.h"
#include "quicklinks/FilePath.h"
#include "settings/StringTable.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr unsigned kTemplate = res::IDD_ADDITEM;
using namespace res::additem;
constexpr int kMaxName = 32;
constexpr int kMaxFileUrl = 260;
constexpr int kWidth = 440;

QLabel* MakeText(int controlId)
{
    auto* label = new QLabel(res::LoadDialogText(kTemplate, controlId));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    ui::BindControl(label, controlId);
    return label;
}

// A box named after its label, which passes the label's mnemonic on to it.
QLineEdit* MakeBox(int controlId, int labelId, int maxLength, QLabel*& label)
{
    label = new QLabel(res::LoadDialogText(kTemplate, labelId));
    ui::BindControl(label, labelId, label->text());
    auto* box = new QLineEdit;
    box->setMaxLength(maxLength);
    ui::BindControl(box, controlId, label->text());
    label->setBuddy(box);
    return box;
}

} // namespace

CAddItem::CAddItem(ClientItem& item, QWidget* parent) : QDialog(parent), m_item(item)
{
    auto* layout = new QVBoxLayout(this);
    m_prompt = MakeText(IDC_PROMPT);
    layout->addWidget(m_prompt);
    layout->addSpacing(6);

    QLabel* nameLabel = nullptr;
    QLabel* fileUrlLabel = nullptr;
    m_editName = MakeBox(IDC_NAME, IDC_NAME_LABEL, kMaxName, nameLabel);
    m_editFileUrl = MakeBox(IDC_FILEURL, IDC_FILEURL_LABEL, kMaxFileUrl, fileUrlLabel);
    auto* browse = ui::TemplateButton(kTemplate, IDC_BROWSE);
    auto* fields = new QGridLayout;
    layout->addLayout(fields);
    // Each label above its box, so that the boxes take the width the labels would take in any
    // language; the command box is as wide as the name box, a command line being the longer text.
    fields->addWidget(nameLabel, 0, 0, 1, 2);
    fields->addWidget(m_editName, 1, 0);
    fields->addWidget(fileUrlLabel, 2, 0, 1, 2);
    fields->addWidget(m_editFileUrl, 3, 0);
    fields->addWidget(browse, 3, 1);
    fields->addWidget(MakeText(IDC_HINT), 4, 0, 1, 2);
    fields->setColumnStretch(0, 1);
    layout->addStretch();
    layout->addSpacing(6);

    QPushButton* cancel = nullptr;
    layout->addLayout(ui::OkCancelRow(kTemplate, &m_btnOk, &cancel));

    connect(m_editName, &QLineEdit::textChanged, this, &CAddItem::OnEnChangeEdit);
    connect(m_editFileUrl, &QLineEdit::textChanged, this, &CAddItem::OnEnChangeEdit);
    // A longer stored name takes no more characters; as it gets shorter, the limit follows it
    // down to 32.
    connect(m_editName, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_editName->setMaxLength(qMax(kMaxName, int(text.size()))); });
    connect(browse, &QPushButton::clicked, this, &CAddItem::OnBnClickedBrowse);
    connect(m_btnOk, &QPushButton::clicked, this, &CAddItem::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The wrapped texts decide the height at the usual width.
    resize(kWidth, qMax(sizeHint().height(), heightForWidth(kWidth)));
}

int CAddItem::DoModal()
{
    OnInitDialog();
    return ui::ExecModal(*this);
}

void CAddItem::OnInitDialog()
{
    // The template has no title: the record says whether it is a new Quick Link.
    if (m_item.MenuString.isEmpty()) {
        setWindowTitle(res::LoadResString(res::IDS_NEW));
    } else {
        setWindowTitle(res::LoadResString(res::IDS_EDIT));
        m_prompt->setText(res::LoadResString(res::IDS_QUICKLINK_EDIT_PROMPT));
    }
    m_editFileUrl->setText(m_item.ExecInterface);
    // The limit is for typing: a longer stored name is shown whole, not cut.
    m_editName->setMaxLength(qMax(kMaxName, int(m_item.MenuString.size())));
    m_editName->setText(m_item.MenuString);
    OnEnChangeEdit();
}

void CAddItem::OnEnChangeEdit()
{
    m_btnOk->setEnabled(!m_editFileUrl->text().isEmpty() && !m_editName->text().isEmpty());
}

void CAddItem::OnOK()
{
    if (m_editFileUrl->text().isEmpty() || m_editName->text().isEmpty())
        return;
    m_item.ExecInterface = ql::CutItemText(m_editFileUrl->text());
    m_item.MenuString = ql::CutItemText(m_editName->text());
    accept();
}

void CAddItem::OnBnClickedBrowse()
{
    const QString start = ql::CheckFilePath(m_editFileUrl->text());
    QFileDialog dialog(this, res::LoadResString(res::IDS_EDIT), ql::ProgramFilesFolder());
    dialog.setFileMode(QFileDialog::ExistingFile);
    // An absolute start name also opens the dialog in its folder.
    if (!start.isEmpty())
        dialog.selectFile(start);
    if (ui::ExecModal(dialog) != QDialog::Accepted)
        return;
    const QString picked = dialog.selectedFiles().value(0);
    if (!picked.isEmpty() && QFileInfo::exists(picked))
        m_editFileUrl->setText(QStringLiteral("\"%1\"").arg(picked));
}
