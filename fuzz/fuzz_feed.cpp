// Feed answers: the load with its encoding rules, the item walk and the channel title. The
// first byte picks the HTTP charset the answer came with, so that path is driven too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/feeds/feed_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kCharsets[] = {"", "", "utf-8", "iso-8859-1", "gb2312", "utf-16"};
    std::string charset;
    if (size > 0) {
        charset = kCharsets[data[0] % (sizeof kCharsets / sizeof kCharsets[0])];
    }
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zirvo::CXmlDocument doc;
    std::string error;
    if (zirvo::LoadFeedDocument(bytes, charset, doc, error) == zirvo::FeedParseError::None) {
        std::vector<zirvo::RssItem> items;
        zirvo::ReadFeedItems(doc, items);
        zirvo::ReadChannelTitle(doc);
        if (items.empty()) {
            zirvo::DescribeMissingItems(doc);
        }
    }
    return 0;
}
