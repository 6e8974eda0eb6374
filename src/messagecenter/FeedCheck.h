#pragma once
// The on-line check of a new, edited or dropped feed, without widgets: a name another feed takes
// is refused, off line the feed is accepted unchecked, else the feed URL is loaded and the feed
// is valid when the document has a root element. One check is pending at a time: a newer check
// replaces the older, whose answer is then never given.

#include "feeds/XmlDomEventSink.h"
#include "messagecenter/RssFeed.h"

#include <QObject>
#include <QPointer>

#include <chrono>

class FeedListModel;

class FeedCheck : public QObject {
    Q_OBJECT
public:
    // The answers to the feed editor.
    enum Answer { kInvalid = 0, kAccepted = 1, kNameTaken = 2 };
    enum class DropOutcome { NameTaken, Added, Checking };

    explicit FeedCheck(FeedListModel& model, QObject* parent = nullptr);
    ~FeedCheck() override;

    // The editor's feed; editedRow is the row it edits, -1 for a new feed. The answer comes as
    // dialogAnswer, at once or when the load ends.
    void CheckDialogFeed(const RssFeed& feed, int editedRow);
    // A dropped feed: refused when its name is taken, added at once off line, else checked; a
    // valid one is added under its channel's title and with its channel's link.
    DropOutcome CheckDroppedFeed(const RssFeed& feed);
    bool IsPending() const { return m_sink != nullptr; }
    // Ends a pending check without an answer.
    void Stop();
    // Tests: the time a check may take.
    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

Q_SIGNALS:
    void dialogAnswer(int answer);
    void feedAdded(int row);
    // A dropped feed's document has no root element.
    void invalidFeed();

private:
    enum class Origin { Drop = 0, Dialog = 1 };
    void Start(const RssFeed& feed, Origin origin);
    void LoadRssFeed(bool valid, const QString& title, const QString& link);

    FeedListModel& m_model;
    QPointer<mc::CXmlDomEventSink> m_sink;
    RssFeed m_PendingFeed;
    Origin m_nCheckOrigin = Origin::Drop;
    std::chrono::milliseconds m_timeout{15000};
};
