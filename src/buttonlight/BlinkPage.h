#pragma once
// The Button light page: the light's default state, the one function it indicates and how, the
// function's own settings program, and a ten-second preview on the real light. The rules live in
// IndicationRules; the page binds the controls to them and drives the light.

#include "buttonlight/IndicationRules.h"
#include "pagekit/AreaPage.h"

#include <QBasicTimer>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

class CBlink : public CAreaPage {
    Q_OBJECT
public:
    static constexpr unsigned kPreviewTimerId = 1000;
    static constexpr int kPreviewMs = 10000;

    CBlink();

    bool OnInitDialog() override;
    [[nodiscard]] app::SaveResult OnOK() override;
    void OnCancel() override;

    void OnCbnSelchangeIndicationFor();
    void OnCbnSelchangeIndicationType();
    void OnBnClickedLightOn();
    void OnBnClickedLightOff();
    void OnBnClickedSettings();
    void OnBnClickedPreview();
    void OnTimer(unsigned timerId);

    // 1 when the device reports a light that can be driven.
    static int IsLedCapable();
    static void DoLedPreview(reg::DWORD level);
    // Puts the light back into the client's current state.
    void RestoreLed();

    const IndicationRules& Rules() const { return m_rules; }
    bool PreviewRuns() const { return m_previewTimer.isActive(); }
    // Tests shorten the preview instead of waiting ten seconds.
    void SetPreviewPeriod(int milliseconds) { m_nPreviewMs = milliseconds; }

protected:
    void BuildContent(QVBoxLayout* layout) override;
    bool PageLocksAdminBox() const override;
    QList<QWidget*> ContentControls() const override;
    void LoadContent() override;
    void SaveContent(app::PageSave& save) override;
    void FreeRecords() override;
    void timerEvent(QTimerEvent* event) override;

private:
    void LoadIndicationList();
    void FreeIndicationList();
    void FillTypeList();
    void UpdateControls();
    // The one line under the controls that says why the light cannot be used; empty when it can.
    QString StatusText() const;
    void StopPreview();

    IndicationRules m_rules;
    bool m_bLedCapable = false;
    bool m_bDisableBlink = true;
    int m_nPreviewMs = kPreviewMs;
    QBasicTimer m_previewTimer;
    QRadioButton* m_btnLightOn = nullptr;
    QRadioButton* m_btnLightOff = nullptr;
    QLabel* m_indicationForLabel = nullptr;
    QComboBox* m_cbIndicationFor = nullptr;
    QPushButton* m_btnSettings = nullptr;
    QLabel* m_indicationTypeLabel = nullptr;
    QComboBox* m_cbIndicationType = nullptr;
    QPushButton* m_btnPreview = nullptr;
    QLabel* m_status = nullptr;
};
