#pragma once
// The blog protocol client, Blogger flavour, and the base of the other three flavours
// (CMetaWeblogClient, CMovableTypeClient, CMsnSpacesClient): one inheritance chain in which a
// flavour overrides only what differs.
//
// Every remote operation loads its request template, fills fixed nodes from the request record
// with its builder (the number passed to the builder names the operation), posts the body and
// reads the answer from fixed paths. Each returns 1 on success and 0 on a failure it has already
// shown through the message dialog:
//   1000-range   a template lacks a node the builder fills (Blogger 1001..1005, struct 1101..1107)
//   2001         a template cannot be loaded
//   3001 / 4002  network failure / HTTP status above 399
//   4000         the server's fault, or an answer that is neither result nor fault
//   4001         an empty answer to a recent-posts request (result 1, empty list)
//
// Blogger requests (templates under Data/Templates/):
//   BLOGGER_getUsersBlogs.xml   param[1] user, param[2] password
//   BLOGGER_newPost.xml         param[2] user, param[3] password,
//                               param[4] WrapBloggerContent(title, description)
//   BLOGGER_editPost.xml        param[1] post id, param[2], param[3], param[4] as newPost
//   BLOGGER_deletePost.xml      param[1] post id, param[2] user, param[3] password
//   BLOGGER_getRecentPosts.xml  param[2] user, param[3] password, param[4]/int count
// Application key, blog id and publish flag are the templates' own values.
//
// Threading: a client is created and used on one thread; different threads use different
// clients.

#include <functional>
#include <string>
#include <vector>

#include "core/blogapi/blog_endpoint.h"
#include "core/blogapi/blog_post.h"
#include "core/blogapi/connection_settings.h"
#include "core/util/xml_document.h"

namespace zirvo {

// The values of the call being built; overwritten by each call. Media uploads reuse title,
// category and description as name, type and bits.
struct BlogRequestRecord {
    std::string userName;
    std::string password;
    std::string title;
    std::string category;
    std::string description;
    std::string postIdOrDate;  // post id (edit, delete), publication date (new), count (recent)
    std::string spare;
    std::string category2;
    std::string tags;
    std::string abstract;
    std::string trackback;
};

// Shown when a server takes a new post but answers with an empty post id.
inline constexpr const char* kTextNoPostId = "服务器没有返回文章编号，无法确认文章已经发布!";

// The content a Blogger request sends: "<title>" + the escaped title + "</title>" (left out when
// the title is empty), then "<p>" + description + "</p>".
std::string WrapBloggerContent(const std::string& title, const std::string& description);

// Builder kinds: which operation a request builder fills.
enum BuildKind {
    kBuildUsersBlogs = 0,
    kBuildNewPost = 1,
    kBuildCategories = 2,
    kBuildRecentPosts = 3,
    kBuildEditPost = 4,
    kBuildDeletePost = 5,
    kBuildMediaObject = 6,
};

class CBloggerClient {
public:
    CBloggerClient(const BlogEndpoint& account, const ConnectionSettings& connection,
                   const BlogClientServices& services);
    virtual ~CBloggerClient();
    CBloggerClient(const CBloggerClient&) = delete;
    CBloggerClient& operator=(const CBloggerClient&) = delete;

    // The first blog of the login: the connection test of the account wizard.
    virtual int GetUsersBlogs(std::string& url, std::string& blogId, std::string& blogName);
    // `accepted` is the answer's boolean (1 = true); a false answer still returns 1.
    virtual int DeletePost(const std::string& postId, int& accepted);
    virtual int GetRecentPosts(int count, std::vector<PostEntry>& entries);
    virtual int NewPost(const BlogPost& post, std::string& postId);
    virtual int EditPost(const std::string& postId, const std::string& title,
                         const std::string& category, const std::string& description,
                         int& accepted);

    virtual int ReadBooleanResult(const std::string& answer, int& out);
    virtual int ReadPostList(const std::string& answer, std::vector<PostEntry>& entries);
    virtual int ReadStringResult(const std::string& answer, std::string& out);
    virtual int ReadUsersBlogs(const std::string& answer, std::string& url, std::string& blogId,
                               std::string& blogName);
    virtual int BuildRequest(int kind, CXmlDocument& doc);
    // One exchange over the transport of the flavour: 1 with the raw answer bytes.
    virtual int PostXml(const std::string& requestBody, std::string& responseBody);

    const BlogEndpoint& Account() const { return m_account; }
    const ConnectionSettings& Connection() const { return m_connection; }
    const BlogRequestRecord& Request() const { return m_request; }
    // The address the server moved its endpoint to, when a call of this client was redirected
    // (the last final address seen); empty when no call was.
    const std::string& MovedTo() const { return m_movedTo; }

protected:
    // The call skeleton: template, builder, declaration and encoding, transport, decoding.
    // 1 with the answer as UTF-8 text.
    int Exchange(const std::string& templateName, const std::function<int(CXmlDocument&)>& build,
                 std::string& answer);
    // Sets every (path, value) pair; when a node is missing shows `failureNumber` and returns 0.
    int FillNodes(CXmlDocument& doc, int failureNumber,
                  const std::vector<std::pair<std::string, std::string>>& nodes);
    void ShowFault(const std::string& answer);
    CErrorMsgDialog& Messages() { return m_services.messages; }

    // "/methodCall/params/param[index]/value/" + tail.
    static std::string ParamPath(int index, const std::string& tail);

    // The new post's id through ReadStringResult; an empty id is a failure (message box).
    int ReadNewPostId(const std::string& answer, std::string& postId);
    // Drops the posts beyond the `count` that was asked for.
    static void KeepAtMost(std::vector<PostEntry>& entries, int count);

    // The list rule of the Blogger and MetaWeblog readers when the first item is missing: an
    // answer holding an array is an empty list (1); anything else is shown as a fault (0).
    int EmptyListOrFault(const CXmlDocument& answer, const std::string& text);

    BlogEndpoint m_account;
    ConnectionSettings m_connection;
    BlogClientServices m_services;
    BlogRequestRecord m_request;
    std::string m_movedTo;
};

}  // namespace zirvo
