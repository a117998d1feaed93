#include "core/feeds/feed_parser.h"

#include "core/util/feed_date.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsUtf8Name(const std::string& name) {
    std::string lower = ToLowerAscii(name);
    return lower == "utf-8" || lower == "utf8";
}

bool IsUtf16Name(const std::string& name) {
    return StartsWith(ToLowerAscii(name), "utf-16") || StartsWith(ToLowerAscii(name), "ucs");
}

// Two-byte encodings are left to the XML parser, which knows them by their byte order mark or
// the pattern of the first bytes.
bool LooksUtf16(std::string_view bytes) {
    if (bytes.size() < 2) {
        return false;
    }
    auto b0 = static_cast<unsigned char>(bytes[0]);
    auto b1 = static_cast<unsigned char>(bytes[1]);
    return (b0 == 0xFE && b1 == 0xFF) || (b0 == 0xFF && b1 == 0xFE) || (b0 == '<' && b1 == 0) ||
           (b0 == 0 && b1 == '<');
}

// Finds the value of `encoding="..."` in the XML declaration; [begin, end) within `bytes`.
bool FindDeclaredEncoding(std::string_view bytes, size_t& begin, size_t& end) {
    size_t at = StartsWith(bytes, kUtf8Bom) ? kUtf8Bom.size() : 0;
    if (bytes.substr(at, 5) != "<?xml" || at + 5 >= bytes.size() || !IsBlank(bytes[at + 5])) {
        return false;
    }
    size_t close = bytes.find("?>", at);
    if (close == std::string_view::npos) {
        return false;
    }
    std::string_view decl = bytes.substr(0, close);
    size_t key = decl.find("encoding", at);
    if (key == std::string_view::npos) {
        return false;
    }
    size_t pos = key + 8;
    while (pos < decl.size() && IsBlank(decl[pos])) {
        ++pos;
    }
    if (pos >= decl.size() || decl[pos] != '=') {
        return false;
    }
    ++pos;
    while (pos < decl.size() && IsBlank(decl[pos])) {
        ++pos;
    }
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\'')) {
        return false;
    }
    char quote = decl[pos];
    size_t valueEnd = decl.find(quote, pos + 1);
    if (valueEnd == std::string_view::npos) {
        return false;
    }
    begin = pos + 1;
    end = valueEnd;
    return true;
}

bool LooksLikeHtml(std::string_view bytes) {
    std::string head = ToLowerAscii(bytes.substr(0, 1024));
    for (const char* mark : {"<!doctype html", "<html", "<head>", "<body"}) {
        if (head.find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

constexpr const char* kDcNamespace = "http://purl.org/dc/elements/1.1/";

// The first child element of each name an item is read from: what the paths "link", "title",
// "pubDate", "dc:date", "author" and "description" select below the item, found in one pass
// over its children instead of six path evaluations. Unprefixed names match elements in no
// namespace only, as in a path; `dc:date` is the date element of the Dublin Core namespace.
struct ItemFields {
    XmlNode link, title, pubDate, dcDate, author, description;
};

ItemFields FindItemFields(const XmlNode& item) {
    ItemFields fields;
    auto take = [](XmlNode& slot, const XmlNode& child) {
        if (!slot) {
            slot = child;
        }
    };
    for (XmlNode child = item.FirstChild(); child; child = child.NextSibling()) {
        if (child.IsElement("link")) {
            take(fields.link, child);
        } else if (child.IsElement("title")) {
            take(fields.title, child);
        } else if (child.IsElement("pubDate")) {
            take(fields.pubDate, child);
        } else if (child.IsElement("author")) {
            take(fields.author, child);
        } else if (child.IsElement("description")) {
            take(fields.description, child);
        } else if (child.IsElement("date", kDcNamespace)) {
            take(fields.dcDate, child);
        }
    }
    return fields;
}

}  // namespace

std::string DeclaredXmlEncoding(std::string_view bytes) {
    size_t begin = 0;
    size_t end = 0;
    if (!FindDeclaredEncoding(bytes, begin, end)) {
        return {};
    }
    return std::string(bytes.substr(begin, end - begin));
}

FeedParseError LoadFeedDocument(std::string_view bytes, const std::string& httpCharset,
                                CXmlDocument& doc, std::string& error) {
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        error = "the answer is empty";
        return FeedParseError::Empty;
    }
    std::string converted;
    std::string_view input = bytes;
    bool utf8Input = true;
    if (LooksUtf16(bytes)) {
        utf8Input = false;
    } else {
        size_t begin = 0;
        size_t end = 0;
        bool declared = FindDeclaredEncoding(bytes, begin, end);
        std::string from = declared ? std::string(bytes.substr(begin, end - begin)) : httpCharset;
        if (from.empty() && !IsWellFormedUtf8(bytes)) {
            // Nobody named the encoding and the bytes are not UTF-8: read as UTF-8 every
            // accented letter would become U+FFFD, so let the detector name it.
            from = DetectEncoding(bytes);
        }
        if (!from.empty() && IsUtf16Name(from)) {
            utf8Input = false;
        } else if (!from.empty() && !IsUtf8Name(from)) {
            // Converted here rather than by the parser so that a byte the encoding cannot carry
            // spoils one character, not the whole feed.
            size_t bom = StartsWith(bytes, kUtf8Bom) ? kUtf8Bom.size() : 0;
            if (ConvertEncoding(bytes.substr(bom), from, "UTF-8", converted)) {
                if (declared) {
                    // The declaration is ASCII in every such encoding, so it kept its place.
                    converted.replace(begin - bom, end - begin, "UTF-8");
                }
                input = converted;
            } else {
                utf8Input = false;  // an encoding we do not know: let the parser try its own
            }
        }
    }
    if (!doc.LoadMemory(input)) {
        std::string parseError = doc.LastError();
        // A stray broken sequence or control character makes the whole document ill-formed;
        // read the feed without them rather than lose every item.
        std::string clean = utf8Input ? SanitizeXmlText(input) : std::string();
        if (clean.empty() || clean == input || !doc.LoadMemory(clean)) {
            if (LooksLikeHtml(bytes)) {
                error = "the answer is an HTML page, not a feed";
                return FeedParseError::Html;
            }
            error = "the answer is not well-formed XML: " + parseError;
            return FeedParseError::NotXml;
        }
    }
    if (EqualsIgnoreCaseAscii(doc.Root().Name(), "html")) {
        error = "the answer is an HTML page, not a feed";
        return FeedParseError::Html;
    }
    error.clear();
    return FeedParseError::None;
}

size_t ReadFeedItems(const CXmlDocument& doc, std::vector<RssItem>& items) {
    size_t count = 0;
    // One selection of all items in document order stands for the walk over item[0], item[1],
    // ...: both visit the same elements in the same order.
    for (const XmlNode& item : doc.SelectNodes("/rss/channel/item")) {
        ItemFields fields = FindItemFields(item);
        if (!fields.link) {
            break;
        }
        RssItem out;
        out.link = Trim(fields.link.Text());
        out.title = Trim(fields.title.Text());
        out.date = Trim((fields.pubDate ? fields.pubDate : fields.dcDate).Text());
        out.author = Trim(fields.author.Text());
        out.description = Trim(fields.description.Text());
        NormaliseFeedDate(out.date);
        CapItemFields(out);
        items.push_back(std::move(out));
        ++count;
    }
    return count;
}

std::string DescribeMissingItems(const CXmlDocument& doc) {
    std::string root = doc.Root().Name();
    if (root != "rss") {
        return "not an RSS 2.0 feed (root element <" + root + ">)";
    }
    return doc.SelectNode("/rss/channel/item") ? "the first item of the feed has no link"
                                               : "the feed lists no items";
}

std::string ReadChannelTitle(const CXmlDocument& doc) {
    XmlNode title = doc.SelectNode("/rss/channel/title");
    return title ? Trim(title.Text()) : std::string();
}

FeedParseError ParseFeedItems(std::string_view bytes, const std::string& httpCharset,
                              std::vector<RssItem>& items, std::string& error) {
    CXmlDocument doc;
    FeedParseError result = LoadFeedDocument(bytes, httpCharset, doc, error);
    if (result != FeedParseError::None) {
        return result;
    }
    if (ReadFeedItems(doc, items) == 0) {
        error = DescribeMissingItems(doc);
        return FeedParseError::NoItems;
    }
    return FeedParseError::None;
}

}  // namespace zirvo
