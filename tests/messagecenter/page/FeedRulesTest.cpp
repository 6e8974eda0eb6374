#include "FeedTestSupport.h"
#include "TempStore.h"
#include "messagecenter/FeedDrop.h"
#include "messagecenter/FeedListModel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;

namespace {

// Loads the list, then saves the feeds kept as stored and a new one, first as an incomplete list
// (which leaves the store's), then whole; "EnableRSS" is written only where the key stands.
TEST(FeedStore, LoadAndSave)
{
    const QString longUrl = "http://a/" + QString(mc::kMaxStoredUrl, 'x');
    const std::tuple<std::function<void()>, const char*, const char*, bool> cases[] = {
        {[] {}, "", "New:1", false},
        {[&] {
             PutFeed(HKEY_CURRENT_USER, kRss, "Long", longUrl, 0);
             PutFeed(HKEY_CURRENT_USER, kRss, "Max", longUrl.left(mc::kMaxStoredUrl));
             PutFeed(HKEY_CURRENT_USER, kRss, "EmptyUrl", "");
             PutString(HKEY_CURRENT_USER, kRss + "\\NoUrl", "htmlUrl", "http://a/");
             PutString(HKEY_CURRENT_USER, kRss + "\\Bare", "xmlUrl", "http://a/rss");
             for (const char* name : {"Zebra", "\xC3\x84pfel", "Apfelmus"})
                 PutFeed(HKEY_CURRENT_USER, kRss, QString::fromUtf8(name), "http://a/rss");
         }, "\xC3\x84pfel:1 Apfelmus:1 Bare:0 Long:0! Max:1 Zebra:1", "Long:0! New:1", true},
    };
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const auto& [setUp, loaded, saved, enableRss] : cases) {
        TempStore store;
        setUp();
        mc::FeedListLoad load = mc::LoadFeedList(HKEY_CURRENT_USER, kRss);
        EXPECT_EQ(Describe(load.entries), loaded);
        EXPECT_TRUE(load.complete);
        load.entries.removeIf([](const mc::FeedEntry& entry) { return !entry.keepStored; });
        load.entries.append({RssFeed{"New", {}, "http://a/new", 1}, false});
        for (const bool complete : {false, true}) {
            app::PageSave save;
            mc::SaveFeeds(load.entries, complete, true, save);
            ASSERT_FALSE(save.Commit().Failed());
            EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries), complete ? saved : loaded);
        }
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS"), enableRss ? std::optional<DWORD>(1) : std::nullopt);
    }
    QLocale::setDefault(QLocale::c());
}

TEST(FeedRules, AddressesAndNames)
{
    EXPECT_EQ(mc::LoadAddress("feed://example.com/rss"), "http://example.com/rss");
    EXPECT_EQ(mc::LoadAddress("feed:https://example.com/rss"), "https://example.com/rss");
    for (const auto& [name, fits] : {std::pair<QString, bool>{QString(255, 'n'), true}, {QString(256, 'n'), false}, {"A\\B", false}, {"Tab\tbed", false}, {"", false}})
        EXPECT_EQ(mc::FeedNameFits(name), fits) << name.toStdString();
}

QByteArray Utf16(const QString& text) { return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2); }

// Every form a link arrives in, and the URLs a feed may have.
TEST(FeedRules, WhatADropBrings)
{
    QTemporaryDir dir;
    const auto linkFile = [&dir](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return QUrl::fromLocalFile(file.fileName()).toEncoded() + "\r\n";
    };
    const QString localFeed = QUrl::fromLocalFile(dir.filePath("feed.xml")).toString();
    // Format, data, and "name|xmlUrl" of the feed, empty for none.
    const std::tuple<QString, QByteArray, QString> cases[] = {
        {"text/x-moz-url", "\xFF\xFE" + Utf16("http://a/rss\nNews"), "News|http://a/rss"},
        {"_NETSCAPE_URL", "https://a/feed\nA\\B", "https://a/feed|https://a/feed"},
        {"_NETSCAPE_URL", "http://a/" + QByteArray(mc::kMaxStoredUrl - 8, 'x'), ""},
        {"text/uri-list", "# comment\r\nftp://a/one\r\nhttp://a/two\r\n", "ftp://a/one|ftp://a/one"},
        {"text/plain", "feed:https://a/rss", "feed:https://a/rss|feed:https://a/rss"},
        {"text/plain", "a/rss", ""},
        {"text/plain", "mailto:someone@example.com", ""},
        {"text/plain", "http://exa mple.com/", ""},
        {"text/uri-list", linkFile("Headlines.desktop", "[Desktop Entry]\nType=Link\nURL=feed://a/rss\n"), "Headlines|feed://a/rss"},
        {"text/uri-list", linkFile("Empty.url", "[InternetShortcut]\nIconFile=x\n"), ""},
        {"text/uri-list", linkFile("feed.xml", "<rss/>"), localFeed + '|' + localFeed},
    };
    for (const auto& [format, bytes, expected] : cases) {
        QMimeData data;
        data.setData(format, bytes);
        const std::optional<RssFeed> feed = mc::FeedFromDrop(data);
        EXPECT_EQ(feed ? feed->name + '|' + feed->xmlUrl : QString(), expected) << bytes.toStdString();
        EXPECT_TRUE(!feed || feed->Enable == 1);
    }
}

TEST(FeedRules, ListRows)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    FeedListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (const char* name : {"B", "b", "a"})
        EXPECT_EQ(model.AddFeedItem({name, "", "http://a/", 0}), 0);
    EXPECT_EQ(Describe(model.Entries()), "a:1 b:1 B:1") << "a new feed is ticked; letter case counts in the order";
    EXPECT_TRUE(model.setData(model.index(1, 0), ui::kUnchecked, ui::StateImageRole));
    EXPECT_FALSE(model.setData(model.index(1, 0), ui::kFixedChecked, ui::StateImageRole));
    EXPECT_EQ(model.ReplaceFeed(1, {"c", "", "http://a/c", 1}), 2) << "an edited feed keeps its tick and moves";
    EXPECT_EQ(Describe(model.Entries()), "a:1 B:1 c:0");
    EXPECT_EQ(model.FindName("A"), 0) << "the store tells names apart without case";
    EXPECT_EQ(model.FindName("a", 0), -1) << "the edited row's own name";
    EXPECT_EQ(model.DeleteFeed(1), 0) << "the row before";
    EXPECT_EQ(model.DeleteFeed(0), 0) << "the new first row";
    EXPECT_EQ(model.DeleteFeed(0), -1);
    QLocale::setDefault(QLocale::c());
}

} // namespace
