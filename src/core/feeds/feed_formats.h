#pragma once
// The readers of each feed format behind feed_parser.h. Each appends at most
// `options.maxItems` items in document order and returns how many it appended; every item
// leaves with its date normalised, its link and enclosure addresses resolved and inert unless
// web addresses, and its fields capped.
//
// Threading: pure functions; any thread.

#include <string>
#include <string_view>
#include <vector>

#include "core/feeds/feed_parser.h"

namespace zirvo {

inline constexpr char kAtomNamespace[] = "http://www.w3.org/2005/Atom";
inline constexpr char kAtom03Namespace[] = "http://purl.org/atom/ns#";
inline constexpr char kRdfNamespace[] = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
inline constexpr char kRss10Namespace[] = "http://purl.org/rss/1.0/";
inline constexpr char kRss090Namespace[] = "http://my.netscape.com/rdf/simple/0.9/";
inline constexpr char kDcNamespace[] = "http://purl.org/dc/elements/1.1/";
inline constexpr char kContentNamespace[] = "http://purl.org/rss/1.0/modules/content/";

// RSS 0.91, 0.92 and 2.0: `/rss/channel/item`, up to the first item without `link`.
size_t ReadRssItems(const CXmlDocument& doc, const FeedReadOptions& options,
                    std::vector<RssItem>& items);
FeedChannelInfo ReadRssChannel(const CXmlDocument& doc, const std::string& documentUrl);

// RSS 1.0 and 0.90 (RDF): `item` elements beside the `channel`, children of the root.
size_t ReadRdfItems(const CXmlDocument& doc, const FeedReadOptions& options,
                    std::vector<RssItem>& items);
FeedChannelInfo ReadRdfChannel(const CXmlDocument& doc, const std::string& documentUrl);

// Atom 1.0 (and the older 0.3): `entry` elements of the `feed`.
size_t ReadAtomItems(const CXmlDocument& doc, const FeedReadOptions& options,
                     std::vector<RssItem>& items);
FeedChannelInfo ReadAtomChannel(const CXmlDocument& doc, const std::string& documentUrl);

// JSON Feed 1.0 and 1.1.
FeedParseError ParseJsonFeed(std::string_view bytes, const FeedReadOptions& options,
                             ParsedFeed& out, std::string& error);

// Appends an enclosure unless the item holds kMaxItemEnclosures already or the address is not
// a web address (after resolution against `base`).
void AddEnclosure(RssItem& item, const std::string& base, std::string_view url,
                  std::string_view type, std::string_view length);

// The link an item is stored under: resolved against `base`, inert unless a web address.
std::string ItemLink(const std::string& base, std::string_view link);

// A channel's home page: resolved against `base`; empty unless a web address.
std::string HomePageLink(const std::string& base, std::string_view link);

// Date normalised, fields capped: the last step of every reader.
void FinishItem(RssItem& item);

}  // namespace zirvo
