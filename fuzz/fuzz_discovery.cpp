// Web pages given as a subscription address: the HTML parse and the walk for feed links, with
// the page's address taken from the first byte so that resolution and the self test are driven.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/feeds/feed_discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kPages[] = {"http://fuzz.example/", "https://fuzz.example/a/b?c#d", "",
                                         "http://fuzz.example/feed.xml"};
    std::string page = size > 0 ? kPages[data[0] % 4] : "";
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zirvo::DiscoverFeeds(bytes, page);
    return 0;
}
