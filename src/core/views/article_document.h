#pragma once
// The display documents of the article page, written below the data root's Data/RssSkin/:
//
//   tempRss.xml      one item:  <?xml ...?><?xml-stylesheet type="text/xsl" href="SKIN.xsl"?>
//                    <rss><channel><item><link/><title/><author/><pubDate/><description/>
//                    <enclosure url="" type="" length=""/>...</item></channel></rss>
//                    (one enclosure element per attachment of the item, none without)
//   tempRssList.xml  a list page: the same header, then one <item> per row with link, title,
//                    pubDate and description (no author), in list order.
//
// Each document is one line without white space between its parts. Texts go into CDATA
// sections as they are stored; the date is written as element text. The documents declare the
// encoding they are written in (UTF-8).
//
// NOTE: feed texts are hostile. A "]]>" inside a text would end its CDATA section early and let
// the feed write markup of its own into the document, and characters that XML forbids (most
// control characters, broken UTF-8) would make the whole document unreadable. Both are defused
// here: "]]>" is split across two sections and forbidden characters are dropped, so every item
// yields a well-formed document that says exactly what the store holds.
//
// Threading: pure functions; any thread.

#include <string>
#include <vector>

#include "core/feeds/rss_item.h"

namespace zirvo {

inline constexpr const char* kSkinFolder = "Data/RssSkin";
inline constexpr const char* kItemDocumentName = "tempRss.xml";
inline constexpr const char* kPageDocumentName = "tempRssList.xml";
inline constexpr const char* kDefaultSkinName = "默认";
// The key below /app/ of config/appConfig.xml that holds the chosen skin.
inline constexpr const char* kArticleStyleKey = "rss/articlestyle";

// The text as a CDATA section (or several, when it holds "]]>"), without forbidden characters.
std::string CdataSection(const std::string& text);
// Drops what XML 1.0 does not allow in a document (control characters other than tab, line
// feed and carriage return); bytes that are not UTF-8 become U+FFFD.
std::string XmlSafeText(const std::string& text);

// The declaration and the style-sheet instruction every display document starts with: the
// skin's name is written so that no quote or markup in it can leave the instruction.
std::string DocumentHead(const std::string& skinName);

std::string BuildItemDocument(const RssItem& item, const std::string& skinName);

// The list page holds a whole page of items; feeds with megabytes per item would make it a
// document of hundreds of megabytes that no window can show. Each description is cut (never
// inside a tag, with a note after it), and once the document reaches the total, the remaining
// items keep their link, title and date but no description.
struct PageDocumentLimits {
    size_t maxDescriptionBytes = 128u << 10;
    size_t maxTotalBytes = 4u << 20;
};
inline constexpr const char* kCutDescriptionNote =
    "<p class=\"zirvo-cut\">(正文过长, 此处只显示开头部分)</p>";
std::string BuildPageDocument(const std::vector<RssItem>& items, const std::string& skinName,
                              const PageDocumentLimits& limits = {});

// Writes a document (whole file, created or replaced). False with `error` set on failure.
bool WriteArticleDocument(const std::string& path, const std::string& document, std::string& error);
// The same, but a file that already holds exactly `document` is left alone (`written` false).
bool WriteArticleDocumentIfChanged(const std::string& path, const std::string& document,
                                   std::string& error, bool* written = nullptr);

// Every rendered document carries this policy: pictures from http and https only (none at all
// when `remotePictures` is off), and no scripts, frames, objects, fonts, media, forms or base.
std::string ContentSecurityPolicy(bool remotePictures);
// `html` with every frame start tag renamed ("<iframe" becomes "<zirvo-frame"): the policy's
// frame-src does not hold back an <iframe srcdoc>, which renders a document of its own (and
// fetches its pictures); renamed, the tag is an unknown element that the engine shows as text.
std::string DisableFrames(const std::string& html);
// `html` with the policy as its first element (after a doctype), where the HTML parser puts
// it into the head before anything of the skin or the item can act.
std::string WithContentSecurityPolicy(const std::string& html, bool remotePictures);

// The skins of a skin folder: names of its *.xsl files without the extension, sorted.
std::vector<std::string> ListSkins(const std::string& skinFolder);

}  // namespace zirvo
