#include "core/blogapi/editor_calls.h"

#include <sys/stat.h>

#include "core/blogapi/blog_client_factory.h"
#include "core/blogapi/metaweblog_client.h"
#include "core/blogapi/movabletype_client.h"
#include "core/blogapi/msn_spaces_client.h"
#include "core/util/base64.h"
#include "core/util/files.h"

namespace zirvo {
namespace {

void TakeMove(const CBloggerClient& client, std::string* movedTo) {
    if (movedTo != nullptr && !client.MovedTo().empty()) {
        *movedTo = client.MovedTo();
    }
}

bool SendMedia(const BlogEndpoint& account, const ConnectionSettings& connection,
               const BlogClientServices& services, const std::string& name, const std::string& type,
               const std::string& bitsBase64, std::string& url, std::string* movedTo) {
    CMetaWeblogClient client(account, connection, services);
    std::string answerUrl;
    const int result = client.NewMediaObject(name, type, bitsBase64, answerUrl);
    TakeMove(client, movedTo);
    if (!result) {
        return false;
    }
    url = answerUrl;
    return true;
}

FetchOutcome Names(int result, const std::vector<BlogCategory>& categories,
                   std::vector<std::string>& names) {
    names.clear();
    if (!result) {
        return FetchOutcome::Failed;
    }
    for (const auto& category : categories) {
        names.push_back(category.name);
    }
    return FetchOutcome::Fetched;
}

}  // namespace

FetchOutcome FetchCategories(const BlogEndpoint& account, const ConnectionSettings& connection,
                             const BlogClientServices& services, std::vector<std::string>& names,
                             std::string* movedTo) {
    names.clear();
    const std::string& type = account.apiType;
    if (type == "Blogger") {
        return FetchOutcome::Skipped;
    }
    std::unique_ptr<CMetaWeblogClient> client;
    if (type == "MetaWeblog") {
        client = std::make_unique<CMetaWeblogClient>(account, connection, services);
    } else if (type == "MSN Spaces") {
        client = std::make_unique<CMsnSpacesClient>(account, connection, services);
    } else if (type == "MovableType") {
        client = std::make_unique<CMovableTypeClient>(account, connection, services);
    } else {
        services.messages.ShowMessageBox(kNoMatchingBlogType);
        return FetchOutcome::Failed;
    }
    std::vector<BlogCategory> categories;
    int result = client->GetCategories(categories);
    TakeMove(*client, movedTo);
    return Names(result, categories, names);
}

FetchOutcome FetchSystemCategories(const BlogEndpoint& account,
                                   const ConnectionSettings& connection,
                                   const BlogClientServices& services,
                                   std::vector<std::string>& names, std::string* movedTo) {
    names.clear();
    if (account.apiType != "MetaWeblog") {
        return FetchOutcome::Skipped;
    }
    CMetaWeblogClient client(account, connection, services);
    std::vector<BlogCategory> categories;
    int result = client.GetCategories2(categories);
    TakeMove(client, movedTo);
    return Names(result, categories, names);
}

bool UploadFile(const BlogEndpoint& account, const ConnectionSettings& connection,
                const BlogClientServices& services, UploadRecord& record, std::string& url,
                std::string* movedTo) {
    struct stat info {};
    if (::stat(record.fullPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        services.messages.ShowMessageBox("无法读取文件: " + record.fullPath);
        return false;
    }
    if (static_cast<unsigned long long>(info.st_size) > kMaxUploadBytes) {
        services.messages.ShowMessageBox("Alloc memory error");
        return false;
    }
    std::string bytes;
    if (!ReadFileBytes(record.fullPath, bytes, kMaxUploadBytes)) {
        services.messages.ShowMessageBox("无法读取文件: " + record.fullPath);
        return false;
    }
    record.bitsBase64 = Base64Encode(bytes);
    return SendMedia(account, connection, services, record.fileName,
                     MediaTypeForExtension(record.extension), record.bitsBase64, url, movedTo);
}

bool UploadPicture(const BlogEndpoint& account, const ConnectionSettings& connection,
                   const BlogClientServices& services, const std::string& name,
                   const std::string& mimeType, const std::string& bytes, std::string& url,
                   std::string* movedTo) {
    if (bytes.size() > kMaxUploadBytes) {
        services.messages.ShowMessageBox("Alloc memory error");
        return false;
    }
    return SendMedia(account, connection, services, name, mimeType, Base64Encode(bytes), url,
                     movedTo);
}

}  // namespace zirvo
