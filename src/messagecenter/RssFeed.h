#pragma once
// A subscribed feed, and the rules a feed's texts meet before the list takes it: the field
// limits, the URL syntax test and whether a name can name its key in the store.

#include "registry/RegTypes.h"

#include <QString>

struct RssFeed {
    QString name;
    QString htmlUrl;
    QString xmlUrl;
    reg::DWORD Enable = 0;

    bool operator==(const RssFeed&) const = default;
};

namespace mc {

// What the feed editor takes per field, and what a URL read from the store may hold.
constexpr qsizetype kMaxFeedText = 259;
constexpr qsizetype kMaxStoredUrl = 519;

// A URL of a scheme a feed can come from: http, https, ftp, file or feed, with something after
// the colon; text without a scheme is none.
bool IsFeedUrl(const QString& text);
// The address the loader fetches: a feed: URL names the web address it wraps.
QString LoadAddress(const QString& xmlUrl);
// The name becomes the feed's key below the RSS key: one key name of the store, never a path, and
// without control characters.
bool FeedNameFits(const QString& name);

} // namespace mc
