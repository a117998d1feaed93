#pragma once
// Finding the feeds a web page names: its `<link rel="alternate" type="application/rss+xml">`
// (also atom+xml and feed+json) elements, read with libxml2's HTML parser (broken markup
// recovered, nothing fetched). Each `href` is resolved against the page's `<base href>` and
// its address; only web addresses are kept, each once, never the page's own address (a page
// that names itself is not a feed), at most kMaxDiscoveredFeeds, in document order.
//
// Threading: pure functions; any thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zirvo {

inline constexpr size_t kMaxDiscoveredFeeds = 100;

struct DiscoveredFeed {
    std::string url;
    std::string title;  // the link's title attribute, plain text; may be empty
    std::string type;   // "application/rss+xml", ...
};

std::vector<DiscoveredFeed> DiscoverFeeds(std::string_view html, const std::string& pageUrl);

}  // namespace zirvo
