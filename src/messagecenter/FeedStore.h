#pragma once
// Where the Message Center keeps its choice and its feeds, and how the feed list is read from and
// written to the store: plain functions of (root, key path, records) that need no window.

#include "messagecenter/RssFeed.h"
#include "registry/Registry.h"
#include "settings/PageSave.h"

#include <QList>

#include <functional>

namespace mc {

QString MessageCenterKey(bool managed);
QString RssKey(bool managed);
// The working copy of an import; always the user's.
QString RssTempKey();

struct FeedEntry {
    RssFeed feed;
    // A value of the feed's key could not be read, or is longer than a feed holds: the row is
    // shown as stored and the save leaves the key alone.
    bool keepStored = false;
};

struct FeedListLoad {
    QList<FeedEntry> entries;
    // False when the key's subkeys could not all be listed: saving would lose the ones not read.
    bool complete = true;
};

// One entry per feed subkey with a name and a feed URL (a missing "Enable" reads 0), sorted by
// name; no entries when the key is missing.
FeedListLoad LoadFeedList(reg::HKEY root, const QString& keyPath);
// Ascending by name in the user's locale, letter case counting; equal names keep their order.
void SortFeeds(QList<FeedEntry>& entries);
// The entries' positions in that order.
QList<qsizetype> SortedOrder(const QList<FeedEntry>& entries);
// Writes every entry that is not kept as stored as a subkey of the key, creating it as needed;
// nothing is deleted.
void SaveFeedList(reg::HKEY root, const QString& keyPath, const QList<FeedEntry>& entries, app::PageSave& save);
// The commit of OK: clears the RSS key but for the keys of feeds kept as stored, writes
// "EnableRSS" when the MessageCenter key exists, then the feeds; with complete false the stored
// feeds stay untouched. The caller saves only when the content may be saved.
void SaveFeeds(const QList<FeedEntry>& entries, bool complete, bool displayRss, app::PageSave& save);
// The import's working copy, in one transaction: cleared, filled by fill (given its open key and the
// save; false stops the import), then the list written over it, so that a feed of the list wins
// over an imported one of the same name. False when fill refused or a write failed: nothing of it
// is then left in the store.
bool FillWorkingCopy(const QList<FeedEntry>& list, const std::function<bool(reg::HKEY, app::PageSave&)>& fill);
// Writes one imported feed into the working copy as it is; a name that cannot name a key, or a feed
// without a feed URL, is left out.
void WriteImportedFeed(reg::HKEY workingCopy, const RssFeed& feed, app::PageSave& save);
// What a working copy filled with the imported feeds (WriteImportedFeed) and then the list holds,
// without reading it back: one feed per name, letter case aside, named as first written, with the
// values last written; entries kept as stored are not written.
QList<FeedEntry> MergedFeeds(const QList<RssFeed>& imported, const QList<FeedEntry>& list);
// Removes the import's working copy as part of a save.
void DeleteWorkingCopy(app::PageSave& save);
// The same on its own, for Cancel: a failure leaves a copy that nothing reads.
reg::LSTATUS DeleteWorkingCopy();

} // namespace mc
