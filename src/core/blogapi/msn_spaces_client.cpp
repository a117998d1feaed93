#include "core/blogapi/msn_spaces_client.h"

#include "core/blogapi/blog_transport.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kEmptyPostList = 4001;

constexpr const char* kAnswerItems = "/methodResponse/params/param/value/array/data/value";

}  // namespace

int CMsnSpacesClient::PostXml(const std::string& requestBody, std::string& responseBody) {
    return PostXmlOver(m_services.http, Messages(), m_connection, TransportVariant::MsnSpaces,
                       requestBody, responseBody, &m_movedTo);
}

int CMsnSpacesClient::ReadStringResult(const std::string& answer, std::string& out) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    XmlNode node = doc.SelectNode("/methodResponse/params/param/value");
    if (node.IsNull()) {
        ShowFault(answer);
        return 0;
    }
    // The service answers untyped; a typed string or number is read the same way.
    out = node.FirstChild() ? XmlRpcValueText(node) : node.Text();
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
    for (const XmlNode& item : doc.SelectNodes(kAnswerItems)) {
        XmlNode structNode = item.FirstChild("struct");
        if (structNode.IsNull()) {
            break;
        }
        CXmlRpcStruct post(structNode);
        PostEntry entry;
        entry.title = post.Text("title");
        entry.description = post.Text("description");
        // Every category of the post, run together as the service's pages show them.
        XmlNode categories = post.Value("categories");
        if (XmlNode data = categories.SelectNode("array/data")) {
            for (XmlNode value = data.FirstChild("value"); value;
                 value = value.NextSibling("value")) {
                entry.categories += XmlRpcValueText(value);
            }
        }
        entry.dateCreated = post.Text("dateCreated");
        entry.postId = post.Text("postid");
        entries.push_back(std::move(entry));
    }
    if (entries.empty() && HasFaultCode(doc, false)) {
        ShowFault(answer);
        return 0;
    }
    return 1;
}

int CMsnSpacesClient::ReadCategories(const std::string& answer,
                                     std::vector<BlogCategory>& categories) {
    categories.clear();
    CXmlDocument doc;
    doc.LoadMemory(answer);
    for (const XmlNode& item : doc.SelectNodes(kAnswerItems)) {
        XmlNode structNode = item.FirstChild("struct");
        if (structNode.IsNull()) {
            break;
        }
        categories.push_back(BlogCategory{CategoryName(CXmlRpcStruct(structNode)), {}});
    }
    return categories.empty() ? EmptyListOrFault(doc, answer) : 1;
}

}  // namespace zirvo
