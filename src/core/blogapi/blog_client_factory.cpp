#include "core/blogapi/blog_client_factory.h"

#include "core/blogapi/metaweblog_client.h"
#include "core/blogapi/movabletype_client.h"
#include "core/blogapi/msn_spaces_client.h"

namespace zirvo {

std::unique_ptr<CBloggerClient> CreateBlogClient(const BlogEndpoint& account,
                                                 const ConnectionSettings& connection,
                                                 const BlogClientServices& services) {
    const std::string& type = account.apiType;
    if (type == "Blogger") {
        return std::make_unique<CBloggerClient>(account, connection, services);
    }
    if (type == "MetaWeblog") {
        return std::make_unique<CMetaWeblogClient>(account, connection, services);
    }
    if (type == "MSN Spaces") {
        return std::make_unique<CMsnSpacesClient>(account, connection, services);
    }
    if (type == "MovableType") {
        return std::make_unique<CMovableTypeClient>(account, connection, services);
    }
    services.messages.ShowMessageBox(kNoMatchingBlogType);
    return nullptr;
}

}  // namespace zirvo
