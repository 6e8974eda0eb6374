#pragma once
// The Message Center's keys, feeds written into the test's store, and how tests show them.

#include "StoreValues.h"
#include "messagecenter/FeedStore.h"

namespace feedtest {

inline const QString kMessageCenter = mc::MessageCenterKey(false);
inline const QString kRss = mc::RssKey(false);

inline void PutFeed(reg::HKEY root, const QString& list, const QString& name, const QString& xmlUrl, reg::DWORD enable = 1)
{
    PutString(root, list + '\\' + name, "htmlUrl", "http://page/" + name);
    PutString(root, list + '\\' + name, "xmlUrl", xmlUrl);
    PutDword(root, list + '\\' + name, "Enable", enable);
}

inline QString Export(const QString& path) { return ExportText(reg::Root::CurrentUser, path); }

// "name:Enable" per entry, with "!" after one kept as stored.
inline std::string Describe(const QList<mc::FeedEntry>& entries)
{
    QStringList parts;
    for (const mc::FeedEntry& entry : entries)
        parts << QStringLiteral("%1:%2%3").arg(entry.feed.name).arg(entry.feed.Enable).arg(entry.keepStored ? "!" : "");
    return parts.join(' ').toStdString();
}

} // namespace feedtest
