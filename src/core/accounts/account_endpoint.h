#pragma once
// From the registry's accounts to the blog clients: the endpoint record a client reads, the
// client of a registered account made from its name, and the wizard's connection test, which
// talks to the service before the account exists.
//
// Threading: the conversions are pure. The other calls read userConfig.xml / appConfig.xml and
// make network calls on the calling thread; the client then belongs to that thread.

#include <memory>
#include <string>

#include "core/accounts/account_records.h"
#include "core/blogapi/blog_endpoint.h"
#include "core/blogapi/blogger_client.h"
#include "core/blogapi/connection_settings.h"

namespace zirvo {

class CAccountRegistry;
class CAppConfig;

BlogEndpoint ToBlogEndpoint(const AccountInfo& account);
BlogEndpoint ToBlogEndpoint(const NewAccount& account);

// ReadAccount and conversion; 0 (message shown) when the account cannot be read.
int ReadBlogEndpoint(CAccountRegistry& registry, const std::string& name, BlogEndpoint& out);

// The client of the account's flavour, with the connection settings of `config` (the process
// proxy record when `useProcessProxy`). Null when the account cannot be read or its flavour is
// unknown (messages shown).
std::unique_ptr<CBloggerClient> CreateBlogClient(CAccountRegistry& registry,
                                                 const std::string& accountName, CAppConfig& config,
                                                 const BlogClientServices& services,
                                                 bool useProcessProxy = true);

// "测试连接": a MSN Spaces client for that flavour, the Blogger client for every other one, and
// its GetUsersBlogs. On success shows "用户有效" and returns 1, after saying where the endpoint
// moved when the server redirected the call; a failure has been shown by the client.
int TestAccountConnection(const NewAccount& account, const ConnectionSettings& connection,
                          const BlogClientServices& services);

// The account's server answered from `address` (a redirect the client followed): the account
// takes that address as its XML-RPC address, with the port written in it, else 443 for https,
// else 80. 0 when the account has a fixed address ("MSN Spaces"), the address is not a web
// address, or the registry refused (its message shown).
int MoveAccountEndpoint(CAccountRegistry& registry, const std::string& accountName,
                        const std::string& address);

}  // namespace zirvo
