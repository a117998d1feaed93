#include "core/feeds/rss_item.h"

#include "core/util/text_codec.h"

namespace zirvo {

void CapItemFields(RssItem& item) {
    auto cap = [](std::string& field, size_t limit) {
        if (field.size() > limit) {
            field = CutToUtf8Bytes(field, limit);
        }
    };
    cap(item.title, kMaxItemTitleBytes);
    cap(item.link, kMaxItemLinkBytes);
    cap(item.author, kMaxItemAuthorBytes);
    cap(item.description, kMaxItemDescriptionBytes);
    if (item.enclosures.size() > kMaxItemEnclosures) {
        item.enclosures.resize(kMaxItemEnclosures);
    }
    for (Enclosure& enclosure : item.enclosures) {
        cap(enclosure.url, kMaxItemLinkBytes);
        cap(enclosure.type, kMaxEnclosureTypeBytes);
    }
}

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
