#include "messagecenter/FeedDrop.h"
#include "messagecenter/FeedListModel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(FeedRules, UrlSyntaxAndNames)
{
    const std::pair<const char*, bool> urls[] = {
        {"http://example.com/rss", true}, {"HTTPS://example.com/rss", true}, {"ftp://example.com/f.xml", true},
        {"file:///home/user/feed.xml", true}, {"file:res/demo/feed.xml", true}, {"feed://example.com/rss", true},
        {"feed:https://example.com/rss", true}, {"example.com/rss", false}, {"www.example.com", false},
        {"http://", false}, {"mailto:someone@example.com", false}, {"javascript:alert(1)", false},
        {"http://exa mple.com/", false}, {"", false},
    };
    for (const auto& [url, valid] : urls)
        EXPECT_EQ(mc::IsFeedUrl(QString::fromUtf8(url)), valid) << url;
    EXPECT_TRUE(mc::IsFeedUrl("http://a/" + QString(mc::kMaxStoredUrl - 9, 'x')));
    EXPECT_FALSE(mc::IsFeedUrl("http://a/" + QString(mc::kMaxStoredUrl - 8, 'x')));

    EXPECT_EQ(mc::LoadAddress("feed://example.com/rss"), "http://example.com/rss");
    EXPECT_EQ(mc::LoadAddress("feed:https://example.com/rss"), "https://example.com/rss");
    EXPECT_EQ(mc::LoadAddress("https://example.com/rss"), "https://example.com/rss");

    EXPECT_TRUE(mc::FeedNameFits(QString(255, 'n')));
    EXPECT_FALSE(mc::FeedNameFits(QString(256, 'n')));
    EXPECT_FALSE(mc::FeedNameFits("News\\World"));
    EXPECT_FALSE(mc::FeedNameFits(""));
}

QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

struct DropCase {
    const char* name;
    QString format;
    QByteArray data;
    // "name|xmlUrl", empty when the drop brings no feed.
    QString feed;
};

TEST(FeedRules, WhatADropBrings)
{
    QTemporaryDir dir;
    const auto linkFile = [&dir](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return QUrl::fromLocalFile(file.fileName()).toEncoded() + "\r\n";
    };
    const DropCase cases[] = {
        {"firefox_link_with_title", "text/x-moz-url", Utf16("http://a/rss\nMy News"), "My News|http://a/rss"},
        {"firefox_link_with_bom", "text/x-moz-url", "\xFF\xFE" + Utf16("http://a/rss\nNews"), "News|http://a/rss"},
        {"netscape_url_with_title", "_NETSCAPE_URL", "https://a/feed\nTitle", "Title|https://a/feed"},
        {"title_with_backslash_names_by_url", "_NETSCAPE_URL", "https://a/feed\nA\\B", "https://a/feed|https://a/feed"},
        {"uri_list_first_entry", "text/uri-list", "# comment\r\nhttp://a/one\r\nhttp://a/two\r\n", "http://a/one|http://a/one"},
        {"plain_text", "text/plain", "http://a/rss\n", "http://a/rss|http://a/rss"},
        {"plain_text_without_scheme", "text/plain", "a/rss", ""},
        {"url_file", "text/uri-list", linkFile("My News.url", "[InternetShortcut]\r\nURL=http://a/rss\r\n"), "My News|http://a/rss"},
        {"desktop_link_file", "text/uri-list", linkFile("Headlines.desktop", "[Desktop Entry]\nType=Link\nName=X\nURL=feed://a/rss\n"),
         "Headlines|feed://a/rss"},
        {"url_file_without_url", "text/uri-list", linkFile("Empty.url", "[InternetShortcut]\nIconFile=x\n"), ""},
        {"local_feed_file_is_named_by_its_url", "text/uri-list", linkFile("feed.xml", "<rss/>"), ""},
        {"over_long_url", "_NETSCAPE_URL", "http://a/" + QByteArray(mc::kMaxStoredUrl, 'x'), ""},
    };
    for (const DropCase& c : cases) {
        QMimeData data;
        data.setData(c.format, c.data);
        const std::optional<RssFeed> feed = mc::FeedFromDrop(data);
        const QString fileUrl = QUrl::fromLocalFile(dir.filePath("feed.xml")).toString();
        const QString expected = c.feed.isEmpty() && c.data.contains("feed.xml") ? fileUrl + '|' + fileUrl : c.feed;
        EXPECT_EQ(feed ? feed->name + '|' + feed->xmlUrl : QString(), expected) << c.name;
        if (feed) {
            EXPECT_EQ(feed->Enable, 1u) << c.name;
        }
    }
}

// "name:Enable" per row.
QString Rows(const FeedListModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << QStringLiteral("%1:%2").arg(model.Feed(row).name).arg(model.Feed(row).Enable);
    return rows.join(' ');
}

TEST(FeedRules, ListRows)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    FeedListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model.AddFeedItem({"b", "", "http://a/b", 0}), 0) << "a new feed is ticked whatever it says";
    EXPECT_EQ(model.AddFeedItem({"B", "", "http://a/B", 1}), 1);
    EXPECT_EQ(model.AddFeedItem({"a", "", "http://a/a", 1}), 0);
    EXPECT_EQ(Rows(model), "a:1 b:1 B:1") << "letter case counts in the order";
    EXPECT_TRUE(model.setData(model.index(1, 0), ui::kUnchecked, ui::StateImageRole));
    EXPECT_FALSE(model.setData(model.index(1, 0), ui::kFixedChecked, ui::StateImageRole));
    EXPECT_EQ(model.ReplaceFeed(1, {"c", "", "http://a/c", 1}), 2) << "an edited feed keeps its tick and moves";
    EXPECT_EQ(Rows(model), "a:1 B:1 c:0");

    EXPECT_EQ(model.FindName("A"), 0) << "the store tells names apart without case";
    EXPECT_EQ(model.FindName("a", 0), -1) << "the edited row's own name";
    EXPECT_EQ(model.FindName("d"), -1);

    EXPECT_EQ(model.DeleteFeed(1), 0) << "the row before";
    EXPECT_EQ(model.DeleteFeed(0), 0) << "the new first row";
    EXPECT_EQ(model.DeleteFeed(0), -1);
    QLocale::setDefault(QLocale::c());
}

} // namespace
