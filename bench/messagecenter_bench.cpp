// The page's OK with 1,000 feeds against the same keys and values written in one transaction of
// hand-written SQLite on a twin file, and the page's load of them against a raw read of the same
// rows, in one run. Prints the medians and ratios (goal: at most 3); exits 1 when one is missed.

#include "RawFeeds.h"
#include "TwinStores.h"
#include "messagecenter/MessageCenterPage.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>

namespace {

using bench::MedianMs;
using bench::Ms;
using bench::Require;
constexpr int kFeeds = 1000;
constexpr double kGoal = 3.0;

QList<mc::FeedEntry> Feeds()
{
    QList<mc::FeedEntry> entries;
    for (int n = 0; n < kFeeds; ++n) {
        const QString name = QStringLiteral("Feed %1").arg(n, 4, 10, QLatin1Char('0'));
        entries.append({RssFeed{name, "https://example.com/" + name, "https://example.com/" + name + "/rss", reg::DWORD(n % 2)}, false});
    }
    return entries;
}

bool Report(const char* what, double page, double raw)
{
    std::printf("%-22s page %8.2f ms   raw SQLite %8.2f ms   ratio %.2f (goal <= %.1f)\n", what, page, raw, page / raw, kGoal);
    return page / raw <= kGoal;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QList<mc::FeedEntry> feeds = Feeds();
    bench::TwinStores stores(QStringLiteral("mc-bench"), [&feeds] {
        app::PageSave save;
        mc::SaveFeedList(reg::HKEY_CURRENT_USER, mc::RssKey(false), feeds, save);
        Require(!save.Commit().Failed(), "populate");
    });
    const long long rss = stores.raw().resolve(mc::RssKey(false));
    Require(rss > 0, "the raw RSS key");
    bench::RawFeedDb raw(stores.path("raw.db"));

    FeedListModel model;
    const double load = MedianMs(15, [&] { return Ms([&] { model.LoadFeedList(reg::HKEY_CURRENT_USER, mc::RssKey(false)); }); });
    Require(model.rowCount() == kFeeds, "the page's load");
    QList<RssFeed> read;
    const double rawLoad = MedianMs(15, [&] { return Ms([&] { read = raw.ReadFeeds(rss); }); });
    Require(read.size() == kFeeds, "the raw read");

    const double ok = MedianMs(15, [] {
        CMessageCenter page;
        page.CreatePage();
        return Ms([&] { Require(!page.OnOK().Failed(), "the page's OK"); });
    });
    QList<RssFeed> plain;
    for (const mc::FeedEntry& entry : feeds)
        plain.append(entry.feed);
    const double rawOk = MedianMs(15, [&] { return Ms([&] { raw.WriteFeeds(rss, plain); }); });
    const bool loadMet = Report("load of 1,000 feeds", load, rawLoad);
    const bool okMet = Report("OK with 1,000 feeds", ok, rawOk);
    return loadMet && okMet ? 0 : 1;
}
