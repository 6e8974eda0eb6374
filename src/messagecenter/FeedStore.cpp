#include "messagecenter/FeedStore.h"

#include "registry/RegValues.h"
#include "registry/Transaction.h"
#include "settings/Settings.h"
#include "trace/Trace.h"

#include <QCollator>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>
#include <optional>

namespace mc {

using namespace reg;

namespace {

const QString kXmlUrl = QStringLiteral("xmlUrl");
const QString kHtmlUrl = QStringLiteral("htmlUrl");
const QString kEnable = QStringLiteral("Enable");
const QString kEnableRss = QStringLiteral("EnableRSS");
// A URL value is read into 1040 bytes with its terminator.
constexpr int kUrlBufferUnits = int(kMaxStoredUrl) + 1;

// Empty when missing; *whole turns false when the value is there but could not be read whole.
std::optional<FeedEntry> ReadFeed(HKEY parent, const QString& name)
{
    FeedEntry entry;
    entry.feed.name = name;
    Key key;
    const LSTATUS opened = RegOpenKeyEx(parent, name, KEY_READ, key.put());
    if (opened == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    bool whole = opened == ERROR_SUCCESS;
    if (whole) {
        entry.feed.htmlUrl = ReadRecordText(key, kHtmlUrl, kUrlBufferUnits, &whole);
        entry.feed.xmlUrl = ReadRecordText(key, kXmlUrl, kUrlBufferUnits, &whole);
        DWORD enable = 0;
        const LSTATUS status = QueryDword(key, kEnable, &enable);
        // A value longer than 4 bytes reads as missing, as any DWORD of the store does.
        whole = whole && !settings::IsReadFailure(status);
        entry.feed.Enable = status == ERROR_SUCCESS ? enable : 0;
    }
    entry.keepStored = !whole;
    if (!entry.keepStored && (name.isEmpty() || entry.feed.xmlUrl.isEmpty()))
        return std::nullopt;
    return entry;
}

// An imported feed the working copy takes: its name can name a key and it has a feed URL.
bool Importable(const RssFeed& feed) { return FeedNameFits(feed.name) && !feed.xmlUrl.isEmpty(); }

// One feed as a subkey of the list's key: the page's URL (even when empty), the feed's, the tick.
bool WriteFeed(HKEY list, const RssFeed& feed, Root saveRoot, app::PageSave& save)
{
    Key key;
    if (!save.Run(saveRoot, [&] { return RegCreateKeyEx(list, feed.name, KEY_READ | KEY_WRITE, key.put()); }))
        return false;
    save.Run(saveRoot, [&] { return SetString(key, kHtmlUrl, feed.htmlUrl); });
    save.Run(saveRoot, [&] { return SetString(key, kXmlUrl, feed.xmlUrl); });
    return save.Run(saveRoot, [&] { return SetDword(key, kEnable, feed.Enable); });
}

} // namespace

QString MessageCenterKey(bool managed)
{
    return managed ? settings::PolicyDataKey(settings::Area::MessageCenter)
                   : settings::UserDataKey(settings::Area::MessageCenter);
}

QString RssKey(bool managed) { return MessageCenterKey(managed) + QStringLiteral("\\RSS"); }

QString RssTempKey() { return MessageCenterKey(false) + QStringLiteral("\\RSSTEMP"); }

FeedListLoad LoadFeedList(HKEY root, const QString& keyPath)
{
    FeedListLoad load;
    Key key;
    const LSTATUS opened = RegOpenKeyEx(root, keyPath, KEY_READ, key.put());
    if (opened != ERROR_SUCCESS) {
        load.complete = opened == ERROR_FILE_NOT_FOUND;
        return load;
    }
    // The user's feeds are read in one transaction, which spares the store a lock of its file per
    // read; it writes nothing and ends rolled back. The machine's root is only ever read.
    std::optional<Transaction> reading;
    if (root == HKEY_CURRENT_USER)
        reading.emplace(Root::CurrentUser);
    QString name;
    LSTATUS status = ERROR_SUCCESS;
    for (DWORD index = 0; (status = RegEnumKeyEx(key, index, &name)) == ERROR_SUCCESS; ++index) {
        if (std::optional<FeedEntry> entry = ReadFeed(key, name))
            load.entries.append(std::move(*entry));
    }
    load.complete = status == ERROR_NO_MORE_ITEMS;
    TRACE("LoadFeedList : %lld feeds", qlonglong(load.entries.size()));
    SortFeeds(load.entries);
    return load;
}

QList<qsizetype> SortedOrder(const QList<FeedEntry>& entries)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    // Each name's key is made once: comparing keys is far cheaper than comparing names.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    QList<qsizetype> order(entries.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        order[i] = i;
        keys.push_back(collator.sortKey(entries.at(i).feed.name));
    }
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

void SortFeeds(QList<FeedEntry>& entries)
{
    QList<FeedEntry> sorted;
    sorted.reserve(entries.size());
    for (const qsizetype from : SortedOrder(entries))
        sorted.append(std::move(entries[from]));
    entries = std::move(sorted);
}

void SaveFeedList(HKEY root, const QString& keyPath, const QList<FeedEntry>& entries, app::PageSave& save)
{
    const Root saveRoot = root == HKEY_LOCAL_MACHINE ? Root::LocalMachine : Root::CurrentUser;
    if (!save.Begin(saveRoot))
        return;
    // Each feed's key is made from one open handle of the list's key.
    Key list;
    if (!save.Run(saveRoot, [&] { return RegCreateKeyEx(root, keyPath, KEY_READ | KEY_WRITE, list.put()); }))
        return;
    for (const FeedEntry& entry : entries) {
        const RssFeed& feed = entry.feed;
        // A name that cannot name a key never enters the list; one kept as stored is there already.
        if (entry.keepStored || !FeedNameFits(feed.name))
            continue;
        if (!WriteFeed(list, feed, saveRoot, save))
            return;
    }
}

void SaveFeeds(const QList<FeedEntry>& entries, bool complete, bool displayRss, app::PageSave& save)
{
    if (!save.Begin(Root::CurrentUser))
        return;
    const auto run = [&save](auto write) { return save.Run(Root::CurrentUser, write); };
    const auto missingIsFine = [](LSTATUS status) { return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status; };

    Key rss;
    const LSTATUS rssOpened = RegOpenKeyEx(HKEY_CURRENT_USER, RssKey(false), KEY_ALL_ACCESS, rss.put());
    if (complete && rssOpened == ERROR_SUCCESS) {
        QSet<QString> kept;
        for (const FeedEntry& entry : entries) {
            if (entry.keepStored)
                kept.insert(entry.feed.name.toUpper());
        }
        QStringList stored;
        QString name;
        LSTATUS status = ERROR_SUCCESS;
        for (DWORD index = 0; (status = RegEnumKeyEx(rss, index, &name)) == ERROR_SUCCESS; ++index)
            stored.append(name);
        run([status] { return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status; });
        for (const QString& subKey : std::as_const(stored)) {
            if (!kept.contains(subKey.toUpper()))
                run([&] { return RegDeleteTree(rss, subKey); });
        }
    } else if (complete) {
        run([&] { return missingIsFine(rssOpened); });
    }

    Key messageCenter;
    const LSTATUS opened = RegOpenKeyEx(HKEY_CURRENT_USER, MessageCenterKey(false), KEY_ALL_ACCESS, messageCenter.put());
    if (opened == ERROR_SUCCESS)
        run([&] { return SetDword(messageCenter, kEnableRss, displayRss ? 1 : 0); });
    else
        run([&] { return missingIsFine(opened); });

    if (complete)
        SaveFeedList(HKEY_CURRENT_USER, RssKey(false), entries, save);
}

bool FillWorkingCopy(const QList<FeedEntry>& list, const std::function<bool(HKEY, app::PageSave&)>& fill)
{
    app::PageSave save;
    Key copy;
    // A save that is not committed rolls back as it goes.
    if (!save.Begin(Root::CurrentUser) || !save.Run(Root::CurrentUser, [] { return DeleteWorkingCopy(); }) ||
        !save.Run(Root::CurrentUser, [&] { return RegCreateKeyEx(HKEY_CURRENT_USER, RssTempKey(), KEY_ALL_ACCESS, copy.put()); }) ||
        !fill(copy, save))
        return false;
    SaveFeedList(HKEY_CURRENT_USER, RssTempKey(), list, save);
    return !save.Commit().Failed();
}

void WriteImportedFeed(HKEY workingCopy, const RssFeed& feed, app::PageSave& save)
{
    if (Importable(feed))
        WriteFeed(workingCopy, feed, Root::CurrentUser, save);
}

QList<FeedEntry> MergedFeeds(const QList<RssFeed>& imported, const QList<FeedEntry>& list)
{
    QList<FeedEntry> merged;
    QHash<QString, qsizetype> rows;
    const auto write = [&](const RssFeed& feed) {
        const QString key = feed.name.toUpper();
        if (const auto found = rows.constFind(key); found != rows.cend()) {
            RssFeed& stored = merged[*found].feed;
            stored = RssFeed{stored.name, feed.htmlUrl, feed.xmlUrl, feed.Enable};
        } else {
            rows.insert(key, merged.size());
            merged.append(FeedEntry{feed, false});
        }
    };
    for (const RssFeed& feed : imported) {
        if (Importable(feed))
            write(feed);
    }
    for (const FeedEntry& entry : list) {
        if (!entry.keepStored && FeedNameFits(entry.feed.name))
            write(entry.feed);
    }
    return merged;
}

void DeleteWorkingCopy(app::PageSave& save)
{
    if (save.Begin(Root::CurrentUser))
        save.Run(Root::CurrentUser, [] { return DeleteWorkingCopy(); });
}

LSTATUS DeleteWorkingCopy()
{
    const LSTATUS status = RegDeleteTree(HKEY_CURRENT_USER, RssTempKey());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace mc
