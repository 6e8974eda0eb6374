#include "messagecenter/FeedCheck.h"

#include "feeds/FeedReaders.h"
#include "feeds/XmlDomEventSink.h"
#include "messagecenter/FeedListModel.h"
#include "platform/Connectivity.h"
#include "trace/Trace.h"

FeedCheck::FeedCheck(FeedListModel& model, QObject* parent) : QObject(parent), m_model(model) {}

FeedCheck::~FeedCheck() { Stop(); }

void FeedCheck::CheckDialogFeed(const RssFeed& feed, int editedRow)
{
    if (m_model.FindName(feed.name, editedRow) >= 0) {
        Q_EMIT dialogAnswer(kNameTaken);
        return;
    }
    if (!platform::IsInternetConnected()) {
        Stop();
        Q_EMIT dialogAnswer(kAccepted);
        return;
    }
    Start(feed, Origin::Dialog);
}

FeedCheck::DropOutcome FeedCheck::CheckDroppedFeed(const RssFeed& feed)
{
    if (m_model.FindName(feed.name) >= 0)
        return DropOutcome::NameTaken;
    if (!platform::IsInternetConnected()) {
        Q_EMIT feedAdded(m_model.AddFeedItem(feed));
        return DropOutcome::Added;
    }
    Start(feed, Origin::Drop);
    return DropOutcome::Checking;
}

void FeedCheck::Start(const RssFeed& feed, Origin origin)
{
    Stop();
    m_PendingFeed = feed;
    m_nCheckOrigin = origin;
    auto* sink = new mc::CXmlDomEventSink(this);
    sink->setTimeout(m_timeout);
    m_sink = sink;
    connect(sink, &mc::CXmlDomEventSink::readyStateChange, this,
            [this, sink](int state, const std::shared_ptr<const mc::XmlDocument>& document) {
                // A replaced check's sink is gone and reports nothing.
                if (state != mc::CXmlDomEventSink::kCompleted || !document)
                    return;
                TRACE("WM_XMLDOMNOTIFY : RssDoc");
                m_sink = nullptr;
                sink->deleteLater();
                const mc::XmlNode root = document->documentElement();
                mc::RssEntryList items;
                QString title;
                QString link;
                if (!root.isNull())
                    mc::ParseRssDocument(root, items, title, link);
                LoadRssFeed(!root.isNull(), title, link);
            });
    sink->load(mc::LoadAddress(feed.xmlUrl));
}

void FeedCheck::LoadRssFeed(bool valid, const QString& title, const QString& link)
{
    TRACE("LoadRssFeed : Entering");
    RssFeed feed = std::exchange(m_PendingFeed, RssFeed());
    if (m_nCheckOrigin == Origin::Dialog) {
        Q_EMIT dialogAnswer(valid ? kAccepted : kInvalid);
        return;
    }
    if (!valid) {
        Q_EMIT invalidFeed();
        return;
    }
    // The channel's title names the feed unless the store could not keep it apart from another.
    const QString channelTitle = title.left(mc::kMaxFeedText);
    if (mc::FeedNameFits(channelTitle) && m_model.FindName(channelTitle) < 0)
        feed.name = channelTitle;
    if (!link.isEmpty())
        feed.htmlUrl = link.left(mc::kMaxFeedText);
    Q_EMIT feedAdded(m_model.AddFeedItem(feed));
}

void FeedCheck::Stop()
{
    delete m_sink.data();
    m_sink = nullptr;
    m_PendingFeed = RssFeed();
}
