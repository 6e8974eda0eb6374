#pragma once
// What a feed link dragged from a web browser or a file manager brings: the link with its title
// (text/x-moz-url, _NETSCAPE_URL), a list of URLs, plain text, or a link file (.url with
// [InternetShortcut] URL=, or a .desktop link), whose file name without its extension names it.

#include "messagecenter/RssFeed.h"

#include <optional>

class QMimeData;

namespace mc {

// The link files read are small; a larger file is not one.
constexpr qint64 kMaxLinkFileBytes = 64 * 1024;

// The feed to check, ticked, named by the title or link file when there is one, else by its URL;
// nothing when the data holds no feed URL.
std::optional<RssFeed> FeedFromDrop(const QMimeData& data);

} // namespace mc
