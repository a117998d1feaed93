#include "core/blogapi/blogger_client.h"

#include "core/blogapi/blog_transport.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kEmptyPostList = 4001;
constexpr const char* kAnswerArray = "/methodResponse/params/param/value/array/data";

int BloggerBuildFailure(int kind) {
    switch (kind) {
        case kBuildUsersBlogs:
            return 1001;
        case kBuildNewPost:
            return 1002;
        case kBuildRecentPosts:
            return 1003;
        case kBuildEditPost:
            return 1004;
        case kBuildDeletePost:
            return 1005;
        default:
            return 1001;
    }
}

std::string WrapBloggerContent(const std::string& description) {
    // Blogger posts have no title field: the wrapper's title is fixed text, not the post's.
    return "<title>aaa</title><p>" + description + "</p>";
}

std::string TextAt(const XmlNode& item, const std::string& path) {
    XmlNode node = item.SelectNode(path);
    return node ? node.Text() : std::string();
}

}  // namespace

CBloggerClient::CBloggerClient(const BlogEndpoint& account, const ConnectionSettings& connection,
                               const BlogClientServices& services)
    : m_account(account), m_connection(connection), m_services(services) {
    m_request.userName = account.userName;
    m_request.password = account.password;
}

CBloggerClient::~CBloggerClient() = default;

std::string CBloggerClient::ParamPath(int index, const std::string& tail) {
    return StrFormat("/methodCall/params/param[%d]/value/", index) + tail;
}

int CBloggerClient::Exchange(const std::string& templateName,
                             const std::function<int(CXmlDocument&)>& build, std::string& answer) {
    CXmlDocument doc;
    if (!LoadRequestTemplate(m_services.dataRoot, templateName, doc, Messages())) {
        return 0;
    }
    if (!build(doc)) {
        return 0;
    }
    std::string raw;
    if (!PostXml(EncodeRequest(doc, m_connection.encodeType), raw)) {
        return 0;
    }
    answer = DecodeAnswer(raw, m_connection.encodeType);
    return 1;
}

int CBloggerClient::FillNodes(CXmlDocument& doc, int failureNumber,
                              const std::vector<std::pair<std::string, std::string>>& nodes) {
    for (const auto& [path, value] : nodes) {
        if (!SetNodeText(doc, path, value)) {
            Messages().ShowById(failureNumber);
            return 0;
        }
    }
    return 1;
}

void CBloggerClient::ShowFault(const std::string& answer) {
    zirvo::ShowFault(answer, Messages());
}

int CBloggerClient::EmptyListOrFault(const CXmlDocument& answer, const std::string& text) {
    if (answer.SelectNode(kAnswerArray)) {
        return 1;
    }
    ShowFault(text);
    return 0;
}

int CBloggerClient::PostXml(const std::string& requestBody, std::string& responseBody) {
    return PostXmlOver(m_services.http, Messages(), m_connection, TransportVariant::Standard,
                       requestBody, responseBody);
}

int CBloggerClient::BuildRequest(int kind, CXmlDocument& doc) {
    const BlogRequestRecord& r = m_request;
    int failure = BloggerBuildFailure(kind);
    switch (kind) {
        case kBuildUsersBlogs:
            return FillNodes(
                doc, failure,
                {{ParamPath(1, "string"), r.userName}, {ParamPath(2, "string"), r.password}});
        case kBuildNewPost:
            return FillNodes(doc, failure,
                             {{ParamPath(2, "string"), r.userName},
                              {ParamPath(3, "string"), r.password},
                              {ParamPath(4, "string"), WrapBloggerContent(r.description)}});
        case kBuildRecentPosts:
            return FillNodes(doc, failure,
                             {{ParamPath(2, "string"), r.userName},
                              {ParamPath(3, "string"), r.password},
                              {ParamPath(4, "int"), r.postIdOrDate}});
        case kBuildEditPost:
            return FillNodes(doc, failure,
                             {{ParamPath(1, "string"), r.postIdOrDate},
                              {ParamPath(2, "string"), r.userName},
                              {ParamPath(3, "string"), r.password},
                              {ParamPath(4, "string"), WrapBloggerContent(r.description)}});
        case kBuildDeletePost:
            return FillNodes(doc, failure,
                             {{ParamPath(1, "string"), r.postIdOrDate},
                              {ParamPath(2, "string"), r.userName},
                              {ParamPath(3, "string"), r.password}});
        default:
            Messages().ShowById(failure);
            return 0;
    }
}

int CBloggerClient::GetUsersBlogs(std::string& url, std::string& blogId, std::string& blogName) {
    std::string answer;
    if (!Exchange(
            "BLOGGER_getUsersBlogs.xml",
            [this](CXmlDocument& doc) { return BuildRequest(kBuildUsersBlogs, doc); }, answer)) {
        return 0;
    }
    return ReadUsersBlogs(answer, url, blogId, blogName);
}

int CBloggerClient::NewPost(const BlogPost& post, std::string& postId) {
    m_request.title = post.title;
    m_request.category = post.category;
    m_request.description = post.description;
    m_request.postIdOrDate = post.pubDate;
    std::string answer;
    if (!Exchange(
            "BLOGGER_newPost.xml",
            [this](CXmlDocument& doc) { return BuildRequest(kBuildNewPost, doc); }, answer)) {
        return 0;
    }
    return ReadStringResult(answer, postId);
}

int CBloggerClient::EditPost(const std::string& postId, const std::string& title,
                             const std::string& category, const std::string& description,
                             int& accepted) {
    m_request.postIdOrDate = postId;
    m_request.title = title;
    m_request.category = category;
    m_request.description = description;
    std::string answer;
    if (!Exchange(
            "BLOGGER_editPost.xml",
            [this](CXmlDocument& doc) { return BuildRequest(kBuildEditPost, doc); }, answer)) {
        return 0;
    }
    return ReadBooleanResult(answer, accepted);
}

int CBloggerClient::DeletePost(const std::string& postId, int& accepted) {
    m_request.postIdOrDate = postId;
    std::string answer;
    if (!Exchange(
            "BLOGGER_deletePost.xml",
            [this](CXmlDocument& doc) { return BuildRequest(kBuildDeletePost, doc); }, answer)) {
        return 0;
    }
    return ReadBooleanResult(answer, accepted);
}

int CBloggerClient::GetRecentPosts(int count, std::vector<PostEntry>& entries) {
    m_request.postIdOrDate = StrFormat("%d", count);
    std::string answer;
    if (!Exchange(
            "BLOGGER_getRecentPosts.xml",
            [this](CXmlDocument& doc) { return BuildRequest(kBuildRecentPosts, doc); }, answer)) {
        return 0;
    }
    return ReadPostList(answer, entries);
}

int CBloggerClient::ReadStringResult(const std::string& answer, std::string& out) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    if (XmlNode node = doc.SelectNode("/methodResponse/params/param[0]/value/string")) {
        out = node.Text();
        return 1;
    }
    // Many servers send a new post's id untyped or as a number; taking it keeps a post that
    // was created from being reported as a failure (and published twice).
    if (XmlNode value = doc.SelectNode("/methodResponse/params/param[0]/value")) {
        XmlNode typed = value.FirstChild();
        if (typed.IsNull() || typed.Name() == "int" || typed.Name() == "i4") {
            out = Trim(value.Text());
            return 1;
        }
    }
    ShowFault(answer);
    return 0;
}

int CBloggerClient::ReadBooleanResult(const std::string& answer, int& out) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    if (XmlNode node = doc.SelectNode("/methodResponse/params/param[0]/value/boolean")) {
        out = ToInt(node.Text());
        return 1;
    }
    ShowFault(answer);
    return 0;
}

int CBloggerClient::ReadUsersBlogs(const std::string& answer, std::string& url, std::string& blogId,
                                   std::string& blogName) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    const std::string first = std::string(kAnswerArray) + "/value[0]/struct/";
    XmlNode urlNode = doc.SelectNode(first + "member[name='url']/value");
    if (urlNode.IsNull()) {
        ShowFault(answer);
        return 0;
    }
    url = urlNode.Text();
    blogId = TextAt(doc.Root(), first + "member[name='blogid']/value");
    blogName = TextAt(doc.Root(), first + "member[name='blogName']/value");
    return 1;
}

int CBloggerClient::ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) {
    entries.clear();
    if (Trim(answer).empty()) {
        Messages().ShowById(kEmptyPostList);
        return 1;
    }
    CXmlDocument doc;
    doc.LoadMemory(answer);
    for (int n = 0;; ++n) {
        XmlNode item = doc.SelectNode(std::string(kAnswerArray) + StrFormat("/value[%d]", n));
        if (item.IsNull()) {
            return n == 0 ? EmptyListOrFault(doc, answer) : 1;
        }
        PostEntry entry;
        entry.description = TextAt(item, "struct/member[name='content']/value/string");
        entry.dateCreated =
            TextAt(item, "struct/member[name='dateCreated']/value/dateTime.iso8601");
        entry.postId = TextAt(item, "struct/member[name='postid']/value/string");
        entry.userId = TextAt(item, "struct/member[name='userid']/value/string");
        entries.push_back(std::move(entry));
    }
}

}  // namespace zirvo
