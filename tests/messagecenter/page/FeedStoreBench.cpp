// The page's OK with 1,000 feeds against the same keys and values written in one transaction of
// hand-written SQLite on a twin file, and the page's load of them against a raw read of the same
// rows, in one run: the ratios show what the page and the store cost on top of the bare
// statements. Goal: at most 3 for both. Prints the figures; exits 1 when a goal is missed.

#include "RawDb.h"
#include "TwinStores.h"
#include "messagecenter/FeedListModel.h"
#include "messagecenter/MessageCenterPage.h"
#include "registry/Registry.h"
#include "registry/Transaction.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using namespace reg;
using bench::Fold;
using bench::Folded;
using bench::Require;

constexpr int kFeeds = 1000;
constexpr int kRounds = 7;
constexpr double kGoal = 3.0;

QList<mc::FeedEntry> Feeds()
{
    QList<mc::FeedEntry> entries;
    for (int n = 0; n < kFeeds; ++n) {
        const QString name = QStringLiteral("Feed %1").arg(n, 4, 10, QLatin1Char('0'));
        entries.append({RssFeed{name, "https://example.com/" + name, "https://example.com/" + name + "/rss", DWORD(n % 2)}, false});
    }
    return entries;
}

void Populate()
{
    app::PageSave save;
    mc::SaveFeedList(HKEY_CURRENT_USER, mc::RssKey(false), Feeds(), save);
    Require(!save.Commit().Failed(), "populate");
}

class Raw {
public:
    explicit Raw(const QString& path)
    {
        Require(sqlite3_open(QFile::encodeName(path).constData(), &m_db) == SQLITE_OK, "open raw");
        exec("PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;");
        m_insertKey = prepare("INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
        m_setValue = prepare("INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
        m_children = prepare("SELECT id, name FROM keys WHERE parent = ?1 ORDER BY fold");
        m_values = prepare("SELECT fold, data FROM vals WHERE key = ?1");
        bench::RawDb resolver(path);
        m_rss = resolver.resolve(mc::RssKey(false));
        Require(m_rss > 0, "find the RSS key");
    }
    ~Raw()
    {
        for (sqlite3_stmt* s : {m_insertKey, m_setValue, m_children, m_values})
            sqlite3_finalize(s);
        sqlite3_close(m_db);
    }

    void WriteFeeds(const QList<mc::FeedEntry>& entries)
    {
        exec("BEGIN IMMEDIATE");
        exec(QStringLiteral("DELETE FROM keys WHERE parent = %1").arg(m_rss).toUtf8().constData());
        for (const mc::FeedEntry& entry : entries) {
            const long long key = Insert(m_rss, entry.feed.name);
            Set(key, u"htmlUrl", REG_SZ, String(entry.feed.htmlUrl));
            Set(key, u"xmlUrl", REG_SZ, String(entry.feed.xmlUrl));
            Set(key, u"Enable", REG_DWORD, QByteArray(reinterpret_cast<const char*>(&entry.feed.Enable), 4));
        }
        exec("COMMIT");
    }

    // Every feed's name and values, as a load reads them.
    int ReadFeeds()
    {
        exec("BEGIN");
        int feeds = 0;
        sqlite3_bind_int64(m_children, 1, m_rss);
        while (sqlite3_step(m_children) == SQLITE_ROW) {
            const QString name = QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_blob(m_children, 1)),
                                                    sqlite3_column_bytes(m_children, 1) / 2);
            sqlite3_bind_int64(m_values, 1, sqlite3_column_int64(m_children, 0));
            int values = 0;
            while (sqlite3_step(m_values) == SQLITE_ROW)
                values += QByteArray(static_cast<const char*>(sqlite3_column_blob(m_values, 1)), sqlite3_column_bytes(m_values, 1)).size() > 0;
            sqlite3_reset(m_values);
            feeds += !name.isEmpty() && values == 3;
        }
        sqlite3_reset(m_children);
        exec("COMMIT");
        return feeds;
    }

private:
    static QByteArray String(const QString& text)
    {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), (text.size() + 1) * 2);
    }
    void exec(const char* sql) { Require(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql); }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        Require(sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) == SQLITE_OK, sql);
        return s;
    }
    long long Insert(long long parent, QStringView name)
    {
        Folded fold;
        Fold(name, &fold);
        sqlite3_bind_int64(m_insertKey, 1, parent);
        sqlite3_bind_blob(m_insertKey, 2, name.utf16(), int(name.size() * 2), SQLITE_TRANSIENT);
        sqlite3_bind_blob(m_insertKey, 3, fold.constData(), int(fold.size()), SQLITE_TRANSIENT);
        Require(sqlite3_step(m_insertKey) == SQLITE_DONE, "insert a key");
        sqlite3_reset(m_insertKey);
        return sqlite3_last_insert_rowid(m_db);
    }
    void Set(long long key, QStringView name, DWORD type, const QByteArray& data)
    {
        Folded fold;
        Fold(name, &fold);
        sqlite3_bind_int64(m_setValue, 1, key);
        sqlite3_bind_blob(m_setValue, 2, name.utf16(), int(name.size() * 2), SQLITE_TRANSIENT);
        sqlite3_bind_blob(m_setValue, 3, fold.constData(), int(fold.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(m_setValue, 4, type);
        sqlite3_bind_blob(m_setValue, 5, data.constData(), int(data.size()), SQLITE_TRANSIENT);
        Require(sqlite3_step(m_setValue) == SQLITE_DONE, "set a value");
        sqlite3_reset(m_setValue);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insertKey = nullptr;
    sqlite3_stmt* m_setValue = nullptr;
    sqlite3_stmt* m_children = nullptr;
    sqlite3_stmt* m_values = nullptr;
    long long m_rss = -1;
};

// Milliseconds the work takes.
double Time(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// The median of the rounds of a run that times its own part, in milliseconds.
double Median(const std::function<double()>& run)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool Report(const char* what, double page, double raw)
{
    const double ratio = page / raw;
    std::printf("%-36s page %8.2f ms   raw SQLite %8.2f ms   ratio %.2f (goal <= %.1f)\n", what, page, raw, ratio, kGoal);
    return ratio <= kGoal;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::TwinStores stores(QStringLiteral("mc-bench"), Populate);
    Raw raw(stores.path(QStringLiteral("raw.db")));
    const QList<mc::FeedEntry> feeds = Feeds();

    FeedListModel model;
    const double load = Median([&] { return Time([&] { model.LoadFeedList(HKEY_CURRENT_USER, mc::RssKey(false)); }); });
    Require(model.rowCount() == kFeeds, "the page's load");
    int rawFeeds = 0;
    const double rawLoad = Median([&] { return Time([&] { rawFeeds = raw.ReadFeeds(); }); });
    Require(rawFeeds == kFeeds, "the raw read");

    const double ok = Median([] {
        CMessageCenter page;
        page.CreatePage();
        Require(page.Model().rowCount() == kFeeds, "the page's feeds");
        return Time([&] { Require(!page.OnOK().Failed(), "the page's OK"); });
    });
    const double rawOk = Median([&] { return Time([&] { raw.WriteFeeds(feeds); }); });

    const bool loadMet = Report("load of 1,000 feeds", load, rawLoad);
    const bool okMet = Report("OK with 1,000 feeds", ok, rawOk);
    return loadMet && okMet ? 0 : 1;
}
