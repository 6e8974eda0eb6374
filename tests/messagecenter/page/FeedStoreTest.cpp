#include "FeedTestSupport.h"
#include "TempStore.h"

#include <QLocale>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;

namespace {

struct LoadCase {
    const char* name;
    std::function<void()> setUp;
    const char* loaded;
    bool complete;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const LoadCase kLoadCases[] = {
    {"no_key_is_an_empty_list", [] {}, "", true},
    {"feed_without_or_with_empty_xmlUrl_is_skipped", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Kept", "http://a/rss");
         PutString(HKEY_CURRENT_USER, kRss + "\\NoUrl", "htmlUrl", "http://a/");
         PutFeed(HKEY_CURRENT_USER, kRss, "EmptyUrl", "");
     }, "Kept:1", true},
    {"missing_enable_reads_0_and_empty_htmlUrl_is_fine", [] {
         PutString(HKEY_CURRENT_USER, kRss + "\\Bare", "xmlUrl", "http://a/rss");
     }, "Bare:0", true},
    {"url_longer_than_a_feed_holds_is_kept_as_stored", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Long", "http://a/" + QString(mc::kMaxStoredUrl, 'x'), 0);
         PutFeed(HKEY_CURRENT_USER, kRss, "Short", "http://a/rss");
     }, "Long:0! Short:1", true},
    {"longest_url_read_whole", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Max", "http://a/" + QString(mc::kMaxStoredUrl - 9, 'x'));
     }, "Max:1", true},
    {"non_ascii_names_sort_by_the_locale", [] {
         for (const char* name : {"Zebra", "Birne", "\xC3\x84pfel", "Apfelmus"})
             PutFeed(HKEY_CURRENT_USER, kRss, QString::fromUtf8(name), "http://a/rss");
     }, "\xC3\x84pfel:1 Apfelmus:1 Birne:1 Zebra:1", true},
};

class FeedLoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(FeedLoadTest, RowsOfTheStoredList)
{
    TempStore store;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    GetParam().setUp();
    const mc::FeedListLoad load = mc::LoadFeedList(HKEY_CURRENT_USER, kRss);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(Describe(load.entries).toStdString(), GetParam().loaded);
    EXPECT_EQ(load.complete, GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(Store, FeedLoadTest, testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SaveCase {
    const char* name;
    std::function<void()> setUp;
    // Rows added to the feeds the load kept as stored, the others being deleted.
    QStringList added;
    bool complete;
    const char* stored;
    std::optional<DWORD> enableRss;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

const SaveCase kSaveCases[] = {
    {"replaces_the_stored_feeds", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Old", "http://a/old");
         PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 0);
     }, {"New"}, true, "New:1", 1},
    {"skipped_feed_is_dropped_and_kept_feed_stays", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Long", "http://a/" + QString(mc::kMaxStoredUrl, 'x'), 0);
         PutString(HKEY_CURRENT_USER, kRss + "\\NoUrl", "htmlUrl", "http://a/");
     }, {"New"}, true, "Long:0! New:1", 1},
    {"incomplete_list_leaves_the_stored_feeds", [] {
         PutFeed(HKEY_CURRENT_USER, kRss, "Old", "http://a/old");
     }, {"New"}, false, "Old:1", 1},
    {"no_message_center_key_gets_feeds_but_no_choice", [] {}, {"New"}, true, "New:1", std::nullopt},
};

class FeedSaveTest : public testing::TestWithParam<SaveCase> {};

TEST_P(FeedSaveTest, WhatOkWrites)
{
    const SaveCase& c = GetParam();
    TempStore store;
    c.setUp();
    mc::FeedListLoad load = mc::LoadFeedList(HKEY_CURRENT_USER, kRss);
    load.entries.removeIf([](const mc::FeedEntry& entry) { return !entry.keepStored; });
    for (const QString& name : c.added)
        load.entries.append({RssFeed{name, {}, "http://a/" + name, 1}, false});
    app::PageSave save;
    mc::SaveFeeds(load.entries, c.complete, true, save);
    ASSERT_FALSE(save.Commit().Failed());
    EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries).toStdString(), c.stored);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS"), c.enableRss);
    if (c.complete) {
        EXPECT_EQ(ReadBytes(HKEY_CURRENT_USER, kRss + "\\New", "htmlUrl"), QByteArray(2, '\0')) << "an empty page URL is written";
    }
}

INSTANTIATE_TEST_SUITE_P(Store, FeedSaveTest, testing::ValuesIn(kSaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every write of the save failing in turn leaves the store exactly as it was.
TEST(FeedSave, FailedWriteLeavesTheStoreAsItWas)
{
    TempStore store;
    PutFeed(HKEY_CURRENT_USER, kRss, "Old", "http://a/old");
    PutFeed(HKEY_CURRENT_USER, mc::RssTempKey(), "Imported", "http://a/imported");
    const QString before = Export(kMessageCenter);
    const QList<mc::FeedEntry> entries = {{RssFeed{"A", "", "http://a/a", 0}, false}, {RssFeed{"B", "", "http://a/b", 1}, false}};
    int failures = 0;
    for (int nth = 1; nth < 40; ++nth) {
        app::PageSave::FailWriteForTest(nth);
        app::PageSave save;
        mc::SaveFeeds(entries, true, false, save);
        mc::DeleteWorkingCopy(save);
        const bool failed = save.Commit().Failed();
        app::PageSave::FailWriteForTest(0);
        if (!failed)
            break;
        ++failures;
        ASSERT_EQ(Export(kMessageCenter).toStdString(), before.toStdString()) << "write " << nth;
    }
    EXPECT_GE(failures, 10);
    EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries), "A:0 B:1");
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS"), 0u);
    EXPECT_EQ(Export(mc::RssTempKey()), "<missing>");
}

} // namespace
