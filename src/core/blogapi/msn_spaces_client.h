#pragma once
// The MSN Spaces flavour: MetaWeblog calls and templates over the MSN Spaces transport (always
// TLS, its own header lines, the answer cut to its methodResponse), with readers that take
// untyped values.
// Threading: as CBloggerClient.

#include "core/blogapi/metaweblog_client.h"

namespace zirvo {

class CMsnSpacesClient : public CMetaWeblogClient {
public:
    using CMetaWeblogClient::CMetaWeblogClient;

    int ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) override;
    int ReadStringResult(const std::string& answer, std::string& out) override;
    int PostXml(const std::string& requestBody, std::string& responseBody) override;
    int ReadCategories(const std::string& answer, std::vector<BlogCategory>& categories) override;
};

}  // namespace zirvo
