#pragma once
// The editor's category caches, one pair of files per account below the data root:
//   Temp/Categories_<account>.xml    the blog's own categories (the header bar's box)
//   Temp/Categories2_<account>.xml   the service's system categories (MetaWeblog only)
//
// Format, one line: <?xml version="1.0" encoding="UTF-8" ?><root><categories>
//   <category><title><![CDATA[name]]></title></category> ... </categories></root>
// in the order the server returned them; an empty list gives an empty `categories` element.
// A "]]>" inside a name is split over two CDATA sections and reads back unchanged.
//
// Threading: any thread; each call reads or writes the file on the calling thread.

#include <string>
#include <vector>

#include "core/blogapi/blog_endpoint.h"
#include "core/blogapi/connection_settings.h"

namespace zirvo {

// The cache paths of `account` below `dataRoot`; empty when the name could not stand in a file
// name (a '/' or a NUL in it, or "." / ".."), so that no name ever reaches outside Temp/.
std::string CategoryCachePath(const std::string& dataRoot, const std::string& account);
std::string SystemCategoryCachePath(const std::string& dataRoot, const std::string& account);

std::string BuildCategoryCacheXml(const std::vector<std::string>& categories);
// Creates Temp/ when missing and replaces the file whole; false when it cannot be written.
bool WriteCategoryCache(const std::string& path, const std::vector<std::string>& categories);
// False when the file is missing or not well-formed (the box is then left as it is); otherwise
// every `/root/categories/category[i]/title` in order until one is missing.
bool ReadCategoryCache(const std::string& path, std::vector<std::string>& categories);

// Whether the flavour has a category list at all ("Blogger" has none) and whether it has the
// system categories (only "MetaWeblog").
bool FlavourHasCategories(const std::string& apiType);
bool FlavourHasSystemCategories(const std::string& apiType);

enum class CategoryList {
    kBlog,    // the blog's categories, the flavour's own call, Temp/Categories_
    kSystem,  // the service's system categories (MetaWeblog), Temp/Categories2_
};

enum class CategoryRefreshOutcome {
    kSkipped,      // the flavour has no such list: nothing asked, nothing written (a success)
    kWritten,      // the server's list is in the cache file
    kFetchFailed,  // the call failed (already shown); the previous cache file is kept as it was
    kWriteFailed,  // the list came but the cache file could not be written (shown)
};

struct CategoryRefresh {
    CategoryRefreshOutcome outcome = CategoryRefreshOutcome::kFetchFailed;
    std::string path;                // the cache file
    std::vector<std::string> names;  // the server's list, in its order (when fetched)
    std::string movedTo;             // where the server moved its endpoint, if it was redirected

    bool Ok() const {
        return outcome == CategoryRefreshOutcome::kSkipped ||
               outcome == CategoryRefreshOutcome::kWritten;
    }
};

// Shown when a fetched list cannot be written: kTextCannotWriteCategoryCache + path.
inline constexpr const char* kTextCannotWriteCategoryCache = "无法写入分类缓存文件: ";
// The first entry of the header bar's category box.
inline constexpr const char* kCategoryBoxChoose = "---选择---";

// Fetch-and-write ("更新分类" and the system categories' "获取"): asks the server for the list and
// replaces the account's cache file with it. A failed call keeps the previous file, so the
// user's categories stay offered until the next success; a file that cannot be written makes
// the refresh fail. Runs the call on the calling thread.
CategoryRefresh RefreshCategoryCache(const std::string& dataRoot, const BlogEndpoint& account,
                                     const ConnectionSettings& connection,
                                     const BlogClientServices& services, CategoryList list);

// The names for the header bar's category box, from the cache file; when the file is missing
// (and the flavour has categories) the list is fetched and written first. False when there is
// nothing to show: no categories for the flavour, a failed refresh or an unreadable file (the
// box is then left as it is).
bool LoadCategoryBox(const std::string& dataRoot, const BlogEndpoint& account,
                     const ConnectionSettings& connection, const BlogClientServices& services,
                     std::vector<std::string>& names, std::string* movedTo = nullptr);

}  // namespace zirvo
