// The page's OK with 1,000 feeds against the same keys and values written in one transaction of
// hand-written SQLite on a twin file, and the page's load of them against a raw read of the same
// rows, in one run. Prints the medians and ratios (goal: at most 3); exits 1 when one is missed.

#include "RawDb.h"
#include "TwinStores.h"
#include "messagecenter/MessageCenterPage.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <variant>

namespace {

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

// Runs a statement with its arguments bound in order (integers, or UTF-16 data as a blob).
long long Step(sqlite3* db, sqlite3_stmt* s, std::initializer_list<std::variant<long long, QByteArray>> args, const std::function<void()>& perRow = {})
{
    int index = 0;
    for (const auto& arg : args) {
        if (const auto* number = std::get_if<long long>(&arg))
            sqlite3_bind_int64(s, ++index, *number);
        else
            sqlite3_bind_blob(s, ++index, std::get<QByteArray>(arg).constData(), int(std::get<QByteArray>(arg).size()), SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        perRow();
    Require(rc == SQLITE_DONE, "step");
    sqlite3_reset(s);
    return sqlite3_last_insert_rowid(db);
}

QByteArray Utf16(const QString& text, bool terminated = false) { return QByteArray(reinterpret_cast<const char*>(text.utf16()), int(text.size() + terminated) * 2); }
QByteArray Folded(const QString& name)
{
    bench::Folded fold;
    bench::Fold(name, &fold);
    return QByteArray(fold.constData(), fold.size());
}

double MedianMs(const std::function<double()>& run)
{
    std::vector<double> times;
    for (int round = 0; round < 15; ++round)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times[7];
}

double Ms(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
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
    sqlite3* db = nullptr;
    Require(sqlite3_open(QFile::encodeName(stores.path("raw.db")).constData(), &db) == SQLITE_OK && rss > 0, "open raw");
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr);
    const auto prepare = [db](const char* sql) {
        sqlite3_stmt* s = nullptr;
        Require(sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK, sql);
        return s;
    };
    sqlite3_stmt* begin = prepare("BEGIN IMMEDIATE");
    sqlite3_stmt* commit = prepare("COMMIT");
    sqlite3_stmt* clear = prepare("DELETE FROM keys WHERE parent = ?1");
    sqlite3_stmt* insertKey = prepare("INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
    sqlite3_stmt* setValue = prepare("INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
    sqlite3_stmt* children = prepare("SELECT id, name FROM keys WHERE parent = ?1 ORDER BY fold");
    sqlite3_stmt* values = prepare("SELECT name, data FROM vals WHERE key = ?1");

    FeedListModel model;
    const double load = MedianMs([&] { return Ms([&] { model.LoadFeedList(reg::HKEY_CURRENT_USER, mc::RssKey(false)); }); });
    Require(model.rowCount() == kFeeds, "the page's load");
    QList<RssFeed> read;
    const double rawLoad = MedianMs([&] {
        return Ms([&] {
            read.clear();
            Step(db, children, {rss}, [&] {
                RssFeed feed;
                feed.name = QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_blob(children, 1)), sqlite3_column_bytes(children, 1) / 2);
                Step(db, values, {sqlite3_column_int64(children, 0)}, [&] {
                    feed.xmlUrl += QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_blob(values, 1)), sqlite3_column_bytes(values, 1) / 2);
                });
                read.append(feed);
            });
        });
    });
    Require(read.size() == kFeeds, "the raw read");

    const double ok = MedianMs([] {
        CMessageCenter page;
        page.CreatePage();
        return Ms([&] { Require(!page.OnOK().Failed(), "the page's OK"); });
    });
    const double rawOk = MedianMs([&] {
        return Ms([&] {
            Step(db, begin, {});
            Step(db, clear, {rss});
            for (const mc::FeedEntry& entry : feeds) {
                const long long key = Step(db, insertKey, {rss, Utf16(entry.feed.name), Folded(entry.feed.name)});
                Step(db, setValue, {key, Utf16("htmlUrl"), Folded("htmlUrl"), reg::REG_SZ, Utf16(entry.feed.htmlUrl, true)});
                Step(db, setValue, {key, Utf16("xmlUrl"), Folded("xmlUrl"), reg::REG_SZ, Utf16(entry.feed.xmlUrl, true)});
                Step(db, setValue, {key, Utf16("Enable"), Folded("Enable"), reg::REG_DWORD, QByteArray(reinterpret_cast<const char*>(&entry.feed.Enable), 4)});
            }
            Step(db, commit, {});
        });
    });
    for (sqlite3_stmt* s : {begin, commit, clear, insertKey, setValue, children, values})
        sqlite3_finalize(s);
    sqlite3_close(db);
    const bool loadMet = Report("load of 1,000 feeds", load, rawLoad);
    const bool okMet = Report("OK with 1,000 feeds", ok, rawOk);
    return loadMet && okMet ? 0 : 1;
}
