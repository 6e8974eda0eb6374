// The Message Center's whole import of a 10,000-outline OPML file (read off the UI thread, the
// working copy written in one transaction, the list reloaded from it) against, in the same run,
// `xmllint --noout` on the file plus one hand-written SQLite transaction writing the same 10,000
// keys and 30,000 values into an empty key (goal: at most 3x), and against `newsboat -i` importing the file when it
// is installed (goal: at most 0.3x). Prints medians and ratios; exits 1 when a goal is missed.

#include "RawFeeds.h"
#include "TwinStores.h"
#include "messagecenter/FeedImport.h"
#include "messagecenter/FeedListModel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QStandardPaths>

#include <cstdio>

namespace {

using bench::MedianMs;
using bench::Ms;
using bench::Require;
constexpr int kFolders = 100;
constexpr int kFeedsPerFolder = 100;
constexpr int kRounds = 5;

// The feeds of the file, in folders of a hundred, as a reader's export has them.
QList<RssFeed> Feeds()
{
    QList<RssFeed> feeds;
    for (int n = 0; n < kFolders * kFeedsPerFolder; ++n) {
        const QString name = QStringLiteral("Feed %1").arg(n, 5, 10, QLatin1Char('0'));
        feeds.append({name, "https://www.example.org/" + QString::number(n) + "/", "https://feeds.example.org/" + QString::number(n) + ".xml", 1});
    }
    return feeds;
}

void WriteOpml(const QString& path, const QList<RssFeed>& feeds)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\"><head><title>Feeds</title></head><body>\n";
    for (qsizetype n = 0; n < feeds.size(); ++n) {
        if (n % kFeedsPerFolder == 0)
            text += (n ? "</outline>\n" : "") + QByteArray("<outline text=\"Folder ") + QByteArray::number(n / kFeedsPerFolder) + "\">\n";
        text += "  <outline type=\"rss\" text=\"" + feeds[n].name.toUtf8() + "\" xmlUrl=\"" + feeds[n].xmlUrl.toUtf8() + "\" htmlUrl=\"" +
                feeds[n].htmlUrl.toUtf8() + "\"/>\n";
    }
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly) && file.write(text + "</outline></body></opml>\n") > 0, "write the OPML file");
}

double RunMs(const QString& program, const QStringList& arguments, const QString& home = {})
{
    QProcess process;
    if (!home.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        process.setProcessEnvironment(environment);
    }
    process.setStandardOutputFile(QProcess::nullDevice());
    return Ms([&] {
        process.start(program, arguments);
        Require(process.waitForFinished(120000) && process.exitCode() == 0, qPrintable(program + " failed"));
    });
}

bool Report(const char* what, double import, double other, double goal)
{
    std::printf("%-40s import %8.1f ms   %8.1f ms   ratio %.2f (goal <= %.1f)\n", what, import, other, import / other, goal);
    return import / other <= goal;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QList<RssFeed> feeds = Feeds();
    bench::TwinStores stores(QStringLiteral("import-bench"), [] {
        reg::Key key;
        Require(reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, mc::MessageCenterKey(false), reg::KEY_ALL_ACCESS, key.put()) == reg::ERROR_SUCCESS, "populate");
    });
    const QString opml = stores.path("subscriptions.opml");
    WriteOpml(opml, feeds);

    FeedListModel model;
    FeedImport import(model);
    // Each round imports as a page just opened would: an empty list and no working copy yet. The
    // first round only warms the caches, as the yardsticks' first runs do for theirs. A timer on
    // the window's thread measures the longest the event loop was kept from running meanwhile.
    double longestBlock = 0;
    const auto importOnce = [&] {
        model.FreeFeedItems();
        Require(mc::DeleteWorkingCopy() == reg::ERROR_SUCCESS, "remove the working copy");
        QEventLoop loop;
        QObject::connect(&import, &FeedImport::finished, &loop, &QEventLoop::quit);
        QElapsedTimer sinceTick;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { longestBlock = std::max(longestBlock, sinceTick.restart() / 1.0); });
        tick.start(1);
        sinceTick.start();
        return Ms([&] {
            import.LoadOPML(opml);
            loop.exec();
            longestBlock = std::max(longestBlock, sinceTick.elapsed() / 1.0);
        });
    };
    importOnce();
    longestBlock = 0;
    const double whole = MedianMs(kRounds, importOnce);
    Require(model.rowCount() == feeds.size(), "the import");
    std::printf("longest the window's event loop waited during an import: %.0f ms (of %.0f ms)\n", longestBlock, whole);

    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    Require(!xmllint.isEmpty(), "xmllint (package libxml2-utils)");
    const long long parent = stores.raw().resolve(mc::MessageCenterKey(false));
    Require(parent > 0, "the raw MessageCenter key");
    bench::RawFeedDb raw(stores.path("raw.db"));
    const double baseline = MedianMs(kRounds, [&] {
        raw.WriteFeeds(parent, {});
        return RunMs(xmllint, {"--noout", opml}) + Ms([&] { raw.WriteFeeds(parent, feeds); });
    });
    bool met = Report("xmllint --noout + raw SQLite transaction", whole, baseline, 3.0);

    const QString newsboat = QStandardPaths::findExecutable("newsboat");
    if (newsboat.isEmpty()) {
        std::printf("newsboat is not installed: scripts/bench installs it\n");
        return met ? 0 : 1;
    }
    const double imported = MedianMs(kRounds, [&] {
        QFile::remove(stores.path("urls"));
        return RunMs(newsboat, {"-u", stores.path("urls"), "-c", stores.path("cache.db"), "-i", opml}, stores.path(""));
    });
    met = Report("newsboat -i", whole, imported, 0.3) && met;
    return met ? 0 : 1;
}
