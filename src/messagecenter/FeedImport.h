#pragma once
// The import of feeds, without widgets: from the subscriptions library or from an OPML file, both
// through the working copy, so that the list becomes the union of its feeds and the imported ones
// (the list's own feed winning on a name) and nothing reaches the RSS key before OK. One OPML load
// is pending at a time: a newer one replaces it. No failure is told by a message; finished says
// what came of it.

#include "feeds/XmlDomEventSink.h"
#include "messagecenter/FeedStore.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <thread>

class FeedListModel;
class QLibrary;

namespace mc {

// The name of the subscriptions library and of its export.
inline constexpr char kSubscriptionsLibrary[] = "qsrsshlp";
inline constexpr char kSubscriptionsExport[] = "RssImportFeedsFromIE";

// Whether the browser whose subscriptions the library reads is there: the machine's "Version" of
// it compared with "7.0.0.0" as text, not as a number.
bool BrowserImportAvailable();
// A path the OPML choice takes: its extension (from the file name's last dot) holds "xml" or
// "opml", letter case aside.
bool HasOpmlExtension(const QString& path);

} // namespace mc

class FeedImport : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Merged, Failed };

    explicit FeedImport(FeedListModel& model, QObject* parent = nullptr);
    ~FeedImport() override;

    // Starts the import of the library's feeds.
    void ImportFromLibrary();
    // Starts reading the OPML file; its feeds are merged when it is read.
    void LoadOPML(const QString& path);
    // An OPML file is being read or a merge runs.
    bool IsPending() const { return m_sink != nullptr || IsMerging(); }
    // The working copy is being written and read back: the list must not change meanwhile.
    bool IsMerging() const { return m_worker.joinable(); }
    // Ends a pending import without merging it; a merge under way is waited for and dropped.
    void Stop();
    // Tests: another library, by name or path.
    void SetLibraryName(const QString& name) { m_libraryName = name; }

Q_SIGNALS:
    void mergingChanged(bool merging);
    // added: the rows the merge added to the list.
    void finished(FeedImport::Outcome outcome, qsizetype added);

private:
    // Writes the imported feeds; sets *written to them when the list's rows can be told from them
    // without reading the working copy back.
    using Fill = std::function<bool(reg::HKEY, app::PageSave&, std::optional<QList<RssFeed>>* written)>;
    void ImportOpmlFeeds(std::shared_ptr<const mc::XmlDocument> document);
    // Fills the working copy and reads it back on a worker thread, so that the window stays
    // responsive with thousands of feeds (the store keeps other threads off the root meanwhile);
    // the list takes the result on this thread.
    void Merge(Fill fill, std::unique_ptr<QLibrary> library = {});
    void FinishMerge(quint64 mergeId, bool ok, QList<mc::FeedEntry> rows, qsizetype before);

    FeedListModel& m_model;
    QPointer<mc::CXmlDomEventSink> m_sink;
    std::thread m_worker;
    std::unique_ptr<QLibrary> m_library;   // loaded while its export runs
    quint64 m_mergeId = 0;                 // a stopped merge's result is dropped
    QString m_libraryName = QString::fromLatin1(mc::kSubscriptionsLibrary);
};
