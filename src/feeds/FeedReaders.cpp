#include "FeedReaders.h"

#include "trace/Trace.h"

namespace mc {
namespace {

bool IsXmlSpace(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r';
}

// A child element's value. Feeds often indent their text, so white space around it is dropped.
QString ValueOf(const XmlNode& node, qsizetype maxUnits = RssEntry::kMaxText)
{
    const QString text = node.textContent();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsXmlSpace(text[begin]))
        ++begin;
    while (end > begin && IsXmlSpace(text[end - 1]))
        --end;
    return FieldText(text.sliced(begin, end - begin), maxUnits);
}

RssEntry ReadItem(const XmlNode& item)
{
    RssEntry entry;
    for (XmlNode child = item.firstChild(); !child.isNull(); child = child.nextSibling()) {
        // Any child node at all, white space included, marks an item with content.
        entry.kind = RssEntry::kItemWithContent;
        if (child.hasName("title"))
            entry.title = ValueOf(child);
        else if (child.hasName("link"))
            entry.link = ValueOf(child);
        else if (child.hasName("description"))
            entry.description = ValueOf(child, RssEntry::kMaxItemDescription);
    }
    return entry;
}

// A later "title" or "link" overwrites an earlier one; other names are skipped.
void ReadChannelField(const XmlNode& child, QString& channelTitle, QString& channelLink)
{
    if (child.hasName("title"))
        channelTitle = ValueOf(child);
    else if (child.hasName("link"))
        channelLink = ValueOf(child);
}

// The outline attributes kept, in the entry's fields; "title" and "text" both give the title, so
// the later of the two wins.
struct OutlineField {
    std::string_view name;
    QString RssEntry::*member;
    const char* label; // for the trace
};

constexpr OutlineField kOutlineFields[] = {
    {"title", &RssEntry::title, "title"},
    {"text", &RssEntry::title, "title(text)"},
    {"xmlUrl", &RssEntry::link, "xmlUrl"},
    {"htmlUrl", &RssEntry::htmlUrl, "htmlUrl"},
    {"description", &RssEntry::description, "description"},
};

} // namespace

void ParseRssDocument(const XmlNode& documentElement, RssEntryList& items, QString& channelTitle,
                      QString& channelLink)
{
    items.clear();
    channelTitle.clear();
    channelLink.clear();
    if (!documentElement.isElement())
        return;

    if (documentElement.hasName("rdf:RDF")) {
        // RSS 1.0: the items are siblings of the channel.
        for (XmlNode child = documentElement.firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (!child.isElement())
                continue;
            if (child.hasName("item")) {
                items.append(ReadItem(child));
            } else if (child.hasName("channel")) {
                for (XmlNode field = child.firstChild(); !field.isNull(); field = field.nextSibling())
                    ReadChannelField(field, channelTitle, channelLink);
            }
        }
    } else if (documentElement.hasName("rss")) {
        for (XmlNode channel = documentElement.firstChild(); !channel.isNull(); channel = channel.nextSibling()) {
            if (!channel.isElement() || !channel.hasName("channel"))
                continue;
            for (XmlNode child = channel.firstChild(); !child.isNull(); child = child.nextSibling()) {
                if (child.hasName("item"))
                    items.append(ReadItem(child));
                else
                    ReadChannelField(child, channelTitle, channelLink);
            }
        }
    }
}

void ParseOPML(const XmlNode& documentElement, RssEntryList& entries)
{
    TRACE("ParseOPML Entering...");
    entries.clear();
    if (documentElement.isElement() && documentElement.hasName("opml"))
        ParseOutlineElements(documentElement, entries);
    TRACE("ParseOPML Exiting...");
}

qsizetype ParseOutlineElements(const XmlNode& node, RssEntryList& entries)
{
    if (node.isElement() && node.hasName("outline")) {
        RssEntry entry;
        bool isRss = false;
        // Only the values of the attributes read are converted.
        for (XmlAttributeRef attribute = node.firstAttribute(); !attribute.isNull(); attribute = attribute.next()) {
            if (attribute.hasName("type")) {
                if (attribute.value() == u"rss")
                    isRss = true;
                continue;
            }
            for (const OutlineField& field : kOutlineFields) {
                if (!attribute.hasName(field.name))
                    continue;
                const QString value = attribute.value();
                TRACE("ParseOutlineElements : %s %s", field.label, qPrintable(value));
                entry.*field.member = FieldText(value);
                break;
            }
        }
        if (isRss && !entry.title.isEmpty() && !entry.link.isEmpty())
            entries.append(std::move(entry));
    }

    qsizetype visited = 1;
    for (XmlNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
        visited += ParseOutlineElements(child, entries);
    return visited;
}

} // namespace mc
