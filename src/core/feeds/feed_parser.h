#pragma once
// Reading feed answers: RSS 2.0, 0.92 and 0.91, RSS 1.0 and 0.90 (RDF), Atom 1.0 (and 0.3) and
// JSON Feed 1.0/1.1, all into the same items.
//
// RSS 2.0 (and 0.9x, which share its shape): the items are the elements `/rss/channel/item[i]`,
// walked from the first (index 0) and up to, not including, the first item that has no `link`
// child, even when later items have one. Per item: `title`, `link`, `pubDate` (else `dc:date`),
// `author` (else `dc:creator`) and `description` (replaced by `content:encoded` when that is
// longer, or when there is no description), each the element's text with entities and CDATA
// resolved and surrounding blanks trimmed; `enclosure` elements become the item's enclosures.
// A relative link is read against the channel's `link` (itself read against the document's
// address).
// RDF: `item` elements beside the `channel` (children of the root), with the same fields; an
// item without `link` is skipped.
// Atom: each `entry`; the link is the first `link rel="alternate"` (a link without rel is
// one), its `href` read against the xml:base chain and the document's address, else the
// entry's `id`; the date `published`, else `updated`; the description `content` (unless it
// points elsewhere with `src`), else `summary`, text constructs of type text escaped as HTML,
// html taken as it is, xhtml written out as markup without scripts (feed_markup.h); the title as
// plain text whatever its type; the author the `author/name`s of the entry, else of the feed;
// `link rel="enclosure"` the enclosures.
// JSON Feed: each of `items`; the link `url`, else `external_url`, else `id`; `content_html`,
// else `content_text`, else `summary`; `date_published`, else `date_modified`; `authors` (1.1)
// or `author` (1.0); `attachments` the enclosures.
// In every format: the date is normalised with NormaliseFeedDate (zones applied; an item
// without a date gets the time of reading); links that are not web addresses are stored inert
// (feed_links.h); enclosures that are not web addresses are dropped; every field is cut to the
// limits of rss_item.h; at most `maxItems` items are read, the first in document order (feeds
// list their newest first, and the merge takes the first as the newest).
// Item id, channel id and the new/read flags are left for the merge.
//
// Encodings: the bytes are read in the encoding the XML declaration names (GB2312 read as its
// superset GB18030, ISO-8859-1, windows-125x, ...); when the document declares none, the
// charset of the HTTP answer applies, else UTF-8 when the bytes are valid UTF-8, else the
// encoding a character-set detector finds (windows-1252 when it finds none). Bytes that the
// encoding cannot carry become U+FFFD instead of failing the whole feed. Every text handed out
// is UTF-8. JSON is UTF-8 by definition.
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
    Empty,     // no bytes, or only blanks
    NotXml,    // not a well-formed XML document
    Html,      // an HTML page instead of a feed
    NoItems,   // a document, but no item to store (an unknown format, a first RSS item without
               // link, a feed without entries)
    NotJson,   // starts like JSON but is not a well-formed JSON object, or nests too deep
    TooLarge,  // larger than kMaxFeedDocumentBytes
};

enum class FeedFormat { Unknown, Rss, Rdf, Atom, Json };

// "RSS", "RSS 1.0", "Atom", "JSON Feed" ("?" for Unknown).
const char* FeedFormatName(FeedFormat format);

// What a feed says about itself: its title (plain text) and its home page (a web address, or
// empty).
struct FeedChannelInfo {
    std::string title;
    std::string homePage;
};

// The most items read from one document by default (config: /app/rss/maxfeeditems).
inline constexpr size_t kDefaultMaxFeedItems = 10000;
// Documents are refused past this size, the size cap of an HTTP answer.
inline constexpr size_t kMaxFeedDocumentBytes = 32u * 1024 * 1024;

struct FeedReadOptions {
    std::string documentUrl;  // the address the document came from (after redirects); may be empty
    size_t maxItems = kDefaultMaxFeedItems;
};

struct ParsedFeed {
    FeedFormat format = FeedFormat::Unknown;
    FeedChannelInfo channel;
    std::vector<RssItem> items;
};

// Loads an XML answer into `doc` under the rules above. An error with `error` set when the
// bytes are empty or not XML.
FeedParseError LoadFeedDocument(std::string_view bytes, const std::string& httpCharset,
                                CXmlDocument& doc, std::string& error);

// The XML format of a loaded document, by its root element.
FeedFormat XmlFeedFormat(const CXmlDocument& doc);

// The item walk of the document's format; appends to `items`. Returns the number appended.
size_t ReadFeedItems(const CXmlDocument& doc, std::vector<RssItem>& items,
                     const FeedReadOptions& options = {});

// Why a loaded document yielded no items, as a readable sentence.
std::string DescribeMissingItems(const CXmlDocument& doc);

// Title and home page of a loaded document (`/rss/channel/title` and `link`, the RDF
// channel's, the Atom feed's `title` and alternate link).
FeedChannelInfo ReadChannelInfo(const CXmlDocument& doc, const std::string& documentUrl = "");
// Its title alone; empty when there is none.
std::string ReadChannelTitle(const CXmlDocument& doc);

// Whether the answer is JSON rather than XML (its first character after blanks and a byte
// order mark is "{").
bool LooksLikeJson(std::string_view bytes);

// Any format: the document, its channel and its items. None when at least one item was read;
// `out` keeps what was read (the channel of a feed without items) either way.
FeedParseError ParseFeed(std::string_view bytes, const std::string& httpCharset,
                         const FeedReadOptions& options, ParsedFeed& out, std::string& error);

// ParseFeed's items alone, with default options.
FeedParseError ParseFeedItems(std::string_view bytes, const std::string& httpCharset,
                              std::vector<RssItem>& items, std::string& error);

// The encoding named by the XML declaration at the start of `bytes` (after a UTF-8 byte order
// mark), as written; empty when there is no declaration or it names none.
std::string DeclaredXmlEncoding(std::string_view bytes);

}  // namespace zirvo
