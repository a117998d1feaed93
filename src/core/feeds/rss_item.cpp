#include "core/feeds/rss_item.h"

namespace zirvo {

std::string FormatFeedIds(const FeedIdList& feeds) {
    std::string text;
    for (const auto& feed : feeds) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(feed.second);
    }
    return text;
}

}  // namespace zirvo
