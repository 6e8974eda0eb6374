#pragma once
// The Message Center's keys, feeds written into the test's store, and the store below a key as
// the registry editor would export it.

#include "StoreValues.h"
#include "messagecenter/FeedStore.h"
#include "registry/RegFileWriter.h"

namespace feedtest {

inline const QString kMessageCenter = mc::MessageCenterKey(false);
inline const QString kRss = mc::RssKey(false);
inline const QString kPolicyRss = mc::RssKey(true);

inline void PutFeed(reg::HKEY root, const QString& list, const QString& name, const QString& xmlUrl, reg::DWORD enable = 1)
{
    const QString path = list + QLatin1Char('\\') + name;
    PutString(root, path, QStringLiteral("htmlUrl"), QStringLiteral("http://page/") + name);
    PutString(root, path, QStringLiteral("xmlUrl"), xmlUrl);
    PutDword(root, path, QStringLiteral("Enable"), enable);
}

inline QString Export(const QString& path, reg::Root root = reg::Root::CurrentUser)
{
    QByteArray file;
    if (ExportRegFile(root, path, &file) != reg::ERROR_SUCCESS)
        return QStringLiteral("<missing>");
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// "name:Enable" per entry, a "!" after a kept one, blank-separated.
inline QString Describe(const QList<mc::FeedEntry>& entries)
{
    QStringList parts;
    for (const mc::FeedEntry& entry : entries)
        parts << QStringLiteral("%1:%2%3").arg(entry.feed.name).arg(entry.feed.Enable).arg(entry.keepStored ? "!" : "");
    return parts.join(QLatin1Char(' '));
}

} // namespace feedtest
