#pragma once
// Making the protocol client of an account's flavour.
// Threading: any thread; the client then belongs to the thread that uses it.

#include <memory>

#include "core/blogapi/blogger_client.h"

namespace zirvo {

constexpr const char* kNoMatchingBlogType = "无匹配的blog类型!";

// Compares the account's apiType exactly with "Blogger", "MetaWeblog", "MSN Spaces" and
// "MovableType", in this order. Any other text shows the message box "无匹配的blog类型!" and
// yields no client.
//
// The programs start from an account name (CreateBlogClient(accountName)): the account glue
// reads the account from config/userConfig.xml into a BlogEndpoint, loads the connection
// settings (LoadConnectionSettings) and calls this.
std::unique_ptr<CBloggerClient> CreateBlogClient(const BlogEndpoint& account,
                                                 const ConnectionSettings& connection,
                                                 const BlogClientServices& services);

}  // namespace zirvo
