#pragma once
// The MovableType flavour: MetaWeblog calls, with three differences.
//   - A new post sends only title, categories, description, pubDate and dateCreated, and
//     dateCreated is the publication date converted from the machine's local time to UTC (the
//     servers expect UTC; in UTC+8 that is the date minus 8 hours).
//   - Categories come from mt.getCategoryList (MOVABLETYPE_getCategoryList.xml), with ids.
//   - Its list readers take the n-th `value` of the answer's array and read an answer without
//     items as an empty list unless it is a fault.
// Threading: as CBloggerClient.

#include "core/blogapi/metaweblog_client.h"

namespace zirvo {

class CMovableTypeClient : public CMetaWeblogClient {
public:
    using CMetaWeblogClient::CMetaWeblogClient;

    int ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) override;
    int GetCategories(std::vector<BlogCategory>& categories) override;
    int ReadCategories(const std::string& answer, std::vector<BlogCategory>& categories) override;
    int BuildStructRequest(int kind, CXmlDocument& doc) override;
};

}  // namespace zirvo
