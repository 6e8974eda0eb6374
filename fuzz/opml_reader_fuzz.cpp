// Any bytes must parse and read without crashing, hanging or leaking, strictly as the feed check
// reads and recovering as the import reads, and every outline the OPML reader keeps must be a
// usable feed that fits the fields of the feed list.

#include "feeds/FeedReaders.h"

#include "FuzzCheck.h"

#include <cstdint>

using namespace mc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const XmlDocument::Mode mode : {XmlDocument::Mode::Strict, XmlDocument::Mode::Recover}) {
        const auto document = XmlDocument::parse(QByteArrayView(data, qsizetype(size)), mode);
        const XmlNode root = document->documentElement();
        Check(root.isNull() != document->errorReason().isEmpty());

        RssEntryList entries;
        ParseOPML(root, entries);
        Check(entries.isEmpty() || root.hasName("opml"));
        for (const RssEntry& entry : entries) {
            Check(entry.kind == 0 && !entry.title.isEmpty() && !entry.link.isEmpty());
            Check(entry.title.size() <= RssEntry::kMaxText && entry.link.size() <= RssEntry::kMaxText);
            Check(entry.description.size() <= RssEntry::kMaxText && entry.htmlUrl.size() <= RssEntry::kMaxText);
        }
    }
    return 0;
}
