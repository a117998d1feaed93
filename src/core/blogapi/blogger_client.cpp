#include "core/blogapi/blogger_client.h"

#include "core/blogapi/blog_transport.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/strings.h"
#include "core/util/xml_text.h"

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

}  // namespace

std::string WrapBloggerContent(const std::string& title, const std::string& description) {
    // The Blogger interface has no title parameter; servers that read a title take it from this
    // element, so it carries the post's own title (a fixed placeholder would rename every post),
    // and a post without a title sends no element at all.
    std::string content;
    if (!title.empty()) {
        content = "<title>" + XmlTextContent(title) + "</title>";
    }
    return content + "<p>" + description + "</p>";
}

namespace {}  // namespace

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
                       requestBody, responseBody, &m_movedTo);
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
            return FillNodes(
                doc, failure,
                {{ParamPath(2, "string"), r.userName},
                 {ParamPath(3, "string"), r.password},
                 {ParamPath(4, "string"), WrapBloggerContent(r.title, r.description)}});
        case kBuildRecentPosts:
            return FillNodes(doc, failure,
                             {{ParamPath(2, "string"), r.userName},
                              {ParamPath(3, "string"), r.password},
                              {ParamPath(4, "int"), r.postIdOrDate}});
        case kBuildEditPost:
            return FillNodes(
                doc, failure,
                {{ParamPath(1, "string"), r.postIdOrDate},
                 {ParamPath(2, "string"), r.userName},
                 {ParamPath(3, "string"), r.password},
                 {ParamPath(4, "string"), WrapBloggerContent(r.title, r.description)}});
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
    return ReadNewPostId(answer, postId);
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
    int result = ReadPostList(answer, entries);
    KeepAtMost(entries, count);
    return result;
}

void CBloggerClient::KeepAtMost(std::vector<PostEntry>& entries, int count) {
    // A server may send more posts than were asked for; the received folder holds what the
    // user asked for and no more.
    if (count >= 0 && entries.size() > static_cast<size_t>(count)) {
        entries.resize(static_cast<size_t>(count));
    }
}

int CBloggerClient::ReadNewPostId(const std::string& answer, std::string& postId) {
    std::string id;
    if (!ReadStringResult(answer, id)) {
        return 0;
    }
    // Without an id the post can be neither edited nor deleted later, and nothing says that the
    // server kept it: the article stays where it was.
    if (Trim(id).empty()) {
        Messages().ShowMessageBox(kTextNoPostId);
        return 0;
    }
    postId = Trim(id);
    return 1;
}

int CBloggerClient::ReadStringResult(const std::string& answer, std::string& out) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    // Servers send a new post's id as <string>, as <int>/<i4> or untyped; all of them are the id.
    if (XmlNode value = doc.SelectNode("/methodResponse/params/param[0]/value")) {
        XmlNode typed = value.FirstChild();
        if (typed.IsNull() || typed.Name() == "string" || typed.Name() == "int" ||
            typed.Name() == "i4") {
            out = XmlRpcValueText(value);
            return 1;
        }
    }
    ShowFault(answer);
    return 0;
}

int CBloggerClient::ReadBooleanResult(const std::string& answer, int& out) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    // <boolean> is 1 or 0, but servers also write true/false, and some answer with an int or an
    // untyped value; a confirmation must never read as a refusal.
    if (XmlNode value = doc.SelectNode("/methodResponse/params/param[0]/value")) {
        XmlNode typed = value.FirstChild();
        if (typed.IsNull() || typed.Name() == "boolean" || typed.Name() == "int" ||
            typed.Name() == "i4" || typed.Name() == "string") {
            if (ParseXmlRpcBoolean(XmlRpcValueText(value), out)) {
                return 1;
            }
        }
    }
    ShowFault(answer);
    return 0;
}

int CBloggerClient::ReadUsersBlogs(const std::string& answer, std::string& url, std::string& blogId,
                                   std::string& blogName) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    CXmlRpcStruct blog(doc.SelectNode(std::string(kAnswerArray) + "/value[0]/struct"));
    if (blog.Value("url").IsNull()) {
        ShowFault(answer);
        return 0;
    }
    url = blog.Text("url");
    blogId = blog.Text("blogid");
    blogName = blog.Text("blogName");
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
    // One pass over the array: looking each item up by its position would make a long list
    // cost the square of its length.
    std::vector<XmlNode> items = doc.SelectNodes(std::string(kAnswerArray) + "/value");
    if (items.empty()) {
        return EmptyListOrFault(doc, answer);
    }
    entries.reserve(items.size());
    for (const XmlNode& item : items) {
        CXmlRpcStruct post(item.FirstChild("struct"));
        PostEntry entry;
        entry.description = post.Text("content");
        entry.dateCreated = post.Text("dateCreated");
        entry.postId = post.Text("postid");
        entry.userId = post.Text("userid");
        entries.push_back(std::move(entry));
    }
    return 1;
}

}  // namespace zirvo
