#include "buttonlight/BlinkPage.h"

#include "pagekit/Controls.h"
#include "platform/LedDevice.h"
#include "platform/ProcessStart.h"
#include "platform/UserRights.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimerEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace {

using namespace res::buttonlight;

unsigned LevelText(reg::DWORD level)
{
    switch (level) {
    case blink::kOn:
        return res::IDS_LIGHT_ON;
    case blink::kLowBlink:
        return res::IDS_BLINK_LOW;
    case blink::kMediumBlink:
        return res::IDS_BLINK_MEDIUM;
    default:
        return res::IDS_BLINK_HIGH;
    }
}

// A drop-down list whose open part reaches the page's right edge.
class PageWideList : public QComboBox {
public:
    explicit PageWideList(QWidget* page) : m_page(page) {}

    void showPopup() override
    {
        view()->setMinimumWidth(m_page->width() - mapTo(m_page, QPoint()).x());
        QComboBox::showPopup();
    }

private:
    QWidget* m_page;
};

} // namespace

CBlink::CBlink() : CAreaPage(res::IDD_BUTTONLIGHT, settings::Area::ButtonLight, QString()) {}

void CBlink::BuildContent(QVBoxLayout* layout)
{
    AddText(layout, res::IDC_INTRO);

    auto* defaultGroup = new QGroupBox(DialogText(IDC_DEFAULT_GROUP));
    ui::BindControl(defaultGroup, IDC_DEFAULT_GROUP, defaultGroup->title());
    m_btnLightOn = new QRadioButton(DialogText(IDC_LIGHT_ON));
    m_btnLightOff = new QRadioButton(DialogText(IDC_LIGHT_OFF));
    auto* defaultLayout = new QVBoxLayout(defaultGroup);
    for (auto [button, id] : {std::pair{m_btnLightOn, IDC_LIGHT_ON}, {m_btnLightOff, IDC_LIGHT_OFF}}) {
        ui::BindControl(button, id, button->text());
        defaultLayout->addWidget(button);
    }
    layout->addWidget(defaultGroup);

    auto* indicationGroup = new QGroupBox(DialogText(IDC_INDICATION_GROUP));
    ui::BindControl(indicationGroup, IDC_INDICATION_GROUP, indicationGroup->title());
    auto* grid = new QGridLayout(indicationGroup);
    m_indicationForLabel = new QLabel(DialogText(IDC_INDICATION_FOR_LABEL));
    m_cbIndicationFor = new PageWideList(this);
    m_btnSettings = new QPushButton(DialogText(IDC_SETTINGS));
    m_indicationTypeLabel = new QLabel(DialogText(IDC_INDICATION_TYPE_LABEL));
    m_cbIndicationType = new PageWideList(this);
    m_btnPreview = new QPushButton(DialogText(IDC_PREVIEW));
    int row = 0;
    for (auto [label, labelId, list, listId, button, buttonId] :
         {std::tuple{m_indicationForLabel, IDC_INDICATION_FOR_LABEL, m_cbIndicationFor, IDC_INDICATION_FOR, m_btnSettings, IDC_SETTINGS},
          {m_indicationTypeLabel, IDC_INDICATION_TYPE_LABEL, m_cbIndicationType, IDC_INDICATION_TYPE, m_btnPreview, IDC_PREVIEW}}) {
        ui::BindControl(label, labelId, label->text());
        ui::BindControl(list, listId, label->text());
        ui::BindControl(button, buttonId, button->text());
        label->setBuddy(list);
        grid->addWidget(label, row++, 0, 1, 2);
        grid->addWidget(list, row, 0);
        grid->addWidget(button, row++, 1);
    }
    grid->setColumnStretch(0, 1);
    layout->addWidget(indicationGroup);

    // Why the light cannot be set or previewed, when it cannot.
    m_status = ui::StatusLine(IDC_LIGHT_STATUS);
    layout->addWidget(m_status);

    connect(m_btnLightOn, &QRadioButton::clicked, this, &CBlink::OnBnClickedLightOn);
    connect(m_btnLightOff, &QRadioButton::clicked, this, &CBlink::OnBnClickedLightOff);
    connect(m_cbIndicationFor, &QComboBox::currentIndexChanged, this, &CBlink::OnCbnSelchangeIndicationFor);
    connect(m_cbIndicationType, &QComboBox::currentIndexChanged, this, &CBlink::OnCbnSelchangeIndicationType);
    connect(m_btnSettings, &QPushButton::clicked, this, &CBlink::OnBnClickedSettings);
    connect(m_btnPreview, &QPushButton::clicked, this, &CBlink::OnBnClickedPreview);
}

// The light switched off by policy, or a machine store that cannot say it is not, locks the
// administrator-only box of a locked page too.
bool CBlink::PageLocksAdminBox() const { return settings::GetPolicyDword(QStringLiteral("DisableBlink"), 1) == 1; }

QList<QWidget*> CBlink::ContentControls() const
{
    return {m_btnLightOn, m_btnLightOff, m_cbIndicationFor, m_btnSettings, m_cbIndicationType, m_btnPreview};
}

bool CBlink::OnInitDialog()
{
    m_bLedCapable = IsLedCapable() != 0;
    m_bDisableBlink = PageLocksAdminBox();
    return CAreaPage::OnInitDialog();
}

void CBlink::LoadContent() { LoadIndicationList(); }

void CBlink::LoadIndicationList()
{
    const reg::HKEY root = settings::IsManagedMode() ? reg::HKEY_LOCAL_MACHINE : reg::HKEY_CURRENT_USER;
    m_rules.Load(blink::LoadLightSettings(root, m_strDataKey), m_bDisableBlink);
    (m_rules.LightOnByDefault() ? m_btnLightOn : m_btnLightOff)->setChecked(true);
    {
        const QSignalBlocker blocker(m_cbIndicationFor);
        m_cbIndicationFor->clear();
        m_cbIndicationFor->addItem(res::LoadResString(res::IDS_FUNCTION_NONE));
        for (const IndicationItem& item : m_rules.Functions())
            m_cbIndicationFor->addItem(item.ProgramName);
        m_cbIndicationFor->setCurrentIndex(m_rules.Selected());
    }
    FillTypeList();
    UpdateControls();
}

void CBlink::FillTypeList()
{
    const QSignalBlocker blocker(m_cbIndicationType);
    m_cbIndicationType->clear();
    for (const reg::DWORD level : m_rules.TypeLevels())
        m_cbIndicationType->addItem(res::LoadResString(LevelText(level)));
    m_cbIndicationType->setCurrentIndex(m_rules.TypeIndex());
}

void CBlink::UpdateControls()
{
    const IndicationRules::Controls enabled = m_rules.EnabledControls(m_bLocked, m_bLedCapable, m_bDisableBlink);
    m_btnLightOn->setEnabled(enabled.defaultButtons);
    m_btnLightOff->setEnabled(enabled.defaultButtons);
    m_indicationForLabel->setEnabled(enabled.functionList);
    m_cbIndicationFor->setEnabled(enabled.functionList);
    m_btnSettings->setEnabled(enabled.settings);
    m_indicationTypeLabel->setEnabled(enabled.typeList);
    m_cbIndicationType->setEnabled(enabled.typeList);
    m_btnPreview->setEnabled(enabled.preview);
    const QString why = StatusText();
    m_status->setText(why);
    m_status->setVisible(!why.isEmpty());
}

QString CBlink::StatusText() const
{
    if (m_rules.Unreadable() || m_rules.DefaultStateKept())
        return res::LoadResString(res::IDS_BUTTONLIGHT_UNREADABLE);
    if (m_bDisableBlink)
        return res::LoadResString(res::IDS_BUTTONLIGHT_POLICY_OFF);
    if (!m_bLedCapable)
        return res::LoadResString(res::IDS_BUTTONLIGHT_NO_DEVICE);
    return QString();
}

void CBlink::OnCbnSelchangeIndicationFor()
{
    m_rules.SelectFunction(m_cbIndicationFor->currentIndex());
    const QSignalBlocker blocker(m_cbIndicationType);
    m_cbIndicationType->setCurrentIndex(m_rules.TypeIndex());
    UpdateControls();
}

void CBlink::OnCbnSelchangeIndicationType() { m_rules.SelectType(m_cbIndicationType->currentIndex()); }

void CBlink::OnBnClickedLightOn()
{
    if (!m_btnLightOn->isChecked())
        return;
    m_rules.SetLightOnByDefault(true);
    FillTypeList();
}

void CBlink::OnBnClickedLightOff()
{
    if (!m_btnLightOff->isChecked())
        return;
    m_rules.SetLightOnByDefault(false);
    FillTypeList();
}

void CBlink::OnBnClickedSettings()
{
    // The arguments reach the program as they are, never through a shell; a folder or a document
    // opens in the program the desktop has for it.
    QStringList command = m_rules.SettingsCommand();
    if (command.isEmpty())
        return;
    const QFileInfo program(command.takeFirst());
    if (program.isFile() && program.isExecutable())
        platform::StartProgram(program.filePath(), command, QString());
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(program.filePath()));
}

void CBlink::OnBnClickedPreview()
{
    if (!m_rules.EnabledControls(m_bLocked, m_bLedCapable, m_bDisableBlink).preview)
        return;
    DoLedPreview(m_rules.SelectedItem().BlinkLevel);
    m_previewTimer.start(m_nPreviewMs, this);
}

void CBlink::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_previewTimer.timerId())
        OnTimer(kPreviewTimerId);
    else
        CAreaPage::timerEvent(event);
}

void CBlink::OnTimer(unsigned timerId)
{
    if (timerId != kPreviewTimerId)
        return;
    m_previewTimer.stop();
    RestoreLed();
}

int CBlink::IsLedCapable()
{
    platform::LedCapability reply;
    if (!platform::QueryLedCapability(&reply))
        return 0;
    TRACE("IsLedCapable %i %i", reply.capable, reply.maxBrightness);
    return reply.capable != 0 ? 1 : 0;
}

void CBlink::DoLedPreview(reg::DWORD level)
{
    const platform::LedRequest request = blink::LightRequest(level);
    if (platform::SendLedRequest(request))
        TRACE("DoLedPreview %i %i %i", request.blink, request.lightOn, request.rate);
}

void CBlink::RestoreLed()
{
    if (settings::IsManagedMode() || platform::IsElevated() || m_bDisableBlink)
        return;
    DoLedPreview(blink::StoredLightLevel());
}

void CBlink::SaveContent(app::PageSave& save)
{
    if (!m_rules.Unreadable())
        blink::WriteLightSettings(m_rules.DefaultState(), m_rules.DefaultStateKept(), m_rules.Functions(), save);
}

void CBlink::StopPreview() { m_previewTimer.stop(); }

app::SaveResult CBlink::OnOK()
{
    StopPreview();
    const app::SaveResult result = CAreaPage::OnOK();
    RestoreLed();
    return result;
}

void CBlink::OnCancel()
{
    StopPreview();
    CAreaPage::OnCancel();
    RestoreLed();
}

void CBlink::FreeRecords() { FreeIndicationList(); }

void CBlink::FreeIndicationList()
{
    m_rules.Clear();
    const QSignalBlocker blocker(m_cbIndicationFor);
    m_cbIndicationFor->clear();
}
