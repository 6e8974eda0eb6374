#pragma once
// The feed editor: the name, the feed URL and the page URL of a feed, new or existing. OK hands
// the feed to the page, which checks it; the editor stays open until the page's answer accepts
// it, and tells the user when the page refuses it.

#include "messagecenter/RssFeed.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

class CAddRssItem : public QDialog {
    Q_OBJECT
public:
    // OK of an accepted feed writes the record; it must outlive the editor. The feed URL box
    // completes from urlCompletions.
    explicit CAddRssItem(RssFeed& feed, const QStringList& urlCompletions = {}, QWidget* parent = nullptr);

    // Fills the boxes from the record and runs the editor modally.
    int DoModal();

    void OnInitDialog();
    void OnEnChangeFeed();
    void OnBnClickedOk();
    // The page's answer: 1 accepts and closes, 0 (not a feed) and 2 (name taken) tell the user
    // and keep the editor open.
    void OnRssCheckResult(int answer);
    bool IsNew() const { return m_bNew; }
    bool IsChecking() const;

Q_SIGNALS:
    // OK with the texts typed; the page answers with OnRssCheckResult.
    void feedSubmitted(const RssFeed& feed);

private:
    RssFeed& m_feed;
    RssFeed m_submitted;
    bool m_bNew = true;
    QLineEdit* m_editName = nullptr;
    QLineEdit* m_editXmlUrl = nullptr;
    QLineEdit* m_editHtmlUrl = nullptr;
    QPushButton* m_btnOk = nullptr;
    QLabel* m_nameHint = nullptr;
    QLabel* m_status = nullptr;
};
