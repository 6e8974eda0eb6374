#include "appearance/CreateScheme.h"

#include "appearance/ColorSwatch.h"
#include "appearance/ImageFile.h"
#include "appearance/SchemePreview.h"
#include "appearance/SchemeStore.h"
#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "registry/StoreConfig.h"
#include "settings/StringTable.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr unsigned kTemplate = res::appearance::IDD_CREATESCHEME;
using namespace res::appearance::createscheme;
constexpr int kMaxName = 32;
constexpr int kMaxPath = 260;
// The longest name or path the editor reads back: 259 characters and the terminator.
constexpr int kMaxText = 259;
constexpr int kWidth = 640;

// Each swatch's 16 custom colours, kept for the life of the process; all black at first.
enum { kFontTable, kBackTable };
std::array<QRgb, 16>& CustomColors(int table)
{
    static std::array<std::array<QRgb, 16>, 2> tables = [] {
        std::array<std::array<QRgb, 16>, 2> black;
        for (auto& colors : black)
            colors.fill(qRgb(0, 0, 0));
        return black;
    }();
    return tables[table];
}

QLabel* MakeLabel(int controlId, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(res::LoadDialogText(kTemplate, controlId));
    label->setTextFormat(Qt::PlainText);
    ui::BindControl(label, controlId, label->text());
    if (buddy) {
        label->setBuddy(buddy);
        buddy->setAccessibleName(ui::StripMnemonic(label->text()));
    }
    return label;
}

QLineEdit* MakeEdit(int controlId, int maxLength)
{
    auto* edit = new QLineEdit;
    edit->setMaxLength(maxLength);
    ui::BindControl(edit, controlId);
    return edit;
}

} // namespace

CCreateScheme::CCreateScheme(const SchemeItem& scheme, QWidget* parent) : QDialog(parent), m_scheme(scheme)
{
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(res::LoadDialogText(kTemplate, IDC_HEADING));
    m_heading->setWordWrap(true);
    m_heading->setTextFormat(Qt::PlainText);
    ui::BindControl(m_heading, IDC_HEADING);
    layout->addWidget(m_heading);

    auto* group = new QGroupBox;
    auto* fields = new QGridLayout(group);
    m_editName = MakeEdit(IDC_NAME, kMaxName);
    fields->addWidget(MakeLabel(IDC_NAME_LABEL, m_editName), 0, 0, 1, 2);
    fields->addWidget(m_editName, 1, 0, 1, 2);
    m_btnMastHead = new QCheckBox(res::LoadDialogText(kTemplate, IDC_MASTHEAD));
    ui::BindControl(m_btnMastHead, IDC_MASTHEAD, m_btnMastHead->text());
    fields->addWidget(m_btnMastHead, 2, 0, 1, 2);

    m_btnFontColor = new ColorSwatch;
    ui::BindControl(m_btnFontColor, IDC_FONTCOLOR);
    m_btnBackColor = new ColorSwatch;
    ui::BindControl(m_btnBackColor, IDC_BACKCOLOR);
    m_backColorLabel = MakeLabel(IDC_BACKCOLOR_LABEL, m_btnBackColor);
    auto* colors = new QHBoxLayout;
    colors->addWidget(MakeLabel(IDC_FONT_LABEL, m_btnFontColor));
    colors->addWidget(m_btnFontColor);
    colors->addSpacing(12);
    colors->addWidget(m_backColorLabel);
    colors->addWidget(m_btnBackColor);
    colors->addStretch();
    fields->addLayout(colors, 3, 0, 1, 2);

    m_editPrimary = MakeEdit(IDC_PRIMARY, kMaxPath);
    m_editSecondary = MakeEdit(IDC_SECONDARY, kMaxPath);
    auto* browsePrimary = ui::TemplateButton(kTemplate, IDC_BROWSE_PRIMARY);
    auto* browseSecondary = ui::TemplateButton(kTemplate, IDC_BROWSE_SECONDARY);
    fields->addWidget(MakeLabel(IDC_PRIMARY_LABEL, m_editPrimary), 4, 0, 1, 2);
    fields->addWidget(m_editPrimary, 5, 0);
    fields->addWidget(browsePrimary, 5, 1);
    fields->addWidget(MakeLabel(IDC_SECONDARY_LABEL, m_editSecondary), 6, 0, 1, 2);
    fields->addWidget(m_editSecondary, 7, 0);
    fields->addWidget(browseSecondary, 7, 1);
    fields->setColumnStretch(0, 1);

    m_preview = new SchemePreview;
    ui::BindControl(m_preview, IDC_PREVIEW);
    m_preview->setMinimumSize(180, 135);
    auto* body = new QHBoxLayout;
    body->addWidget(group, 1);
    body->addWidget(m_preview);
    layout->addLayout(body);

    QPushButton* cancel = nullptr;
    layout->addLayout(ui::OkCancelRow(kTemplate, &m_btnOk, &cancel));

    connect(m_editName, &QLineEdit::textChanged, this, &CCreateScheme::OnEnChangeName);
    connect(m_editPrimary, &QLineEdit::textChanged, this, &CCreateScheme::OnEnChangePrimaryImage);
    connect(m_btnFontColor, &QAbstractButton::clicked, this, &CCreateScheme::OnBnClickedFontColor);
    connect(m_btnBackColor, &QAbstractButton::clicked, this, &CCreateScheme::OnBnClickedBackColor);
    connect(browsePrimary, &QPushButton::clicked, this, &CCreateScheme::OnBnClickedBrowsePrimary);
    connect(browseSecondary, &QPushButton::clicked, this, &CCreateScheme::OnBnClickedBrowseSecondary);
    connect(m_btnOk, &QPushButton::clicked, this, &CCreateScheme::OnBnClickedOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit* edit : {m_editName, m_editPrimary})
        connect(edit, &QLineEdit::textChanged, this, &CCreateScheme::UpdatePreview);
    connect(m_btnMastHead, &QCheckBox::toggled, this, &CCreateScheme::UpdatePreview);
    // Room for a path of usual length beside the preview.
    resize(kWidth, sizeHint().height());
}

int CCreateScheme::DoModal()
{
    OnInitDialog();
    return ui::ExecModal(*this);
}

void CCreateScheme::OnInitDialog()
{
    // The background colour has no visible effect in the client: its controls stay hidden.
    m_backColorLabel->setEnabled(false);
    m_backColorLabel->hide();
    m_btnBackColor->setEnabled(false);
    m_btnBackColor->hide();
    m_bNew = m_scheme.KeyName.isEmpty();
    if (m_bNew) {
        m_scheme.FgColor = 0xFFFFFF;
        m_scheme.BgColor = 0;
        setWindowTitle(res::LoadResString(res::IDS_NEW));
        m_btnOk->setEnabled(false);
    } else {
        // Filling the boxes runs their rules: the name's, which runs last, decides OK.
        m_editPrimary->setText(m_scheme.BgImage);
        if (scheme::IsExistingFile(m_scheme.BgImageOSD))
            m_editSecondary->setText(m_scheme.BgImageOSD);
        m_editName->setMaxLength(qMax(kMaxName, int(m_scheme.KeyName.size())));
        m_editName->setText(m_scheme.KeyName);
        m_editName->setReadOnly(true);
        m_heading->setText(res::LoadResString(res::IDS_SCHEME_EDIT_HEADING));
        setWindowTitle(res::LoadResString(res::IDS_EDIT));
        m_btnMastHead->setChecked(m_scheme.UseMastHead != 0);
    }
    m_btnFontColor->SetColor(scheme::ToQColor(m_scheme.FgColor));
    m_btnBackColor->SetColor(scheme::ToQColor(m_scheme.BgColor));
    UpdatePreview();
}

void CCreateScheme::OnEnChangeName()
{
    const QString name = m_editName->text();
    m_btnOk->setEnabled(name.size() <= kMaxText && scheme::IsValidSchemeName(name) && !m_editPrimary->text().isEmpty());
}

void CCreateScheme::OnEnChangePrimaryImage()
{
    const QString path = m_editPrimary->text();
    m_btnOk->setEnabled(path.size() <= kMaxText && scheme::IsValidSchemeName(m_editName->text())
                        && scheme::PassesImageTest(path));
}

void CCreateScheme::OnBnClickedFontColor() { ChooseColor(m_scheme.FgColor, m_btnFontColor, kFontTable); }

void CCreateScheme::OnBnClickedBackColor() { ChooseColor(m_scheme.BgColor, m_btnBackColor, kBackTable); }

void CCreateScheme::ChooseColor(reg::DWORD& color, ColorSwatch* swatch, int table)
{
    // The chooser keeps one table for all: this swatch's own is put in and taken back.
    std::array<QRgb, 16>& custom = CustomColors(table);
    for (int i = 0; i < int(custom.size()); ++i)
        QColorDialog::setCustomColor(i, QColor::fromRgb(custom[i]));
    QColorDialog chooser(scheme::ToQColor(color), this);
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    if (ui::ExecModal(chooser) == QDialog::Accepted && chooser.currentColor().isValid())
        color = scheme::ToColorRef(chooser.currentColor());
    for (int i = 0; i < int(custom.size()); ++i)
        custom[i] = QColorDialog::customColor(i).rgb();
    swatch->SetColor(scheme::ToQColor(color));
    swatch->repaint();
    UpdatePreview();
}

void CCreateScheme::OnBnClickedBrowsePrimary() { Browse(m_editPrimary); }

void CCreateScheme::OnBnClickedBrowseSecondary() { Browse(m_editSecondary); }

void CCreateScheme::Browse(QLineEdit* target)
{
    QFileDialog dialog(this, QString(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    dialog.setNameFilter(res::LoadResString(res::IDS_PICTURE_FILES) + QStringLiteral(" (*.jpg *.png *.gif *.bmp)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    if (!target->text().isEmpty())
        dialog.selectFile(target->text());
    if (ui::ExecModal(dialog) != QDialog::Accepted)
        return;
    const QString picked = dialog.selectedFiles().value(0);
    if (!scheme::PassesImageTest(picked))
        return;
    target->setText(picked);
    if (target == m_editPrimary)
        m_btnOk->setEnabled(scheme::IsValidSchemeName(m_editName->text()));
}

void CCreateScheme::OnBnClickedOk()
{
    const QString name = m_editName->text().left(kMaxText);
    const QString primary = m_editPrimary->text().left(kMaxText);
    const QString secondary = m_editSecondary->text().left(kMaxText);
    if (!scheme::IsValidSchemeName(name) || !QFileInfo::exists(primary))
        return;
    if (!secondary.isEmpty() && !scheme::IsExistingFile(secondary))
        return;
    m_scheme.KeyName = name;
    m_scheme.UseMastHead = m_btnMastHead->isChecked() ? 1 : 0;
    m_scheme.BgImage = primary;
    m_scheme.BgImageOSD = secondary;
    // The page's reload shows what the store holds, whether or not this was written.
    const reg::LSTATUS status = scheme::SaveScheme(m_scheme);
    if (status != reg::ERROR_SUCCESS) {
        ui::ShowMessageBox(this, res::LoadResString(res::IDS_SAVE_FAILED).arg(reg::StoreErrorText(reg::Root::CurrentUser, status)),
                           res::LoadResString(res::IDS_CAPTION), QMessageBox::Warning, QMessageBox::Ok);
    }
    accept();
}

void CCreateScheme::UpdatePreview()
{
    SchemeItem shown = m_scheme;
    shown.DisplayName = m_editName->text();
    shown.BgImage = m_editPrimary->text();
    shown.UseMastHead = m_btnMastHead->isChecked() ? 1 : 0;
    m_preview->SetScheme(shown);
}
