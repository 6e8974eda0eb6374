#include "messagecenter/FeedImport.h"

#include "feeds/FeedReaders.h"
#include "messagecenter/FeedListModel.h"
#include "messagecenter/SubscriptionsLibrary.h"
#include "registry/RegValues.h"
#include "trace/Trace.h"

#include <QCollator>
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
}

void FeedImport::Merge(const std::function<bool(reg::HKEY, app::PageSave&)>& fill)
{
    const qsizetype before = m_model.rowCount();
    if (mc::FillWorkingCopy(m_model.Entries(), fill) && m_model.LoadMerged(mc::RssTempKey()))
        Q_EMIT finished(Outcome::Merged, m_model.rowCount() - before);
    else
        Q_EMIT finished(Outcome::Failed, 0);
}

void FeedImport::ImportFromLibrary()
{
    QLibrary library(m_libraryName);
    if (!library.load()) {
        TRACE("Import Fail - Fail to load %s %s", qPrintable(m_libraryName), qPrintable(library.errorString()));
        Q_EMIT finished(Outcome::Failed, 0);
        return;
    }
    if (const auto proc = reinterpret_cast<RssImportFeedsFromIEProc>(library.resolve(mc::kSubscriptionsExport))) {
        Merge([proc](reg::HKEY copy, app::PageSave&) {
            uint32_t reserved = 0;
            return proc(reinterpret_cast<TALVEN_HKEY>(copy), &reserved) != 0;
        });
    } else {
        Q_EMIT finished(Outcome::Failed, 0);
    }
    library.unload();
}

void FeedImport::LoadOPML(const QString& path)
{
    TRACE("LoadOPML : Entering");
    Stop();
    auto* sink = new mc::CXmlDomEventSink(this);
    m_sink = sink;
    connect(sink, &mc::CXmlDomEventSink::readyStateChange, this,
            [this, sink](int state, const std::shared_ptr<const mc::XmlDocument>& document) {
                if (state != mc::CXmlDomEventSink::kCompleted || !document)
                    return;
                TRACE("WM_XMLDOMNOTIFY : RssFeedList");
                m_sink = nullptr;
                sink->deleteLater();
                ImportOpmlFeeds(*document);
            });
    sink->load(path);
    TRACE("LoadOPML : Exiting");
}

void FeedImport::ImportOpmlFeeds(const mc::XmlDocument& document)
{
    const mc::XmlNode root = document.documentElement();
    if (root.isNull()) {
        Q_EMIT finished(Outcome::Failed, 0);
        return;
    }
    mc::RssEntryList entries;
    mc::ParseOPML(root, entries);
    Merge([&entries](reg::HKEY copy, app::PageSave& save) {
        for (const mc::RssEntry& entry : std::as_const(entries))
            mc::WriteImportedFeed(copy, RssFeed{entry.title, entry.htmlUrl, entry.link, 1}, save);
        return true;
    });
}
