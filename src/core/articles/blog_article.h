#pragma once
// An article of the article store in memory, and the folder codes of an account's articles.
// Header only, so that the blog clients can fill these records without linking the store.
// Threading: plain values; any thread.

#include <string>
#include <vector>

namespace zirvo {

// Folder of an article, stored in blog_article.log_property. The blog tree names a folder node
// (10 + account index) * 100 + folder * 10, so the codes are part of every tree code as well.
enum BlogFolder : int {
    kBlogFolderReceived = 1,    // posts fetched from the server; always with a server id
    kBlogFolderPublished = 2,   // posts sent to the server by this program
    kBlogFolderDrafts = 3,      // keeps whatever server id the article had
    kBlogFolderRecycleBin = 4,  // keeps whatever server id the article had
};

inline bool IsBlogFolder(int folder) {
    return folder >= kBlogFolderReceived && folder <= kBlogFolderRecycleBin;
}

// The folder's name in the blog tree; the empty text for a code that is not a folder.
inline const char* BlogFolderName(int folder) {
    switch (folder) {
        case kBlogFolderReceived:
            return "已收日志";
        case kBlogFolderPublished:
            return "已发日志";
        case kBlogFolderDrafts:
            return "草稿箱";
        case kBlogFolderRecycleBin:
            return "垃圾箱";
        default:
            return "";
    }
}

struct BlogArticle {
    int id = 0;  // log_id; 0 for an article that has no row yet
    std::string title;
    std::string content;  // HTML
    std::string pubDate;  // "%Y-%m-%d %H:%M:%S", local time
    std::string category;
    std::string guid;    // the post's id on the server; empty when it has none
    std::string userid;  // filled by the blog client for fetched posts; never stored
    std::string link;    // filled by the blog client for fetched posts; never stored
};

using BlogArticleList = std::vector<BlogArticle>;

}  // namespace zirvo
