#include "core/blogapi/movabletype_client.h"

#include "core/blogapi/post_dates.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kEmptyPostList = 4001;
constexpr int kNewPostBuildFailure = 1101;

constexpr const char* kAnswerItems = "/methodResponse/params/param/value/array/data/value";

// The structs of the answer's array up to the first item that is not a struct.
std::vector<XmlNode> ItemStructs(const CXmlDocument& doc) {
    std::vector<XmlNode> structs;
    for (const XmlNode& item : doc.SelectNodes(kAnswerItems)) {
        XmlNode structNode = item.FirstChild("struct");
        if (structNode.IsNull()) {
            break;
        }
        structs.push_back(structNode);
    }
    return structs;
}

}  // namespace

int CMovableTypeClient::BuildStructRequest(int kind, CXmlDocument& doc) {
    if (kind != kBuildNewPost) {
        return CMetaWeblogClient::BuildStructRequest(kind, doc);
    }
    const BlogRequestRecord& r = m_request;
    PostTime date;
    ParsePostDate(r.postIdOrDate, date);
    // The server reads dateCreated as UTC; the article's date is the machine's local time.
    PostTime utc = LocalToUtc(date);
    return FillNodes(doc, kNewPostBuildFailure,
                     {{ParamPath(1, "string"), r.userName},
                      {ParamPath(2, "string"), r.password},
                      {MemberPath("title", "string"), r.title},
                      {MemberPath("categories", "array/data/value/string"), r.category},
                      {MemberPath("description", "string"), r.description},
                      {MemberPath("pubDate", "string"), r.postIdOrDate},
                      {MemberPath("dateCreated", "dateTime.iso8601"), FormatIso8601(utc)}});
}

int CMovableTypeClient::GetCategories(std::vector<BlogCategory>& categories) {
    return CategoryCall("MOVABLETYPE_getCategoryList.xml", categories);
}

int CMovableTypeClient::ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) {
    entries.clear();
    if (Trim(answer).empty()) {
        Messages().ShowById(kEmptyPostList);
        return 1;
    }
    CXmlDocument doc;
    doc.LoadMemory(answer);
    std::vector<XmlNode> items = ItemStructs(doc);
    if (items.empty() && HasFaultCode(doc, true)) {
        ShowFault(answer);
        return 0;
    }
    entries.reserve(items.size());
    for (const XmlNode& item : items) {
        entries.push_back(PostEntryOf(CXmlRpcStruct(item)));
    }
    return 1;
}

int CMovableTypeClient::ReadCategories(const std::string& answer,
                                       std::vector<BlogCategory>& categories) {
    categories.clear();
    CXmlDocument doc;
    doc.LoadMemory(answer);
    for (const XmlNode& item : ItemStructs(doc)) {
        CXmlRpcStruct fields(item);
        BlogCategory category;
        category.name = fields.FirstText({"categoryName", "title", "description"});
        // The published interface spells the member categoryId; older servers wrote categoryid.
        // Either may be a string or a number.
        category.id = fields.FirstText({"categoryId", "categoryid"});
        categories.push_back(std::move(category));
    }
    return categories.empty() ? EmptyListOrFault(doc, answer) : 1;
}

}  // namespace zirvo
