// JSON Feed 1.0 / 1.1 reader (nlohmann-json).

#include <nlohmann/json.hpp>

#include "core/feeds/feed_formats.h"
#include "core/feeds/feed_links.h"
#include "core/feeds/feed_markup.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

using Json = nlohmann::json;

// Honest feeds nest four or five levels; the limit keeps a hostile one from making the parser
// and the destructor of its tree walk a million levels.
constexpr int kMaxJsonDepth = 64;

// Whether the brackets of `bytes` nest deeper than `limit` (strings skipped). A cheap pass
// before the parse, so that depth never reaches the parser at all.
bool NestsDeeperThan(std::string_view bytes, int limit) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > limit) {
                return true;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return false;
}

std::string StringOf(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return {};
    }
    return Trim(it->get_ref<const std::string&>());
}

std::string AuthorNames(const Json& object) {
    std::string names;
    auto add = [&](const Json& author) {
        if (author.is_object()) {
            std::string name = StringOf(author, "name");
            if (!name.empty()) {
                names += names.empty() ? name : ", " + name;
            }
        }
    };
    auto authors = object.find("authors");  // 1.1
    if (authors != object.end() && authors->is_array()) {
        for (const Json& author : *authors) {
            add(author);
        }
    }
    auto author = object.find("author");  // 1.0
    if (names.empty() && author != object.end()) {
        add(*author);
    }
    return names;
}

std::string LengthText(const Json& attachment) {
    auto it = attachment.find("size_in_bytes");
    if (it != attachment.end() && it->is_number_integer()) {
        return std::to_string(it->get<long long>());
    }
    return {};
}

bool ReadItem(const Json& entry, const std::string& base, const std::string& feedAuthors,
              RssItem& out) {
    if (!entry.is_object()) {
        return false;
    }
    out.link = ItemLink(base, StringOf(entry, "url"));
    if (out.link.empty()) {
        out.link = ItemLink(base, StringOf(entry, "external_url"));
    }
    if (out.link.empty()) {
        out.link = ItemLink(base, StringOf(entry, "id"));
    }
    if (out.link.empty()) {
        return false;
    }
    out.title = StringOf(entry, "title");
    out.description = StringOf(entry, "content_html");
    if (out.description.empty()) {
        out.description = PlainTextAsHtml(StringOf(entry, "content_text"));
    }
    if (out.description.empty()) {
        out.description = PlainTextAsHtml(StringOf(entry, "summary"));
    }
    out.date = StringOf(entry, "date_published");
    if (out.date.empty()) {
        out.date = StringOf(entry, "date_modified");
    }
    out.author = AuthorNames(entry);
    if (out.author.empty()) {
        out.author = feedAuthors;
    }
    auto attachments = entry.find("attachments");
    if (attachments != entry.end() && attachments->is_array()) {
        for (const Json& attachment : *attachments) {
            if (out.enclosures.size() >= kMaxItemEnclosures) {
                break;
            }
            if (attachment.is_object()) {
                AddEnclosure(out, base, StringOf(attachment, "url"),
                             StringOf(attachment, "mime_type"), LengthText(attachment));
            }
        }
    }
    FinishItem(out);
    return true;
}

}  // namespace

FeedParseError ParseJsonFeed(std::string_view bytes, const FeedReadOptions& options,
                             ParsedFeed& out, std::string& error) {
    if (bytes.size() > kMaxFeedDocumentBytes) {
        error = "JSON频道超过了大小上限";
        return FeedParseError::TooLarge;
    }
    if (NestsDeeperThan(bytes, kMaxJsonDepth)) {
        error = "JSON频道的嵌套超过了" + std::to_string(kMaxJsonDepth) + "层";
        return FeedParseError::NotJson;
    }
    Json root = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "返回的内容不是格式正确的JSON对象";
        return FeedParseError::NotJson;
    }
    out.format = FeedFormat::Json;
    std::string version = StringOf(root, "version");
    auto items = root.find("items");
    if (!StartsWith(version, "https://jsonfeed.org/version/") &&
        (items == root.end() || !items->is_array())) {
        error = "是JSON文档，但不是JSON Feed频道";
        return FeedParseError::NoItems;
    }
    std::string base = options.documentUrl;
    if (std::string feedUrl = ResolveUrl(base, StringOf(root, "feed_url")); IsWebLink(feedUrl)) {
        base = feedUrl;
    }
    out.channel.title = StringOf(root, "title");
    out.channel.homePage = HomePageLink(base, StringOf(root, "home_page_url"));
    if (items == root.end() || !items->is_array()) {
        error = "JSON频道中没有条目";
        return FeedParseError::NoItems;
    }
    std::string feedAuthors = AuthorNames(root);
    size_t count = 0;
    for (const Json& entry : *items) {
        if (count >= options.maxItems) {
            break;
        }
        RssItem item;
        if (ReadItem(entry, base, feedAuthors, item)) {
            out.items.push_back(std::move(item));
            ++count;
        }
    }
    if (count == 0) {
        error = "JSON频道中没有带地址或id的条目";
        return FeedParseError::NoItems;
    }
    return FeedParseError::None;
}

}  // namespace zirvo
