#include "FeedTestData.h"

#include "messagecenter/FeedReaders.h"

#include <gtest/gtest.h>

using namespace mc;

namespace {

// "kind|title|link|description|htmlUrl" per entry.
void Describe(const RssEntryList& entries, std::vector<std::string>* lines)
{
    for (const RssEntry& e : entries)
        lines->push_back(
            QStringLiteral("%1|%2|%3|%4|%5").arg(e.kind).arg(e.title, e.link, e.description, e.htmlUrl).toStdString());
}

enum Reader { Rss, Opml };

struct ReaderCase {
    std::string name;
    Reader reader;
    QByteArray document;
    // RSS: "channel|title|link" first, then the items; OPML: the entries.
    std::vector<std::string> found;
};

void PrintTo(const ReaderCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, FindsWhatTheRulesKeep)
{
    const ReaderCase& c = GetParam();
    const auto document = XmlDocument::parse(c.document);
    ASSERT_FALSE(document->documentElement().isNull()) << document->errorReason().toStdString();
    // Whatever the lists and fields held before is gone.
    RssEntryList entries = {RssEntry{4, "stale", "stale", {}, {}}};
    QString title = QStringLiteral("stale");
    QString link = title;
    std::vector<std::string> found;
    if (c.reader == Rss) {
        ParseRssDocument(document->documentElement(), entries, title, link);
        found.push_back("channel|" + title.toStdString() + "|" + link.toStdString());
    } else {
        ParseOPML(document->documentElement(), entries);
    }
    Describe(entries, &found);
    EXPECT_EQ(found, c.found);
}

std::string CaseName(const testing::TestParamInfo<ReaderCase>& info)
{
    return info.param.name;
}

const std::string k300(300, 'a');
const std::string k259(259, 'a');

QByteArray Outlines(const std::string& outlines)
{
    return QByteArray::fromStdString("<opml version='1.0'><body>" + outlines + "</body></opml>");
}

INSTANTIATE_TEST_SUITE_P(Documents, ReaderTest, testing::ValuesIn(std::vector<ReaderCase>{
    {"Rss2", Rss, Fixture("rss2.xml"),
     {"channel|Harbour Town Council News|https://news.example.org/",
      "4|Ferry timetable for the winter|https://news.example.org/2024/ferry-winter|"
      "<p>The <b>winter</b> timetable starts on 3 November.</p>|",
      "4|Road works on Quay Street & Mill Lane|https://news.example.org/2024/quay-street|Closed  from 8:00 to 17:00.|",
      "0||||"}},
    {"Rss1ItemsBesideChannel", Rss, Fixture("rss1.rdf"),
     {"channel|Coastal Weather|https://weather.example.net/",
      "4|Gale warning|https://weather.example.net/f/1|Gusts up to 9 Beaufort in the afternoon.|",
      "4|Calm weekend|https://weather.example.net/f/2||"}},
    {"Rss1OtherPrefix", Rss, Fixture("rss1-other-prefix.rdf"), {"channel||"}},
    {"Atom", Rss, Fixture("atom.xml"), {"channel||"}},
    {"OpmlFoldersAtSeveralDepths", Opml, Fixture("folders.opml"),
     {"0|Top level|https://top.example.org/rss||https://top.example.org/",
      "0|The City Paper|https://city.example.org/feed|Daily news from the city|https://city.example.org/",
      "0|Council|https://news.example.org/feed.xml||", "0|Rowing Club|https://rowing.example.org/rss.xml||",
      "0|Rowing Club|https://rowing.example.org/results.xml||",
      "0|Feed used as a folder|https://parent.example.org/rss||", "0|Child of a feed|https://child.example.org/rss||"}},
}), CaseName);

INSTANTIATE_TEST_SUITE_P(Rules, ReaderTest, testing::ValuesIn(std::vector<ReaderCase>{
    {"RssLaterChannelFieldsWin", Rss,
     "<rss><channel><title>A</title><link>a</link><title>B</title></channel><channel><link>b</link></channel></rss>",
     {"channel|B|b"}},
    {"RssAnyChildNodeMakesContent", Rss, "<rss><channel><item> </item><item><!--c--></item></channel></rss>",
     {"channel||", "4||||", "4||||"}},
    {"RssTextTrimmedJoinedUnescaped", Rss,
     "<!DOCTYPE rss [<!ENTITY co 'Acme &amp; Co'>]><rss><channel><item><title>\n  &co; &#233;<![CDATA[ <x> ]]>\n"
     "</title><description>Hello <b>bold</b> <!-- no -->world<?pi no?></description></item></channel></rss>",
     {"channel||", "4|Acme & Co \xC3\xA9 <x>||Hello bold world|"}},
    {"RssLongTextsCut", Rss,
     QByteArray::fromStdString("<rss><channel><title>" + k300 + "</title><item><title>" + k300 + "</title><link>" + k300
                               + "</link><description>" + std::string(30000, 'd') + "</description></item></channel></rss>"),
     {"channel|" + k259 + "|", "4|" + k259 + "|" + k259 + "|" + std::string(25999, 'd') + "|"}},
    {"OpmlRootNameCaseSensitive", Opml, "<OPML><outline type='rss' text='a' xmlUrl='b'/></OPML>", {}},
    {"OpmlNamesCaseSensitive", Opml,
     Outlines("<outline TYPE='rss' text='a' xmlUrl='b'/><outline type='rss' Text='a' xmlUrl='b'/>"
              "<outline type='rss' text='a' xmlurl='b'/><Outline type='rss' text='a' xmlUrl='b'/>"),
     {}},
    {"OpmlLaterEmptyTitleWins", Opml, Outlines("<outline type='rss' text='a' title='' xmlUrl='b'/>"), {}},
    {"OpmlLongValuesCut", Opml,
     Outlines("<outline type='rss' text='" + k300 + "' xmlUrl='" + k300 + "' htmlUrl='" + k300 + "' description='" + k300
              + "'/>"),
     {"0|" + k259 + "|" + k259 + "|" + k259 + "|" + k259}},
    // Entity references have no children here, so replacement markup is never walked.
    {"OpmlOutlinesInsideEntitiesIgnored", Opml,
     "<!DOCTYPE opml [<!ENTITY o \"<outline type='rss' text='a' xmlUrl='b'/>\">]><opml>&o;</opml>", {}},
}), CaseName);

} // namespace
