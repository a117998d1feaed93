#include "core/blogapi/msn_spaces_client.h"

#include "core/blogapi/blog_transport.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kEmptyPostList = 4001;

std::string TextAt(const XmlNode& item, const std::string& path) {
    XmlNode node = item.SelectNode(path);
    return node ? node.Text() : std::string();
}

std::string NthItemStructPath(int n) {
    return StrFormat("/methodResponse/params/param/value/array/data/value[%d]/struct", n);
}

}  // namespace

int CMsnSpacesClient::PostXml(const std::string& requestBody, std::string& responseBody) {
    return PostXmlOver(m_services.http, Messages(), m_connection, TransportVariant::MsnSpaces,
                       requestBody, responseBody);
}

int CMsnSpacesClient::ReadStringResult(const std::string& answer, std::string& out) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    XmlNode node = doc.SelectNode("/methodResponse/params/param/value");
    if (node.IsNull()) {
        ShowFault(answer);
        return 0;
    }
    out = node.Text();
    return 1;
}

int CMsnSpacesClient::ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) {
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
            if (n == 0 && HasFaultCode(doc, false)) {
                ShowFault(answer);
                return 0;
            }
            return 1;
        }
        PostEntry entry;
        entry.title = TextAt(item, "member[name='title']/value");
        entry.description = TextAt(item, "member[name='description']/value");
        // Every category of the post, run together as the service's pages show them.
        entry.categories = TextAt(item, "member[name='categories']/value/array/data");
        entry.dateCreated = TextAt(item, "member[name='dateCreated']/value/dateTime.iso8601");
        entry.postId = TextAt(item, "member[name='postid']/value");
        entries.push_back(std::move(entry));
    }
}

int CMsnSpacesClient::ReadCategories(const std::string& answer,
                                     std::vector<BlogCategory>& categories) {
    categories.clear();
    CXmlDocument doc;
    doc.LoadMemory(answer);
    for (int n = 0;; ++n) {
        XmlNode item = doc.SelectNode(NthItemStructPath(n));
        if (item.IsNull()) {
            return n == 0 ? EmptyListOrFault(doc, answer) : 1;
        }
        categories.push_back(BlogCategory{TextAt(item, "member[name='title']/value"), {}});
    }
}

}  // namespace zirvo
