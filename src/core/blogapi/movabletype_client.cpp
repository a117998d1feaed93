#include "core/blogapi/movabletype_client.h"

#include "core/blogapi/post_dates.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kEmptyPostList = 4001;
constexpr int kNewPostBuildFailure = 1101;
constexpr int kServerUtcOffsetHours = 8;

std::string TextAt(const XmlNode& item, const std::string& path) {
    XmlNode node = item.SelectNode(path);
    return node ? node.Text() : std::string();
}

std::string NthItemStructPath(int n) {
    return StrFormat("/methodResponse/params/param/value/array/data/value[%d]/struct", n);
}

}  // namespace

int CMovableTypeClient::BuildStructRequest(int kind, CXmlDocument& doc) {
    if (kind != kBuildNewPost) {
        return CMetaWeblogClient::BuildStructRequest(kind, doc);
    }
    const BlogRequestRecord& r = m_request;
    PostTime date;
    ParsePostDate(r.postIdOrDate, date);
    PostTime utc = ShiftHours(date, -kServerUtcOffsetHours);
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
    for (int n = 0;; ++n) {
        XmlNode item = doc.SelectNode(NthItemStructPath(n));
        if (item.IsNull()) {
            if (n == 0 && HasFaultCode(doc, true)) {
                ShowFault(answer);
                return 0;
            }
            return 1;
        }
        PostEntry entry;
        entry.title = TextAt(item, "member[name='title']/value/string");
        entry.description = TextAt(item, "member[name='description']/value/string");
        entry.dateCreated = TextAt(item, "member[name='dateCreated']/value/dateTime.iso8601");
        entry.categories = TextAt(item, "member[name='categories']/value/array/data/value/string");
        entry.postId = TextAt(item, "member[name='postid']/value/string");
        entry.userId = TextAt(item, "member[name='userid']/value/string");
        entry.link = TextAt(item, "member[name='link']/value/string");
        entries.push_back(std::move(entry));
    }
}

int CMovableTypeClient::ReadCategories(const std::string& answer,
                                       std::vector<BlogCategory>& categories) {
    categories.clear();
    CXmlDocument doc;
    doc.LoadMemory(answer);
    for (int n = 0;; ++n) {
        XmlNode item = doc.SelectNode(NthItemStructPath(n));
        if (item.IsNull()) {
            return n == 0 ? EmptyListOrFault(doc, answer) : 1;
        }
        BlogCategory category;
        category.name = TextAt(item, "member[name='categoryName']/value/string");
        // The published interface spells the member categoryId; older servers wrote categoryid.
        XmlNode id = item.SelectNode("member[name='categoryId']/value/string");
        if (id.IsNull()) {
            id = item.SelectNode("member[name='categoryid']/value/string");
        }
        category.id = id ? id.Text() : std::string();
        categories.push_back(std::move(category));
    }
}

}  // namespace zirvo
