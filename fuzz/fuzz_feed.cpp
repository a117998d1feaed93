// Feed answers of every format: the load with its encoding rules, the item walk of RSS, RDF and
// Atom, the JSON Feed reader, and the channel. The first byte picks the HTTP charset the answer
// came with and whether it came with a document address, so those paths are driven too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/feeds/feed_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kCharsets[] = {"", "", "utf-8", "iso-8859-1", "gb2312", "utf-16"};
    std::string charset;
    zirvo::FeedReadOptions options;
    if (size > 0) {
        charset = kCharsets[data[0] % (sizeof kCharsets / sizeof kCharsets[0])];
        options.documentUrl = (data[0] & 0x80) != 0 ? "http://fuzz.example/a/b/feed" : "";
        options.maxItems = (data[0] & 0x40) != 0 ? 3 : zirvo::kDefaultMaxFeedItems;
    }
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zirvo::ParsedFeed parsed;
    std::string error;
    zirvo::ParseFeed(bytes, charset, options, parsed, error);

    zirvo::CXmlDocument doc;
    if (!zirvo::LooksLikeJson(bytes) &&
        zirvo::LoadFeedDocument(bytes, charset, doc, error) == zirvo::FeedParseError::None) {
        std::vector<zirvo::RssItem> items;
        zirvo::ReadFeedItems(doc, items, options);
        zirvo::ReadChannelTitle(doc);
        if (items.empty()) {
            zirvo::DescribeMissingItems(doc);
        }
    }
    return 0;
}
