#include "core/feeds/search_index.h"

#include <algorithm>
#include <vector>

#include "core/db/rare_trigrams.h"

namespace zirvo {
namespace {

// The keyword split into UTF-8 characters; false for bytes that are not UTF-8 (or a NUL).
bool SplitUtf8(const std::string& text, std::vector<std::string>& chars) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        if (lead == 0) {
            return false;
        } else if (lead < 0x80) {
            length = 1;
        } else if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
            length = 4;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        chars.push_back(text.substr(i, length));
        i += length;
    }
    return true;
}

}  // namespace

bool SearchUsesIndex(const std::string& keyword) {
    if (keyword.find_first_of("%_") != std::string::npos) {
        return false;
    }
    std::vector<std::string> chars;
    return SplitUtf8(keyword, chars) && chars.size() >= kMinIndexedKeywordChars &&
           !RareTrigrams(keyword).empty();
}

std::string TrigramQuery(const std::string& keyword) {
    std::vector<std::string> chars;
    if (!SplitUtf8(keyword, chars) || chars.size() < kMinIndexedKeywordChars) {
        return {};
    }
    const std::vector<std::string> trigrams = RareTrigrams(keyword);
    if (trigrams.empty()) {
        return {};
    }
    // Any subset of the terms still finds every matching item: keep a spread of them.
    std::vector<std::string> kept;
    const size_t count = std::min(trigrams.size(), kMaxQueryTrigrams);
    for (size_t k = 0; k < count; ++k) {
        kept.push_back(trigrams[count == 1 ? 0 : k * (trigrams.size() - 1) / (count - 1)]);
    }
    std::string query;
    for (const std::string& trigram : kept) {
        if (!query.empty()) {
            query += " AND ";
        }
        query += '"';
        for (char c : trigram) {
            query += c;
            if (c == '"') {
                query += '"';
            }
        }
        query += '"';
    }
    return query;
}

}  // namespace zirvo
