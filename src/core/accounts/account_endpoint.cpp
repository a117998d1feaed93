#include "core/accounts/account_endpoint.h"

#include "core/accounts/account_registry.h"

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

}  // namespace zirvo
