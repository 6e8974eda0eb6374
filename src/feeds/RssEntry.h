#pragma once
// What the feed and OPML readers find: one record per feed item or per feed of an OPML file.

#include <QList>
#include <QString>
#include <QStringView>

namespace mc {

struct RssEntry {
    // Field sizes in UTF-16 units, as the feed list and its store keep them.
    static constexpr qsizetype kMaxText = 259;
    static constexpr qsizetype kMaxItemDescription = 25999;

    // An item with at least one child node is kind 4, anything else 0.
    static constexpr qint32 kItemWithContent = 4;

    qint32 kind = 0;
    QString title;
    QString link;
    QString description;
    QString htmlUrl;   // OPML only
};

// In document order; a reader clears its list before filling it.
using RssEntryList = QList<RssEntry>;

// The text as a field keeps it: its first maxUnits UTF-16 units, even when that splits a surrogate pair.
inline QString FieldText(QString text, qsizetype maxUnits = RssEntry::kMaxText)
{
    text.truncate(maxUnits);
    return text;
}

} // namespace mc
