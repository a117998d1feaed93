#include "core/accounts/account_endpoint.h"

#include "core/accounts/account_messages.h"
#include "core/accounts/account_registry.h"
#include "core/blogapi/blog_client_factory.h"
#include "core/blogapi/blog_transport.h"
#include "core/blogapi/msn_spaces_client.h"
#include "core/config/app_config.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

template <typename Record>
BlogEndpoint MakeEndpoint(const Record& account) {
    BlogEndpoint endpoint;
    endpoint.name = account.name;
    endpoint.xmlrpcUrl = account.xmlrpcUrl;
    endpoint.port = account.port;
    endpoint.apiType = account.apiType;
    endpoint.userName = account.userName;
    endpoint.password = account.password;
    endpoint.encodeType = account.encodeType;
    return endpoint;
}

}  // namespace

BlogEndpoint ToBlogEndpoint(const AccountInfo& account) {
    return MakeEndpoint(account);
}

BlogEndpoint ToBlogEndpoint(const NewAccount& account) {
    return MakeEndpoint(account);
}

int ReadBlogEndpoint(CAccountRegistry& registry, const std::string& name, BlogEndpoint& out) {
    AccountInfo info;
    if (!registry.ReadAccount(name, info)) {
        return 0;
    }
    out = ToBlogEndpoint(info);
    return 1;
}

std::unique_ptr<CBloggerClient> CreateBlogClient(CAccountRegistry& registry,
                                                 const std::string& accountName, CAppConfig& config,
                                                 const BlogClientServices& services,
                                                 bool useProcessProxy) {
    BlogEndpoint endpoint;
    if (!ReadBlogEndpoint(registry, accountName, endpoint)) {
        return nullptr;
    }
    ConnectionSettings connection = LoadConnectionSettings(endpoint, config, useProcessProxy);
    return CreateBlogClient(endpoint, connection, services);
}

int TestAccountConnection(const NewAccount& account, const ConnectionSettings& connection,
                          const BlogClientServices& services) {
    BlogEndpoint endpoint = ToBlogEndpoint(account);
    std::unique_ptr<CBloggerClient> client;
    if (account.apiType == kApiMsnSpaces) {
        client = std::make_unique<CMsnSpacesClient>(endpoint, connection, services);
    } else {
        client = std::make_unique<CBloggerClient>(endpoint, connection, services);
    }
    std::string url, blogId, blogName;
    if (!client->GetUsersBlogs(url, blogId, blogName)) {
        return 0;
    }
    // The endpoint answered from another address: this is the moment to correct it.
    if (!client->MovedTo().empty()) {
        services.messages.ShowMessageBox(EndpointMovedText(client->MovedTo()));
    }
    services.messages.ShowMessageBox(kTextUserValid);
    return 1;
}

}  // namespace zirvo

namespace zirvo {

int MoveAccountEndpoint(CAccountRegistry& registry, const std::string& accountName,
                        const std::string& address) {
    const std::string lower = ToLowerAscii(address);
    const bool web = lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
    const EndpointParts parts = SplitEndpoint(address);
    if (!web || parts.host.empty()) {
        return 0;
    }
    std::string apiType;
    if (!registry.ReadAccountValue(accountName, "blogapitype", apiType) ||
        apiType == kApiMsnSpaces) {
        return 0;
    }
    std::string port = PortWrittenIn(address);
    if (port.empty()) {
        port = parts.secure ? "443" : "80";
    }
    return registry.WriteAccountValue(accountName, "xmlrpcurl", address) != 0 &&
                   registry.WriteAccountValue(accountName, "port", port) != 0
               ? 1
               : 0;
}

}  // namespace zirvo
