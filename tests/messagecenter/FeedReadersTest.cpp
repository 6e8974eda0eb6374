// The RSS and OPML readers over real-looking feeds and odd documents, and parsing that stays
// bounded and local on hostile ones.

#include "FeedTestData.h"

#include "feeds/FeedReaders.h"

#include <gtest/gtest.h>

#include <QStringEncoder>

#include <optional>

using namespace mc;

namespace {

enum Reader { Rss, Opml };

struct ReaderCase {
    std::string name;
    Reader reader;
    QByteArray document;
    // "(not parsed)" without a document element, else for RSS "channel|title|link" first; then
    // "kind|title|link|description|htmlUrl" per entry.
    std::vector<std::string> found;
    // What a recovering parse finds, when it differs.
    std::optional<std::vector<std::string>> recovered = std::nullopt;
};

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

// Every document is read strictly and recovering; what is refused for safety stays refused.
TEST_P(ReaderTest, FindsWhatTheRulesKeep)
{
    const ReaderCase& c = GetParam();
    for (const auto mode : {XmlDocument::Mode::Strict, XmlDocument::Mode::Recover}) {
        SCOPED_TRACE(mode == XmlDocument::Mode::Strict ? "strict" : "recovering");
        const auto document = XmlDocument::parse(c.document, mode);
        const XmlNode root = document->documentElement();
        EXPECT_EQ(document->errorReason().isEmpty(), !root.isNull());
        // Whatever the list and fields held before is gone.
        RssEntryList entries = {RssEntry{4, "stale", "stale", {}, {}}};
        QString title = "stale", link = title;
        std::vector<std::string> found;
        if (root.isNull())
            found.push_back("(not parsed)");
        if (c.reader == Rss) {
            ParseRssDocument(root, entries, title, link);
            if (!root.isNull())
                found.push_back("channel|" + (title + u'|' + link).toStdString());
        } else {
            ParseOPML(root, entries);
        }
        for (const RssEntry& e : entries)
            found.push_back(QStringLiteral("%1|%2|%3|%4|%5")
                                .arg(e.kind)
                                .arg(e.title, e.link, e.description, e.htmlUrl)
                                .toStdString());
        const bool recovering = mode == XmlDocument::Mode::Recover && c.recovered;
        EXPECT_EQ(found, recovering ? *c.recovered : c.found) << document->errorReason().toStdString();
        EXPECT_FALSE(root.textContent().contains(u"SECRET-MARKER"));
    }
}

const std::string k300(300, 'a'), k259(259, 'a');

QByteArray Outlines(const std::string& outlines)
{
    return QByteArray::fromStdString("<opml version='1.0'><body>" + outlines + "</body></opml>");
}

// Ten times the previous entity, nine levels deep: 3 * 10^9 characters from under 1 KB.
QByteArray BillionLaughs(const QByteArray& body)
{
    QByteArray dtd = "<!DOCTYPE rss [<!ENTITY lol0 'lol'>";
    for (int level = 1; level <= 9; ++level)
        dtd += QString("<!ENTITY lol%1 '%2'>").arg(level).arg(QString("&lol%1;").arg(level - 1).repeated(10)).toUtf8();
    return dtd + "]>" + body;
}

// The text in UTF-32 of that byte order, with or without a byte-order mark.
QByteArray Utf32(const QString& text, QStringConverter::Encoding order, bool mark)
{
    QStringEncoder encode(order, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encode(text);
}

const QString kUtf32Opml =
    QStringLiteral("<opml><body><outline type='rss' text='Caf\u00e9 \U0001F600' xmlUrl='u'/></body></opml>");
const std::vector<std::string> kUtf32Found = {"0|Caf\xC3\xA9 \xF0\x9F\x98\x80|u||"};
const std::vector<std::string> kNotParsed = {"(not parsed)"};

const std::vector<std::string> kFolderFeeds = {
    "0|Top level|https://top.example.org/rss||https://top.example.org/",
    "0|The City Paper|https://city.example.org/feed|Daily news from the city|https://city.example.org/",
    "0|Council|https://news.example.org/feed.xml||", "0|Rowing Club|https://rowing.example.org/rss.xml||",
    "0|Rowing Club|https://rowing.example.org/results.xml||",
    "0|Feed used as a folder|https://parent.example.org/rss||", "0|Child of a feed|https://child.example.org/rss||"};

// folders.opml cut off where the marker starts, and extra bytes on.
QByteArray FoldersCut(const char* marker, qsizetype extra = 0)
{
    const QByteArray folders = Fixture("folders.opml");
    return folders.first(folders.indexOf(marker) + extra);
}

QString Declared(const char* encoding)
{
    return QStringLiteral("<?xml version='1.0' encoding='%1'?>").arg(QLatin1String(encoding)) + kUtf32Opml;
}

// The files hold or declare the marker that must never show.
#define SECRET_URL "file://" QSCUST_TEST_DATA "/feeds/secret"

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
    {"OpmlFoldersAtSeveralDepths", Opml, Fixture("folders.opml"), kFolderFeeds},
    {"RssLaterFieldsWinAndAnyChildNodeMakesContent", Rss,
     "<rss><channel><title>A</title><link>a</link><item> </item><item><!--c--></item><title>B</title></channel>"
     "<channel><link>b</link></channel></rss>",
     {"channel|B|b", "4||||", "4||||"}},
    {"RssTextTrimmedJoinedUnescaped", Rss,
     "<!DOCTYPE rss [<!ENTITY co 'Acme &amp; Co'>]><rss><channel><item><title>\n  &co; &#233;<![CDATA[ <x> ]]>\n"
     "</title><description>Hello <b>bold</b> <!-- no -->world<?pi no?></description></item></channel></rss>",
     {"channel||", "4|Acme & Co \xC3\xA9 <x>||Hello bold world|"}},
    {"RssLongTextsCut", Rss,
     QByteArray::fromStdString("<rss><channel><title>" + k300 + "</title><item><title>" + k300 + "</title><link>"
                               + k300 + "</link><description>" + std::string(30000, 'd')
                               + "</description></item></channel></rss>"),
     {"channel|" + k259 + "|", "4|" + k259 + "|" + k259 + "|" + std::string(25999, 'd') + "|"}},
    {"OpmlRootNameCaseSensitive", Opml, "<OPML><outline type='rss' text='a' xmlUrl='b'/></OPML>", {}},
    {"OpmlOutlinesThatAreNoFeeds", Opml,
     Outlines("<outline TYPE='rss' text='a' xmlUrl='b'/><outline type='rss' Text='a' xmlUrl='b'/>"
              "<outline type='rss' text='a' xmlurl='b'/><Outline type='rss' text='a' xmlUrl='b'/>"
              "<outline type='rss' text='a' title='' xmlUrl='b'/>"
              "<outline x:type='rss' text='a' xmlUrl='b' xmlns:x='x'/><outline y:type='rss' text='a' xmlUrl='b'/>"),
     {}},
    {"OpmlLongValuesCut", Opml,
     Outlines("<outline type='rss' text='" + k300 + "' xmlUrl='" + k300 + "' htmlUrl='" + k300 + "' description='"
              + k300 + "'/>"),
     {"0|" + k259 + "|" + k259 + "|" + k259 + "|" + k259}},
    // Entity references have no children here, so replacement markup is never walked.
    {"OpmlOutlinesInsideEntitiesIgnored", Opml,
     "<!DOCTYPE opml [<!ENTITY o \"<outline type='rss' text='a' xmlUrl='b'/>\">]><opml>&o;</opml>", {}},
    {"BillionLaughsInText", Rss, BillionLaughs("<rss><channel><title>&lol9;</title></channel></rss>"),
     {"(not parsed)"}},
    {"DeeplyNested", Rss, QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000), {"(not parsed)"}},
    {"InvalidUtf8", Rss, "<rss><channel><title>a\xFF\xFE b</title></channel></rss>", {"(not parsed)"}},
    {"ExternalEntity", Rss,
     "<!DOCTYPE rss [<!ENTITY x SYSTEM '" SECRET_URL ".txt'>]><rss><channel><title>a&x;b</title></channel></rss>",
     {"channel|ab|"}},
    {"ExternalSubset", Rss,
     "<!DOCTYPE rss SYSTEM '" SECRET_URL ".dtd'><rss><channel><title>&secret;</title></channel></rss>",
     {"channel||"}},
    // Recovery keeps every bare "&" as written, and only drops the unknown entity.
    {"OpmlBareAmpersands", Opml, Fixture("bare-ampersands.opml"), kNotParsed,
     std::vector<std::string>{
         "0|Q&A Weekly|https://feeds.example.com/qa?format=rss&lang=en||https://example.com/?a=1&b=2",
         "0|Fish & Chips & & Peas|https://chips.example.net/feed?x=1&y=2||",
         "0|AT&TBlog|https://att.example.org/rss&||"}},
    {"RssBareAmpersandBesideCData", Rss, "<rss><channel><title>Tom & Jerry<![CDATA[ &raw]]></title></channel></rss>",
     kNotParsed, std::vector<std::string>{"channel|Tom & Jerry &raw|"}},
    // A cut value cannot be told from a whole one; after the cut outline's last value, all is kept.
    {"OpmlCutInsideAValue", Opml, FoldersCut("results"), kNotParsed},
    {"OpmlCutAfterAValue", Opml, FoldersCut("results.xml", 12), kNotParsed,
     std::vector<std::string>(kFolderFeeds.begin(), kFolderFeeds.begin() + 5)},
    {"CutInsideComment", Opml, "<?xml version='1.0'?><!-- subscriptions", kNotParsed},
    {"NoElementName", Opml, "<?xml version='1.0'?>< opml/>", kNotParsed},
    {"PlainText", Opml, "Just some words & a <b>bold</b> claim", kNotParsed},
    {"Binary", Opml, "<opml>\x01\x02\x7F\xC0\x80\xFF</opml>", kNotParsed},
    {"UnknownEncoding", Opml, "<?xml version='1.0' encoding='x-no-such'?><opml/>", kNotParsed},
    {"Utf32LittleEndianMarkDeclared", Opml, Utf32(Declared("ucs-4"), QStringConverter::Utf32LE, true), kUtf32Found},
    {"Utf32LittleEndianBare", Opml, Utf32(kUtf32Opml, QStringConverter::Utf32LE, false), kUtf32Found},
    {"Utf32BigEndianMark", Opml, Utf32(kUtf32Opml, QStringConverter::Utf32BE, true), kUtf32Found},
    {"Utf32BigEndianDeclared", Opml, Utf32(Declared("UTF-32"), QStringConverter::Utf32BE, false), kUtf32Found},
    {"Utf32DeclaredButUtf8", Opml, Declared("UTF-32").toUtf8(), kNotParsed},
    {"Utf32OddLength", Opml, Utf32(kUtf32Opml, QStringConverter::Utf32LE, false) + '\n', kNotParsed},
    {"Utf32DeclaresOtherOrder", Opml, Utf32(Declared("UTF-32BE"), QStringConverter::Utf32LE, false), kNotParsed},
    {"Utf32MarkedDeclaresUtf16", Opml, Utf32(Declared("UTF-16"), QStringConverter::Utf32BE, true), kNotParsed},
    {"Utf32Surrogate", Opml,
     Utf32(kUtf32Opml, QStringConverter::Utf32LE, false)
         .replace(QByteArray("\xE9\0\0\0", 4), QByteArray("\0\xD8\0\0", 4)),
     kNotParsed},
}), [](const auto& info) { return info.param.name; });

// A thousand uses of an entity of a thousand one-character entities: every node and every
// character of an expansion costs the document's budget, so about a third of it comes out.
TEST(EntityExpansionTest, NodesAndCharactersCostTheDocumentsBudget)
{
    const auto document = XmlDocument::parse("<!DOCTYPE r [<!ENTITY a 'x'><!ENTITY b '" + QByteArray("&a;").repeated(1000)
                                             + "'>]><r>" + QByteArray("<i>&b;</i>").repeated(1000) + "</r>");
    const qsizetype expanded = document->documentElement().textContent().size();
    EXPECT_GT(expanded, XmlDocument::kEntityExpansionBudget / 4);
    EXPECT_LT(expanded, XmlDocument::kEntityExpansionBudget * 2 / 5);
    // A text longer than what is left is left out whole.
    const QByteArray huge(XmlDocument::kEntityExpansionBudget, 'x');
    const auto hugeText = XmlDocument::parse("<!DOCTYPE r [<!ENTITY h '" + huge + "'>]><r>&h;</r>");
    EXPECT_EQ(hugeText->documentElement().textContent(), QString());
}

} // namespace
