#include "core/editorlink/category_cache.h"

#include "core/editorlink/xml_text.h"
#include "core/util/files.h"
#include "core/util/xml_document.h"

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

}  // namespace zirvo
