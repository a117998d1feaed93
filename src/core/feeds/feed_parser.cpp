#include "core/feeds/feed_parser.h"

#include "core/feeds/feed_formats.h"
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
        error = "服务器返回的内容为空";
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
                error = "服务器返回的是网页，不是RSS频道";
                return FeedParseError::Html;
            }
            error = "返回的内容不是格式正确的XML：" + parseError;
            return FeedParseError::NotXml;
        }
    }
    if (EqualsIgnoreCaseAscii(doc.Root().Name(), "html")) {
        error = "服务器返回的是网页，不是RSS频道";
        return FeedParseError::Html;
    }
    error.clear();
    return FeedParseError::None;
}

const char* FeedFormatName(FeedFormat format) {
    switch (format) {
        case FeedFormat::Rss:
            return "RSS";
        case FeedFormat::Rdf:
            return "RSS 1.0";
        case FeedFormat::Atom:
            return "Atom";
        case FeedFormat::Json:
            return "JSON Feed";
        case FeedFormat::Unknown:
            break;
    }
    return "?";
}

FeedFormat XmlFeedFormat(const CXmlDocument& doc) {
    XmlNode root = doc.Root();
    if (root.IsElement("rss")) {
        return FeedFormat::Rss;
    }
    if (root.IsElement("RDF", kRdfNamespace)) {
        return FeedFormat::Rdf;
    }
    if (root.IsElement("feed", kAtomNamespace) || root.IsElement("feed", kAtom03Namespace)) {
        return FeedFormat::Atom;
    }
    return FeedFormat::Unknown;
}

size_t ReadFeedItems(const CXmlDocument& doc, std::vector<RssItem>& items,
                     const FeedReadOptions& options) {
    switch (XmlFeedFormat(doc)) {
        case FeedFormat::Rss:
            return ReadRssItems(doc, options, items);
        case FeedFormat::Rdf:
            return ReadRdfItems(doc, options, items);
        case FeedFormat::Atom:
            return ReadAtomItems(doc, options, items);
        case FeedFormat::Json:
        case FeedFormat::Unknown:
            break;
    }
    return 0;
}

std::string DescribeMissingItems(const CXmlDocument& doc) {
    switch (XmlFeedFormat(doc)) {
        case FeedFormat::Rss:
            return doc.SelectNode("/rss/channel/item") ? "频道的第一个条目没有链接"
                                                       : "频道中没有条目";
        case FeedFormat::Rdf:
            return "RSS 1.0频道中没有带链接的条目";
        case FeedFormat::Atom:
            return "Atom频道中没有带链接或id的条目";
        case FeedFormat::Json:
        case FeedFormat::Unknown:
            break;
    }
    return "不是RSS频道（根元素为<" + doc.Root().Name() + ">）";
}

FeedChannelInfo ReadChannelInfo(const CXmlDocument& doc, const std::string& documentUrl) {
    switch (XmlFeedFormat(doc)) {
        case FeedFormat::Rss:
            return ReadRssChannel(doc, documentUrl);
        case FeedFormat::Rdf:
            return ReadRdfChannel(doc, documentUrl);
        case FeedFormat::Atom:
            return ReadAtomChannel(doc, documentUrl);
        case FeedFormat::Json:
        case FeedFormat::Unknown:
            break;
    }
    return {};
}

std::string ReadChannelTitle(const CXmlDocument& doc) {
    return ReadChannelInfo(doc).title;
}

bool LooksLikeJson(std::string_view bytes) {
    if (StartsWith(bytes, kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
    }
    size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '{';
}

FeedParseError ParseFeed(std::string_view bytes, const std::string& httpCharset,
                         const FeedReadOptions& options, ParsedFeed& out, std::string& error) {
    out = ParsedFeed();
    if (bytes.size() > kMaxFeedDocumentBytes) {
        error = "返回的内容超过了频道的大小上限";
        return FeedParseError::TooLarge;
    }
    if (LooksLikeJson(bytes)) {
        std::string_view json = bytes;
        if (StartsWith(json, kUtf8Bom)) {
            json.remove_prefix(kUtf8Bom.size());
        }
        return ParseJsonFeed(json, options, out, error);
    }
    CXmlDocument doc;
    FeedParseError result = LoadFeedDocument(bytes, httpCharset, doc, error);
    if (result != FeedParseError::None) {
        return result;
    }
    out.format = XmlFeedFormat(doc);
    out.channel = ReadChannelInfo(doc, options.documentUrl);
    if (ReadFeedItems(doc, out.items, options) == 0) {
        error = DescribeMissingItems(doc);
        return FeedParseError::NoItems;
    }
    return FeedParseError::None;
}

FeedParseError ParseFeedItems(std::string_view bytes, const std::string& httpCharset,
                              std::vector<RssItem>& items, std::string& error) {
    ParsedFeed parsed;
    FeedParseError result = ParseFeed(bytes, httpCharset, FeedReadOptions(), parsed, error);
    items = std::move(parsed.items);
    return result;
}

}  // namespace zirvo
