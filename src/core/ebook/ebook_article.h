#pragma once
// What the e-book builder is given: the articles in list order and where they came from.
// Threading: plain values; copy them to the export worker.

#include <string>
#include <vector>

namespace zirvo {

// One exported article. The list index names its page ("%d.html").
struct EbookArticle {
    std::string title;
    std::string content;  // HTML
    std::string date;     // as stored
    std::string category;
    std::string author;
    std::string link;
};

// Blog articles of an account folder, or feed items (a channel, a folder of channels, the
// favourites). The kind decides the default title and whether categories can become folders.
enum class EbookSource {
    BlogArticles,
    FeedItems,
};

}  // namespace zirvo
