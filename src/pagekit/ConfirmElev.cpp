#include "pagekit/ConfirmElev.h"

#include "pagekit/Controls.h"
#include "settings/Settings.h"
#include "settings/ShellServices.h"
#include "settings/StringTable.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr unsigned kTemplate = res::IDD_CONFIRM_ELEVATION;
using namespace res::confirm_elevation;

// The desktop theme's shield where it has one that can be drawn, else the program's own.
QIcon ShieldIcon()
{
    const QIcon themed = QIcon::fromTheme(QStringLiteral("security-high"));
    if (!themed.pixmap(16, 16).isNull())
        return themed;
    return QIcon(QStringLiteral(":/icons/shield.png"));
}

QLabel* AddText(QVBoxLayout* layout, int controlId)
{
    auto* label = new QLabel(res::LoadDialogText(kTemplate, controlId));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    ui::BindControl(label, controlId, label->text());
    layout->addWidget(label);
    return label;
}

} // namespace

QString BrokerPath(const QString& installFolder) { return installFolder + QStringLiteral("/QsBroker"); }

CConfirmElev::CConfirmElev(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(res::LoadDialogText(kTemplate, res::IDC_CAPTION));
    auto* layout = new QVBoxLayout(this);
    AddText(layout, IDC_EXPLANATION);
    layout->addSpacing(6);
    AddText(layout, IDC_WARNING);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const QString continueText = res::LoadDialogText(kTemplate, IDC_CONTINUE);
    m_btnContinue = new QPushButton(ShieldIcon(), continueText);
    ui::BindControl(m_btnContinue, IDC_CONTINUE, continueText);
    m_btnContinue->setDefault(true);
    const QString cancelText = res::LoadDialogText(kTemplate, res::IDCANCEL);
    auto* cancel = new QPushButton(cancelText);
    ui::BindControl(cancel, res::IDCANCEL, cancelText);
    buttons->addWidget(m_btnContinue);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_btnContinue, &QPushButton::clicked, this, &CConfirmElev::OnBnClickedContinue);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // 241 x 106 dialog units.
    resize(362, 172);
}

void CConfirmElev::OnBnClickedContinue()
{
    const QString folder = settings::GetInstallPath();
    app::Services().StartProgram(BrokerPath(folder), folder);
    accept();
}
