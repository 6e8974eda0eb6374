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

class FeedListModel;

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

    // The library's feeds merged into the list; finished comes before it returns.
    void ImportFromLibrary();
    // Starts reading the OPML file; its feeds are merged when it is read.
    void LoadOPML(const QString& path);
    bool IsPending() const { return m_sink != nullptr; }
    // Ends a pending OPML load without merging it.
    void Stop();
    // Tests: another library, by name or path.
    void SetLibraryName(const QString& name) { m_libraryName = name; }

Q_SIGNALS:
    // added: the rows the merge added to the list.
    void finished(FeedImport::Outcome outcome, qsizetype added);

private:
    void ImportOpmlFeeds(const mc::XmlDocument& document);
    // Fills the working copy, reloads the list from it and tells how it ended.
    void Merge(const std::function<bool(reg::HKEY, app::PageSave&)>& fill);

    FeedListModel& m_model;
    QPointer<mc::CXmlDomEventSink> m_sink;
    QString m_libraryName = QString::fromLatin1(mc::kSubscriptionsLibrary);
};
