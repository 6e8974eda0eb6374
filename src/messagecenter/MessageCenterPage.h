#pragma once
// The Message Center page: Message Center messages or RSS headlines, and the list of feeds. The
// rows live in FeedListModel and the on-line check in FeedCheck; the page binds the controls,
// opens the feed editor and takes feed links dropped on the list.

#include "messagecenter/FeedCheck.h"
#include "messagecenter/FeedImport.h"
#include "messagecenter/FeedListModel.h"
#include "pagekit/AreaPage.h"

#include <QPointer>

class CAddRssItem;
class CCheckListCtrl;
class QLabel;
class QPushButton;
class QRadioButton;

class CMessageCenter : public CAreaPage {
    Q_OBJECT
public:
    CMessageCenter();
    ~CMessageCenter() override;

    [[nodiscard]] app::SaveResult OnOK() override;
    void OnCancel() override;
    bool OnSetActive() override;

    void OnBnClickedDeleteFeed();
    void OnBnClickedNewFeed();
    void OnBnClickedDisplayRss();
    void OnBnClickedDisplayMessages();
    void OnBnClickedImport();
    void OnBnClickedEditFeed();
    void OnLvnItemchangedFeedList();
    // Whether a drag over the list may drop here now.
    bool AcceptsDrops() const;

    FeedListModel& Model() { return m_model; }
    FeedCheck& Check() { return m_check; }
    FeedImport& Import() { return m_import; }
    CCheckListCtrl* List() const { return m_list; }

protected:
    void BuildContent(QVBoxLayout* layout) override;
    QList<QWidget*> ContentControls() const override;
    void ApplyPolicy() override;
    void LoadContent() override;
    void SaveContent(app::PageSave& save) override;
    void FreeRecords() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs the feed editor on the feed; editedRow is the row it edits, -1 for none.
    bool RunFeedDialog(RssFeed& feed, int editedRow);
    void CheckDroppedFeed(const RssFeed& feed);
    void SelectRow(int row);
    // Enables the list and its buttons for the option chosen, unless the page is locked.
    void ApplyOption(bool displayRss);
    bool ListEditable() const;
    void OnImportFinished(FeedImport::Outcome outcome, qsizetype added);

    FeedListModel m_model;
    FeedCheck m_check;
    FeedImport m_import;
    QPointer<CAddRssItem> m_hFeedDialog;
    QRadioButton* m_btnShowMessages = nullptr;
    QRadioButton* m_btnShowRss = nullptr;
    QLabel* m_feedsLabel = nullptr;
    CCheckListCtrl* m_list = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_importStatus = nullptr;
    QPushButton* m_btnNew = nullptr;
    QPushButton* m_btnEdit = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnImport = nullptr;
};
