#pragma once
// The two readers of loaded documents: a feed (RSS 0.9x, 1.0 and 2.0) for its channel title and
// link and its items, and an OPML file for the feeds it lists. Element and attribute names are
// compared exactly as written, case and prefix included.

#include "RssEntry.h"
#include "XmlDocument.h"

namespace mc {

// Clears all three, then fills them from an "rss" or "rdf:RDF" document element; any other
// document gives nothing.
void ParseRssDocument(const XmlNode& documentElement, RssEntryList& items, QString& channelTitle,
                      QString& channelLink);

// Clears the list, then fills it with every RSS outline of an "opml" document element.
void ParseOPML(const XmlNode& documentElement, RssEntryList& entries);

// Appends the RSS outlines at and below the node, in document order; returns the number of
// nodes visited.
qsizetype ParseOutlineElements(const XmlNode& node, RssEntryList& entries);

} // namespace mc
