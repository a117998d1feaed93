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

}  // namespace zirvo
