// Any bytes must parse and read without crashing, hanging or leaking, and what the feed reader
// finds must fit the fields of the feed list.

#include "feeds/FeedReaders.h"

#include "FuzzCheck.h"

#include <cstdint>

using namespace mc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto document = XmlDocument::parse(QByteArrayView(data, qsizetype(size)));
    const XmlNode root = document->documentElement();
    Check(root.isNull() != document->errorReason().isEmpty());

    RssEntryList items;
    QString title, link;
    ParseRssDocument(root, items, title, link);
    Check(title.size() <= RssEntry::kMaxText && link.size() <= RssEntry::kMaxText);
    for (const RssEntry& item : items) {
        Check(item.kind == 0 || item.kind == RssEntry::kItemWithContent);
        Check(item.title.size() <= RssEntry::kMaxText && item.link.size() <= RssEntry::kMaxText);
        Check(item.description.size() <= RssEntry::kMaxItemDescription && item.htmlUrl.isEmpty());
    }
    // Whatever entity budget the reader left, the whole text stays within it plus the document's own.
    Check(root.textContent().toUtf8().size() <= qsizetype(size) * 3 + XmlDocument::kEntityExpansionBudget);
    return 0;
}
