#pragma once
// Reading RSS 2.0 answers. A feed is readable only as RSS 2.0: the items are the elements
// `/rss/channel/item[i]`, walked from the first (index 0) and up to, not including, the first
// item that has no `link` child, even when later items have one. Per item: `title`, `link`,
// `pubDate` (else `dc:date`), `author` and `description`, each the element's text with
// entities and CDATA resolved and surrounding blanks trimmed; the date is normalised with
// NormaliseFeedDate (an item without a date gets the time of reading). Item id, channel id and
// the new/read flags are left for the merge.
//
// Encodings: the bytes are read in the encoding the XML declaration names (GB2312 read as its
// superset GB18030, ISO-8859-1, windows-125x, ...); when the document declares none, the
// charset of the HTTP answer applies, else UTF-8 when the bytes are valid UTF-8, else the
// encoding a character-set detector finds (windows-1252 when it finds none). Bytes that the
// encoding cannot carry become U+FFFD instead of failing the whole feed. Every text handed out
// is UTF-8, and each field is cut to the limits of rss_item.h.
//
// Threading: pure functions; any thread.

#include <string>
#include <string_view>
#include <vector>

#include "core/feeds/rss_item.h"
#include "core/util/xml_document.h"

namespace zirvo {

enum class FeedParseError {
    None,
    Empty,    // no bytes, or only blanks
    NotXml,   // not a well-formed XML document
    Html,     // an HTML page instead of a feed
    NoItems,  // XML, but no RSS 2.0 item with a link (Atom, RSS 1.0, a first item without link)
};

// Loads the answer into `doc` under the rules above. False with `error` set when the bytes are
// empty or not XML.
FeedParseError LoadFeedDocument(std::string_view bytes, const std::string& httpCharset,
                                CXmlDocument& doc, std::string& error);

// The item walk over a loaded document; appends to `items`. Returns the number appended.
size_t ReadFeedItems(const CXmlDocument& doc, std::vector<RssItem>& items);

// Why a loaded document yielded no items, as a readable sentence.
std::string DescribeMissingItems(const CXmlDocument& doc);

// The text of `/rss/channel/title`, trimmed; empty when there is none.
std::string ReadChannelTitle(const CXmlDocument& doc);

// LoadFeedDocument + ReadFeedItems. None when at least one item was read.
FeedParseError ParseFeedItems(std::string_view bytes, const std::string& httpCharset,
                              std::vector<RssItem>& items, std::string& error);

// The encoding named by the XML declaration at the start of `bytes` (after a UTF-8 byte order
// mark), as written; empty when there is no declaration or it names none.
std::string DeclaredXmlEncoding(std::string_view bytes);

}  // namespace zirvo
