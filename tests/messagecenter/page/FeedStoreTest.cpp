#include "FeedTestSupport.h"
#include "TempStore.h"

#include <QLocale>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;

namespace {

const QString kLongUrl = "http://a/" + QString(mc::kMaxStoredUrl, 'x');

struct StoreCase {
    const char* name;
    std::function<void()> setUp;
    const char* loaded;
    bool complete;
    // After OK with the kept feeds and a new one "New", and whether "EnableRSS" was written.
    const char* saved;
    bool enableRss;
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

const StoreCase kCases[] = {
    {"no_key_gets_feeds_but_no_choice", [] {}, "", true, "New:1", false},
    {"feed_without_or_with_empty_xmlUrl_is_dropped", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Old", "http://a/rss");
         PutString(HKEY_CURRENT_USER, kRss + "\\NoUrl", "htmlUrl", "http://a/");
         PutFeed(HKEY_CURRENT_USER, kRss, "EmptyUrl", "");
     }, "Old:1", true, "New:1", true},
    {"missing_enable_reads_0", [] { PutString(HKEY_CURRENT_USER, kRss + "\\Bare", "xmlUrl", "http://a/rss"); },
     "Bare:0", true, "New:1", true},
    {"url_too_long_for_a_feed_is_kept_as_stored", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Long", kLongUrl, 0);
         PutFeed(HKEY_CURRENT_USER, kRss, "Max", kLongUrl.left(mc::kMaxStoredUrl));
     }, "Long:0! Max:1", true, "Long:0! New:1", true},
    {"non_ascii_names_sort_by_the_locale", [] {
         for (const char* name : {"Zebra", "Birne", "\xC3\x84pfel", "Apfelmus"})
             PutFeed(HKEY_CURRENT_USER, kRss, QString::fromUtf8(name), "http://a/rss");
     }, "\xC3\x84pfel:1 Apfelmus:1 Birne:1 Zebra:1", true, "New:1", true},
};

class FeedStoreTest : public testing::TestWithParam<StoreCase> {};

TEST_P(FeedStoreTest, LoadAndSave)
{
    const StoreCase& c = GetParam();
    TempStore store;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    c.setUp();
    mc::FeedListLoad load = mc::LoadFeedList(HKEY_CURRENT_USER, kRss);
    EXPECT_EQ(Describe(load.entries), c.loaded);
    EXPECT_EQ(load.complete, c.complete);

    load.entries.removeIf([](const mc::FeedEntry& entry) { return !entry.keepStored; });
    load.entries.append({RssFeed{"New", {}, "http://a/new", 1}, false});
    for (const bool complete : {false, true}) {
        app::PageSave save;
        mc::SaveFeeds(load.entries, complete, true, save);
        ASSERT_FALSE(save.Commit().Failed());
        if (!complete)
            EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries), c.loaded) << "an incomplete list leaves the store's";
    }
    EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries), c.saved);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS"), c.enableRss ? std::optional<DWORD>(1) : std::nullopt);
    EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRss + "\\New", "htmlUrl"), QByteArray(2, '\0')) << "an empty page URL is written";
    QLocale::setDefault(QLocale::c());
}

INSTANTIATE_TEST_SUITE_P(Store, FeedStoreTest, testing::ValuesIn(kCases), [](const auto& info) { return std::string(info.param.name); });

// Every write of OK failing in turn leaves the store exactly as it was.
TEST(FeedSave, FailedWriteLeavesTheStoreAsItWas)
{
    TempStore store;
    PutFeed(HKEY_CURRENT_USER, kRss, "Old", "http://a/old");
    PutFeed(HKEY_CURRENT_USER, mc::RssTempKey(), "Imported", "http://a/imported");
    const QString before = Export(kMessageCenter);
    const QList<mc::FeedEntry> entries = {{RssFeed{"A", "", "http://a/a", 0}, false}, {RssFeed{"B", "", "http://a/b", 1}, false}};
    int nth = 1;
    for (;; ++nth) {
        app::PageSave::FailWriteForTest(nth);
        app::PageSave save;
        mc::SaveFeeds(entries, true, false, save);
        mc::DeleteWorkingCopy(save);
        const bool failed = save.Commit().Failed();
        app::PageSave::FailWriteForTest(0);
        if (!failed || nth > 40)
            break;
        ASSERT_EQ(Export(kMessageCenter).toStdString(), before.toStdString()) << "write " << nth;
    }
    EXPECT_GT(nth, 10);
    EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries), "A:0 B:1");
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS"), 0u);
    EXPECT_EQ(Export(mc::RssTempKey()), "<missing>");
}

} // namespace
