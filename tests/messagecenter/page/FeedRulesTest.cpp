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
    const std::pair<QString, bool> urls[] = {
        {"ftp://example.com/f.xml", true}, {"file:res/demo/feed.xml", true}, {"feed:https://example.com/rss", true},
        {"example.com/rss", false}, {"mailto:someone@example.com", false}, {"http://exa mple.com/", false},
        {"http://a/" + QString(mc::kMaxStoredUrl - 8, 'x'), false},
    };
    for (const auto& [url, valid] : urls)
        EXPECT_EQ(mc::IsFeedUrl(url), valid) << url.toStdString();
    EXPECT_EQ(mc::LoadAddress("feed://example.com/rss"), "http://example.com/rss");
    EXPECT_EQ(mc::LoadAddress("feed:https://example.com/rss"), "https://example.com/rss");
    for (const auto& [name, fits] : {std::pair<QString, bool>{QString(255, 'n'), true}, {QString(256, 'n'), false}, {"A\\B", false}, {"", false}})
        EXPECT_EQ(mc::FeedNameFits(name), fits) << name.toStdString();
}

QByteArray Utf16(const QString& text) { return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2); }

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
        {"_NETSCAPE_URL", "http://a/" + QByteArray(mc::kMaxStoredUrl, 'x'), ""},
        {"text/uri-list", "# comment\r\nhttp://a/one\r\nhttp://a/two\r\n", "http://a/one|http://a/one"},
        {"text/plain", "a/rss", ""},
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
    EXPECT_EQ(model.AddFeedItem({"B", "", "http://a/B", 0}), 0) << "a new feed is ticked whatever it says";
    EXPECT_EQ(model.AddFeedItem({"b", "", "http://a/b", 1}), 0);
    EXPECT_EQ(model.AddFeedItem({"a", "", "http://a/a", 1}), 0);
    EXPECT_EQ(Rows(model), "a:1 b:1 B:1") << "letter case counts in the order";
    EXPECT_TRUE(model.setData(model.index(1, 0), ui::kUnchecked, ui::StateImageRole));
    EXPECT_FALSE(model.setData(model.index(1, 0), ui::kFixedChecked, ui::StateImageRole));
    EXPECT_EQ(model.ReplaceFeed(1, {"c", "", "http://a/c", 1}), 2) << "an edited feed keeps its tick and moves";
    EXPECT_EQ(Rows(model), "a:1 B:1 c:0");
    EXPECT_EQ(model.FindName("A"), 0) << "the store tells names apart without case";
    EXPECT_EQ(model.FindName("a", 0), -1) << "the edited row's own name";
    EXPECT_EQ(model.DeleteFeed(1), 0) << "the row before";
    EXPECT_EQ(model.DeleteFeed(0), 0) << "the new first row";
    EXPECT_EQ(model.DeleteFeed(0), -1);
    QLocale::setDefault(QLocale::c());
}

} // namespace
