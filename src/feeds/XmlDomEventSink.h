#pragma once
// Loads an XML document in the background, from a web address or a local file, and reports its
// ready state to the owner on the owner's thread; reading the document is left to the owner.
//
// Network loads follow at most kMaxRedirects redirects (never to a less safe scheme), send the
// product's User-Agent and fail on an HTTP error status, a body over the size cap or the time-out.
// Local files are read and parsed on a worker thread under the same cap and time-out; only regular
// files are read, and their open never waits.

#include "XmlDocument.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

namespace mc {

class CXmlDomEventSink : public QObject {
    Q_OBJECT

public:
    // The ready states reported: loading has started, the load is over.
    static constexpr int kLoading = 1;
    static constexpr int kCompleted = 4;

    static constexpr int kMaxRedirects = 5;
    static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
    static constexpr qint64 kDefaultMaxBodySize = qint64(16) << 20;

    // Destroyed with its owner; a load still running then is aborted and reports nothing.
    explicit CXmlDomEventSink(QObject* owner);
    ~CXmlDomEventSink() override;

    // All three apply to loads started afterwards. The time-out covers the whole load.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setMaxBodySize(qint64 bytes) { m_maxBodySize = bytes; }
    // Parse in XmlDocument's recovering mode rather than strictly (the default): for OPML imports,
    // never for a feed check.
    void setRecover(bool recover) { m_mode = recover ? XmlDocument::Mode::Recover : XmlDocument::Mode::Strict; }

    // Starts loading and returns at once. http and https URLs are fetched, a file URL names a
    // local file, and anything else is taken as a local file path. A load still running is
    // abandoned: its completion is never reported.
    void load(const QString& urlOrPath);

Q_SIGNALS:
    // kLoading once the load is under way, without a document; then kCompleted exactly once,
    // with the document, which has no document element when the resource could not be fetched
    // or parsed as XML. A slot must not delete the sink directly (deleteLater is fine).
    void readyStateChange(int state, std::shared_ptr<const mc::XmlDocument> document);

private:
    struct Job;

    void startNetworkLoad(const QUrl& url);
    void readBody();
    void networkFinished();
    // Runs work on a worker thread and completes the load with its result.
    void startWorker(std::function<std::unique_ptr<XmlDocument>()> work);
    void reportLoading(quint64 loadId);
    void fail(const QString& reason);
    void complete(quint64 loadId, const std::shared_ptr<const XmlDocument>& document);
    // Ends the running load, if any, without reporting anything.
    void stop();

    std::chrono::milliseconds m_timeout = kDefaultTimeout;
    qint64 m_maxBodySize = kDefaultMaxBodySize;
    XmlDocument::Mode m_mode = XmlDocument::Mode::Strict;

    quint64 m_loadId = 0;   // a result for an older load is dropped
    bool m_loading = false;
    bool m_loadingReported = false;
    QTimer m_deadline;
    std::shared_ptr<Job> m_job;   // the worker's view of the running load, while one works for it
    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_reply = nullptr;
    QByteArray m_body;
};

} // namespace mc
