#include "core/ebook/ebook_pictures.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "core/net/http_client.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr size_t kMaxExtensionChars = 8;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value of one tag's src as it stands, quotes removed and a trailing '/' dropped.
std::string CleanValue(const std::string& raw) {
    std::string value;
    for (char c : raw) {
        if (c != '"' && c != '\'') {
            value += c;
        }
    }
    if (!value.empty() && value.back() == '/') {
        value.pop_back();
    }
    // Contents are HTML: an address with a query is written with &amp;.
    ReplaceAll(value, "&amp;", "&");
    return value;
}

struct Found {
    std::string url;
    size_t position = 0;
    size_t length = 0;
};

std::vector<Found> FindPictures(const std::string& content) {
    std::vector<Found> found;
    const std::string lower = ToLowerAscii(content);
    size_t from = 0;
    while (true) {
        const size_t tag = lower.find("<img", from);
        if (tag == std::string::npos) {
            break;
        }
        size_t tagEnd = lower.find('>', tag);
        if (tagEnd == std::string::npos) {
            tagEnd = lower.size();
        }
        from = tag + 4;
        const size_t src = lower.find(" src=", tag);
        if (src == std::string::npos || src >= tagEnd) {
            continue;
        }
        const size_t start = src + 5;
        size_t end = start;
        while (end < tagEnd && !IsBlank(content[end])) {
            ++end;
        }
        std::string url = CleanValue(content.substr(start, end - start));
        if (IsHttpUrl(url)) {
            found.push_back({std::move(url), start, end - start});
        }
        from = std::max(from, end);
    }
    return found;
}

}  // namespace

std::string EbookPictureName(size_t index, const std::string& url) {
    const size_t slash = url.rfind('/');
    const size_t dot = url.find('.', slash == std::string::npos ? 0 : slash);
    std::string extension;
    if (dot != std::string::npos) {
        for (size_t i = dot + 1; i < url.size() && extension.size() < kMaxExtensionChars; ++i) {
            const unsigned char c = static_cast<unsigned char>(url[i]);
            if (!std::isalnum(c)) {
                break;
            }
            extension += static_cast<char>(c);
        }
    }
    return StrFormat("images/%zu.%s", index, extension.empty() ? "jpg" : extension.c_str());
}

void CollectEbookPictures(std::vector<EbookArticle>& articles,
                          std::vector<EbookPicture>& pictures) {
    std::unordered_map<std::string, size_t> first;
    for (const EbookPicture& picture : pictures) {
        if (!picture.url.empty()) {
            first.emplace(picture.url, &picture - pictures.data());
        }
    }
    for (EbookArticle& article : articles) {
        const size_t begin = pictures.size();
        for (Found& found : FindPictures(article.content)) {
            if (pictures.size() >= kMaxEbookPictures) {
                break;
            }
            const size_t index = pictures.size();
            EbookPicture picture;
            picture.position = found.position;
            picture.length = found.length;
            const auto [known, added] = first.emplace(found.url, index);
            picture.localName = EbookPictureName(known->second, found.url);
            if (added) {
                picture.url = std::move(found.url);
            }
            pictures.push_back(std::move(picture));
        }
        // Last to first, so that the positions of the earlier values still hold.
        for (size_t i = pictures.size(); i > begin; --i) {
            const EbookPicture& picture = pictures[i - 1];
            article.content.replace(picture.position, picture.length, picture.localName);
        }
    }
}

}  // namespace zirvo
