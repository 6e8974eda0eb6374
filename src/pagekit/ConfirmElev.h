#pragma once
// The question before elevation: the settings can be changed with administrator rights only by
// starting the broker, which ends this run without saving.

#include <QDialog>

class QPushButton;

class CConfirmElev : public QDialog {
    Q_OBJECT
public:
    explicit CConfirmElev(QWidget* parent = nullptr);

    QPushButton* ContinueButton() const { return m_btnContinue; }

    // Starts "<installation folder>/QsBroker" in that folder and ends the dialog with OK. A broker
    // that does not start is not reported.
    void OnBnClickedContinue();

private:
    QPushButton* m_btnContinue = nullptr;
};

// The broker's path from the client's installation folder.
QString BrokerPath(const QString& installFolder);
