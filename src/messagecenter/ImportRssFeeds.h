#pragma once
// The Import dialog: the feeds a subscriptions library reads from the browser, or an OPML file
// chosen here. OK ends it only with a usable choice.

#include <QDialog>

class QPushButton;
class QRadioButton;

class CImportRssFeeds : public QDialog {
    Q_OBJECT
public:
    enum Choice { kNoChoice = 0, kBrowser = 1, kOpmlFile = 2 };
    // What OK hands on: the choice, with the OPML file's path for kOpmlFile.
    struct Selection {
        Choice choice = kNoChoice;
        QString path;
    };

    explicit CImportRssFeeds(QWidget* parent = nullptr);

    int DoModal();
    // The browser's option only when its subscriptions can be read, else the file's.
    void OnInitDialog();
    void OnBnClickedOk();
    // Asks for the OPML file; true when an existing file with an OPML extension was chosen.
    bool GetOPMLName();
    Selection Chosen() const { return m_selection; }

private:
    QRadioButton* m_btnBrowser = nullptr;
    QRadioButton* m_btnOpml = nullptr;
    QPushButton* m_btnOk = nullptr;
    Selection m_selection;
};
