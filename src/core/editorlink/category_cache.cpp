#include "core/editorlink/category_cache.h"

#include "core/blogapi/editor_calls.h"
#include "core/util/files.h"
#include "core/util/xml_document.h"
#include "core/util/xml_text.h"

namespace zirvo {
namespace {

std::string CachePath(const std::string& dataRoot, const char* prefix, const std::string& account) {
    if (account.find('/') != std::string::npos || account.find('\0') != std::string::npos ||
        account == "." || account == "..") {
        return {};
    }
    return JoinPath(dataRoot, std::string("Temp/") + prefix + account + ".xml");
}

}  // namespace

std::string CategoryCachePath(const std::string& dataRoot, const std::string& account) {
    return CachePath(dataRoot, "Categories_", account);
}

std::string SystemCategoryCachePath(const std::string& dataRoot, const std::string& account) {
    return CachePath(dataRoot, "Categories2_", account);
}

std::string BuildCategoryCacheXml(const std::vector<std::string>& categories) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><root><categories>";
    for (const std::string& name : categories) {
        xml += "<category><title>" + XmlCDataSection(name) + "</title></category>";
    }
    xml += "</categories></root>";
    return xml;
}

bool WriteCategoryCache(const std::string& path, const std::vector<std::string>& categories) {
    if (path.empty()) {
        return false;
    }
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirectories(path.substr(0, slash))) {
        return false;
    }
    return WriteFileAtomic(path, BuildCategoryCacheXml(categories));
}

bool ReadCategoryCache(const std::string& path, std::vector<std::string>& categories) {
    CXmlDocument doc;
    if (path.empty() || !doc.LoadFile(path)) {
        return false;
    }
    categories.clear();
    // category[0], category[1], ... until one has no title.
    for (XmlNode category : doc.SelectNodes("/root/categories/category")) {
        XmlNode title = category.FirstChild("title");
        if (!title) {
            break;
        }
        categories.push_back(title.Text());
    }
    return true;
}

bool FlavourHasCategories(const std::string& apiType) {
    return apiType != "Blogger";
}

bool FlavourHasSystemCategories(const std::string& apiType) {
    return apiType == "MetaWeblog";
}

CategoryRefresh RefreshCategoryCache(const std::string& dataRoot, const BlogEndpoint& account,
                                     const ConnectionSettings& connection,
                                     const BlogClientServices& services, CategoryList list) {
    CategoryRefresh refresh;
    refresh.path = list == CategoryList::kSystem ? SystemCategoryCachePath(dataRoot, account.name)
                                                 : CategoryCachePath(dataRoot, account.name);
    FetchOutcome fetched =
        list == CategoryList::kSystem
            ? FetchSystemCategories(account, connection, services, refresh.names, &refresh.movedTo)
            : FetchCategories(account, connection, services, refresh.names, &refresh.movedTo);
    if (fetched == FetchOutcome::Skipped) {
        refresh.outcome = CategoryRefreshOutcome::kSkipped;
        return refresh;
    }
    if (fetched == FetchOutcome::Failed) {
        // The previous list stays: an emptied file would hide the user's categories until the
        // next successful fetch.
        refresh.outcome = CategoryRefreshOutcome::kFetchFailed;
        return refresh;
    }
    if (!WriteCategoryCache(refresh.path, refresh.names)) {
        services.messages.ShowMessageBox(kTextCannotWriteCategoryCache + refresh.path);
        refresh.outcome = CategoryRefreshOutcome::kWriteFailed;
        return refresh;
    }
    refresh.outcome = CategoryRefreshOutcome::kWritten;
    return refresh;
}

bool LoadCategoryBox(const std::string& dataRoot, const BlogEndpoint& account,
                     const ConnectionSettings& connection, const BlogClientServices& services,
                     std::vector<std::string>& names, std::string* movedTo) {
    std::string path = CategoryCachePath(dataRoot, account.name);
    if (path.empty()) {
        return false;
    }
    if (!FileExists(path)) {
        if (!FlavourHasCategories(account.apiType)) {
            return false;
        }
        CategoryRefresh refresh =
            RefreshCategoryCache(dataRoot, account, connection, services, CategoryList::kBlog);
        if (movedTo != nullptr && !refresh.movedTo.empty()) {
            *movedTo = refresh.movedTo;
        }
        if (refresh.outcome != CategoryRefreshOutcome::kWritten) {
            return false;
        }
    }
    return ReadCategoryCache(path, names);
}

}  // namespace zirvo
