#include "XmlDomEventSink.h"

#include "QsCustVersion.h"
#include "trace/Trace.h"

#include <QFile>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThreadPool>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mc {

// Shared by the sink and a worker thread. The sink clears sink when it stops waiting; the worker
// posts its result under the same lock, so it never posts to a sink being destroyed.
struct CXmlDomEventSink::Job {
    QMutex mutex;
    CXmlDomEventSink* sink;
    quint64 loadId;

    bool abandoned()
    {
        QMutexLocker lock(&mutex);
        return sink == nullptr;
    }

    void deliver(std::shared_ptr<const XmlDocument> document)
    {
        QMutexLocker lock(&mutex);
        if (!sink)
            return;
        // Dropped with the event if the sink is destroyed before it runs.
        QMetaObject::invokeMethod(
            sink, [target = sink, id = loadId, document = std::move(document)] { target->complete(id, document); },
            Qt::QueuedConnection);
    }
};

namespace {

QString TooLarge(qint64 maxBytes)
{
    return QStringLiteral("The document is larger than %1 bytes.").arg(maxBytes);
}

QString SystemError() { return qt_error_string(errno); }

// Only a regular file is read: a FIFO or a device may never end or never answer. The open does
// not wait either (for a FIFO's writer, or a lease held by a file server).
std::unique_ptr<XmlDocument> ReadFile(const QString& path, qint64 maxBytes, XmlDocument::Mode mode)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return XmlDocument::failed(SystemError());
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return XmlDocument::failed(SystemError());
    if (!S_ISREG(info.st_mode))
        return XmlDocument::failed(QStringLiteral("The document is not a regular file."));
    // Reading one byte more than allowed tells a file over the cap, even one that grew meanwhile.
    QByteArray bytes;
    bytes.reserve(std::min<qint64>(info.st_size, maxBytes) + 1);
    char chunk[64 * 1024];
    while (bytes.size() <= maxBytes) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return XmlDocument::failed(SystemError());
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    if (bytes.size() > maxBytes)
        return XmlDocument::failed(TooLarge(maxBytes));
    return XmlDocument::parse(bytes, mode);
}

// The loader's own workers. A read can still hang in the kernel (a file system that stopped
// answering); the pool is never destroyed, so the process's exit never waits for such a thread.
QThreadPool& Workers()
{
    static QThreadPool* const pool = [] {
        auto* workers = new QThreadPool;
        workers->setMaxThreadCount(4);
        return workers;
    }();
    return *pool;
}

} // namespace

CXmlDomEventSink::CXmlDomEventSink(QObject* owner) : QObject(owner)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { fail(QStringLiteral("The load timed out.")); });
}

CXmlDomEventSink::~CXmlDomEventSink()
{
    stop();
}

void CXmlDomEventSink::load(const QString& urlOrPath)
{
    stop();
    ++m_loadId;
    m_loading = true;
    m_loadingReported = false;
    m_deadline.start(m_timeout);
    // Queued, so that the caller sees nothing before load() has returned.
    QMetaObject::invokeMethod(this, [this, id = m_loadId] { reportLoading(id); }, Qt::QueuedConnection);

    const QUrl url(urlOrPath);
    const QString scheme = url.scheme();
    if (scheme == u"http" || scheme == u"https") {
        startNetworkLoad(url);
    } else {
        const QString path = scheme == u"file" ? url.toLocalFile() : urlOrPath;
        startWorker([path, maxBytes = m_maxBodySize, mode = m_mode] { return ReadFile(path, maxBytes, mode); });
    }
}

void CXmlDomEventSink::startNetworkLoad(const QUrl& url)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("QsCust/" QSCUST_VERSION));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &CXmlDomEventSink::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &CXmlDomEventSink::networkFinished);
}

void CXmlDomEventSink::readBody()
{
    m_body += m_reply->readAll();
    if (m_body.size() > m_maxBodySize)
        fail(TooLarge(m_maxBodySize));
}

void CXmlDomEventSink::networkFinished()
{
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        fail(reply->errorString());
        return;
    }
    // Qt does not count every other answer as an error: a 304, or a redirect without a Location.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        fail(QStringLiteral("The server answered with HTTP status %1.").arg(status));
        return;
    }
    m_body += reply->readAll();
    if (m_body.size() > m_maxBodySize) {
        fail(TooLarge(m_maxBodySize));
        return;
    }
    startWorker([bytes = std::exchange(m_body, {}), mode = m_mode] { return XmlDocument::parse(bytes, mode); });
}

void CXmlDomEventSink::startWorker(std::function<std::unique_ptr<XmlDocument>()> work)
{
    m_job = std::make_shared<Job>();
    m_job->sink = this;
    m_job->loadId = m_loadId;
    Workers().start([job = m_job, work = std::move(work)] {
        if (!job->abandoned())
            job->deliver(work());
    });
}

void CXmlDomEventSink::reportLoading(quint64 loadId)
{
    if (m_loading && loadId == m_loadId && !m_loadingReported) {
        m_loadingReported = true;
        Q_EMIT readyStateChange(kLoading, nullptr);
    }
}

void CXmlDomEventSink::fail(const QString& reason)
{
    complete(m_loadId, XmlDocument::failed(reason));
}

void CXmlDomEventSink::complete(quint64 loadId, const std::shared_ptr<const XmlDocument>& document)
{
    if (!m_loading || loadId != m_loadId)
        return;
    stop();
    if (document->documentElement().isNull())
        TRACE("Load Error (%s)", qPrintable(document->errorReason()));
    else
        TRACE("Load Succeeded");
    if (!m_loadingReported) {
        m_loadingReported = true;
        Q_EMIT readyStateChange(kLoading, nullptr);
        // The owner may have started another load meanwhile.
        if (loadId != m_loadId)
            return;
    }
    Q_EMIT readyStateChange(kCompleted, document);
}

void CXmlDomEventSink::stop()
{
    m_loading = false;
    m_deadline.stop();
    if (QNetworkReply* reply = std::exchange(m_reply, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
    if (const std::shared_ptr<Job> job = std::exchange(m_job, nullptr)) {
        QMutexLocker lock(&job->mutex);
        job->sink = nullptr;
    }
}

} // namespace mc
