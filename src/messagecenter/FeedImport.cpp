#include "messagecenter/FeedImport.h"

#include "feeds/FeedReaders.h"
#include "messagecenter/FeedListModel.h"
#include "messagecenter/SubscriptionsLibrary.h"
#include "registry/LentKey.h"
#include "registry/RegValues.h"
#include "trace/Trace.h"

#include <QCollator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibrary>

namespace mc {

bool BrowserImportAvailable()
{
    reg::Key key;
    if (reg::RegOpenKeyEx(reg::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Internet Explorer"), reg::KEY_READ,
                          key.put()) != reg::ERROR_SUCCESS)
        return false;
    bool whole = true;
    // 520 bytes with the terminator.
    const QString version = reg::ReadRecordText(key, QStringLiteral("Version"), 260, &whole);
    if (!whole || version.isEmpty())
        return false;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator.compare(version, QStringLiteral("7.0.0.0")) >= 0;
}

bool HasOpmlExtension(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(name).mid(dot);
    return extension.contains(u"xml", Qt::CaseInsensitive) || extension.contains(u"opml", Qt::CaseInsensitive);
}

} // namespace mc

FeedImport::FeedImport(FeedListModel& model, QObject* parent) : QObject(parent), m_model(model) {}

FeedImport::~FeedImport() { Stop(); }

void FeedImport::Stop()
{
    delete m_sink.data();
    m_sink = nullptr;
    if (m_worker.joinable()) {
        ++m_mergeId;
        m_worker.join();
        m_library.reset();
        Q_EMIT mergingChanged(false);
    }
}

void FeedImport::Merge(Fill fill, std::unique_ptr<QLibrary> library)
{
    m_library = std::move(library);
    const QList<mc::FeedEntry> list = m_model.Entries();
    m_worker = std::thread([this, list, fill = std::move(fill), id = m_mergeId] {
        QElapsedTimer timer;
        timer.start();
        std::optional<QList<RssFeed>> written;
        bool ok = mc::FillWorkingCopy(list, [&](reg::HKEY copy, app::PageSave& save) { return fill(copy, save, &written); });
        mc::FeedListLoad load;
        if (ok && written) {
            load.entries = mc::MergedFeeds(*written, list);
            mc::SortFeeds(load.entries);
        } else if (ok) {
            ok = (load = mc::LoadFeedList(reg::HKEY_CURRENT_USER, mc::RssTempKey())).complete;
        }
        TRACE("MergeWorkingCopy : %s, %lld feeds in %lld ms", ok ? "merged" : "failed", qlonglong(load.entries.size()), qlonglong(timer.elapsed()));
        QMetaObject::invokeMethod(
            this, [this, id, ok, rows = std::move(load.entries), before = list.size()]() mutable { FinishMerge(id, ok, std::move(rows), before); },
            Qt::QueuedConnection);
    });
    Q_EMIT mergingChanged(true);
}

void FeedImport::FinishMerge(quint64 mergeId, bool ok, QList<mc::FeedEntry> rows, qsizetype before)
{
    if (mergeId != m_mergeId || !m_worker.joinable())
        return;
    m_worker.join();
    m_library.reset();
    if (ok)
        m_model.TakeMerged(std::move(rows));
    Q_EMIT mergingChanged(false);
    Q_EMIT finished(ok ? Outcome::Merged : Outcome::Failed, ok ? m_model.rowCount() - before : 0);
}

void FeedImport::ImportFromLibrary()
{
    Stop();
    auto library = std::make_unique<QLibrary>(m_libraryName);
    if (!library->load()) {
        TRACE("Import Fail - Fail to load %s %s", qPrintable(m_libraryName), qPrintable(library->errorString()));
        Q_EMIT finished(Outcome::Failed, 0);
        return;
    }
    const auto proc = reinterpret_cast<RssImportFeedsFromIEProc>(library->resolve(mc::kSubscriptionsExport));
    if (!proc) {
        Q_EMIT finished(Outcome::Failed, 0);
        return;
    }
    Merge(
        [proc](reg::HKEY copy, app::PageSave&, std::optional<QList<RssFeed>>*) {
            const reg::LentKey lent(copy);
            uint32_t reserved = 0;
            return proc(reinterpret_cast<TALVEN_HKEY>(copy), &reserved) != 0;
        },
        std::move(library));
}

void FeedImport::LoadOPML(const QString& path)
{
    TRACE("LoadOPML : Entering");
    Stop();
    auto* sink = new mc::CXmlDomEventSink(this);
    m_sink = sink;
    // Exported subscription lists often hold a bare "&" in a URL: what can be read is imported.
    sink->setRecover(true);
    connect(sink, &mc::CXmlDomEventSink::readyStateChange, this,
            [this, sink](int state, const std::shared_ptr<const mc::XmlDocument>& document) {
                if (state != mc::CXmlDomEventSink::kCompleted || !document)
                    return;
                TRACE("WM_XMLDOMNOTIFY : RssFeedList");
                m_sink = nullptr;
                sink->deleteLater();
                ImportOpmlFeeds(document);
            });
    sink->load(path);
    TRACE("LoadOPML : Exiting");
}

void FeedImport::ImportOpmlFeeds(std::shared_ptr<const mc::XmlDocument> document)
{
    if (document->documentElement().isNull()) {
        Q_EMIT finished(Outcome::Failed, 0);
        return;
    }
    // The worker reads the document from now on; nothing else reads it.
    Merge([document = std::move(document)](reg::HKEY copy, app::PageSave& save, std::optional<QList<RssFeed>>* written) {
        mc::RssEntryList entries;
        mc::ParseOPML(document->documentElement(), entries);
        QList<RssFeed>& feeds = written->emplace();
        feeds.reserve(entries.size());
        for (const mc::RssEntry& entry : std::as_const(entries)) {
            feeds.append(RssFeed{entry.title, entry.htmlUrl, entry.link, 1});
            mc::WriteImportedFeed(copy, feeds.last(), save);
        }
        return true;
    });
}
