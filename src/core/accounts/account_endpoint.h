#pragma once
// From the registry's account records to what a blog client needs (BlogEndpoint).
//
// Threading: the conversions are pure; ReadBlogEndpoint reads userConfig.xml on the calling
// thread.

#include <string>

#include "core/accounts/account_records.h"
#include "core/blogapi/blog_endpoint.h"

namespace zirvo {

class CAccountRegistry;

BlogEndpoint ToBlogEndpoint(const AccountInfo& account);
// The wizard's connection test talks to the service before the account exists.
BlogEndpoint ToBlogEndpoint(const NewAccount& account);

// ReadAccount and conversion; 0 (message shown) when the account cannot be read.
int ReadBlogEndpoint(CAccountRegistry& registry, const std::string& name, BlogEndpoint& out);

}  // namespace zirvo
