#include "messagecenter/FeedReaders.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStringEncoder>

using namespace mc;

namespace {

// Ten times the previous entity, nine levels deep: 3 * 10^9 characters from under 1 KB.
QByteArray BillionLaughs(const QByteArray& body)
{
    QByteArray dtd = "<!DOCTYPE rss [<!ENTITY lol0 'lol'>";
    for (int level = 1; level <= 9; ++level)
        dtd += "<!ENTITY lol" + QByteArray::number(level) + " '"
            + ("&lol" + QByteArray::number(level - 1) + ";").repeated(10) + "'>";
    return dtd + "]>" + body;
}

const QString kFeed =
    QStringLiteral("<?xml version='1.0' encoding='%1'?><rss><channel><title>\u03A9 \u20AC \U0001F600</title></channel></rss>");

QByteArray Encoded(QStringEncoder::Encoding encoding, const char* declared)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder.encode(kFeed.arg(QLatin1String(declared)));
}

// The file holds the marker; the DTD declares &secret; as the marker.
#define SECRET_URL "file://" QSCUST_TEST_DATA "/feeds/secret"

struct HostileCase {
    std::string name;
    QByteArray document;
    const char* root;    // nullptr: no document element
    std::string title;   // the channel title read from it
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostileInputTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, ParsesSafely)
{
    const HostileCase& c = GetParam();
    const auto document = XmlDocument::parse(c.document);
    const XmlNode root = document->documentElement();
    ASSERT_EQ(root.isNull(), !c.root) << document->errorReason().toStdString();
    EXPECT_EQ(document->errorReason().isEmpty(), !root.isNull());
    if (root.isNull())
        return;
    EXPECT_EQ(root.name().toStdString(), c.root);
    RssEntryList items;
    QString title, link;
    ParseRssDocument(root, items, title, link);
    EXPECT_EQ(title.toStdString(), c.title);
    EXPECT_FALSE(root.textContent().contains(u"SECRET-MARKER"));
}

std::string CaseName(const testing::TestParamInfo<HostileCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Documents, HostileInputTest, testing::ValuesIn(std::vector<HostileCase>{
    {"BillionLaughsInText", BillionLaughs("<rss><channel><title>&lol9;</title></channel></rss>"), nullptr, ""},
    {"BillionLaughsInAttribute", BillionLaughs("<rss version='&lol9;'/>"), nullptr, ""},
    {"DeeplyNested", QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000), nullptr, ""},
    {"InvalidUtf8", "<rss><channel><title>a\xFF\xFE b</title></channel></rss>", nullptr, ""},
    {"WhiteSpaceBeforeDeclaration", " <?xml version='1.0'?><rss/>", nullptr, ""},
    {"DeclaredLatin1", "<?xml version='1.0' encoding='ISO-8859-1'?><rss><channel><title>Caf\xE9</title></channel></rss>",
     "rss", "Caf\xC3\xA9"},
    {"Utf8Bom", Encoded(QStringEncoder::Utf8, "UTF-8"), "rss", "\u03A9 \u20AC \U0001F600"},
    {"Utf16LittleEndianBom", Encoded(QStringEncoder::Utf16LE, "UTF-16"), "rss", "\u03A9 \u20AC \U0001F600"},
    {"Utf16BigEndianBom", Encoded(QStringEncoder::Utf16BE, "UTF-16"), "rss", "\u03A9 \u20AC \U0001F600"},
    {"ExternalEntity",
     "<!DOCTYPE rss [<!ENTITY x SYSTEM '" SECRET_URL ".txt'>]><rss><channel><title>a&x;b</title></channel></rss>", "rss",
     "ab"},
    {"ExternalParameterEntity",
     "<!DOCTYPE rss [<!ENTITY % x SYSTEM '" SECRET_URL ".dtd'> %x;]><rss><channel><title>&secret;</title></channel></rss>",
     nullptr, ""},
    {"ExternalSubset", "<!DOCTYPE rss SYSTEM '" SECRET_URL ".dtd'><rss><channel><title>&secret;</title></channel></rss>",
     "rss", ""},
    {"XInclude",
     "<rss xmlns:xi='http://www.w3.org/2001/XInclude'><channel><title><xi:include href='" SECRET_URL
     ".txt' parse='text'/></title></channel></rss>",
     "rss", ""},
}), CaseName);

// An entity of 1,000 characters used 100 times in another, that one 10 times in each of 2,000
// items: 2 GB of text from a 120 KB document.
QByteArray QuadraticBlowup(const QByteArray& open, const QByteArray& item, const QByteArray& close)
{
    return "<!DOCTYPE r [<!ENTITY a '" + QByteArray(1000, 'x') + "'><!ENTITY b '" + QByteArray("&a;").repeated(100)
        + "'>]>" + open + item.repeated(2000) + close;
}

TEST(EntityExpansionTest, StopsAtTheDocumentsBudget)
{
    QElapsedTimer timer;
    timer.start();
    const auto rss = XmlDocument::parse(
        QuadraticBlowup("<rss><channel>", "<item><title>" + QByteArray("&b;").repeated(10) + "</title></item>",
                        "</channel></rss>"));
    RssEntryList items;
    QString title, link;
    ParseRssDocument(rss->documentElement(), items, title, link);
    ASSERT_EQ(items.size(), 2000);
    EXPECT_EQ(items.front().title, QString(RssEntry::kMaxText, u'x'));
    EXPECT_EQ(items.back().title, QString());
    EXPECT_LE(rss->documentElement().textContent().size(), XmlDocument::kEntityExpansionBudget);
    EXPECT_LT(timer.elapsed(), 2000);

    // In attribute values libxml2 refuses such amplification itself.
    const auto opml =
        XmlDocument::parse(QuadraticBlowup("<opml>", "<outline type='rss' text='&b;' xmlUrl='u'/>", "</opml>"));
    EXPECT_TRUE(opml->documentElement().isNull());
}

} // namespace
