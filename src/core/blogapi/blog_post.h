#pragma once
// The values that travel between the blog clients and their callers: a post to publish, one
// entry of a recent-posts list and one category of a blog. All texts are UTF-8.
// Threading: plain values; copy them across threads.

#include <string>

namespace zirvo {

// The nine texts of a new post, in the order publishers hand them over.
//
// NOTE: the fourth text is the publication date and the fifth the article's server id. The id
// is carried so that publishers can keep one record per article, but no flavour sends it: a new
// post never has an id on the server yet, while its date is what the MetaWeblog family sends as
// pubDate and dateCreated.
struct BlogPost {
    std::string title;
    std::string category;
    std::string description;  // the article HTML
    std::string pubDate;      // "%Y-%m-%d %H:%M:%S" local time; empty: now
    std::string serverId;     // never sent
    std::string category2;    // system category (VELBO-type servers)
    std::string tags;
    std::string abstract;
    std::string trackback;
};

// One post of a recent-posts answer; a flavour leaves the fields it does not read empty.
struct PostEntry {
    std::string title;
    std::string description;
    std::string dateCreated;  // the dateTime.iso8601 text as the server sent it
    std::string categories;
    std::string postId;
    std::string userId;
    std::string link;
};

// One category of a blog; only the MovableType flavour fills the id.
struct BlogCategory {
    std::string name;
    std::string id;
};

}  // namespace zirvo
