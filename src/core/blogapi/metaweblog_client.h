#pragma once
// The MetaWeblog flavour: posts as structs, categories and media upload. Deleting posts and the
// users-blogs test stay Blogger calls.
//
// Requests (member m = /methodCall/params/param[3]/value/struct/member[name="m"]/value):
//   METAWEBLOG_newPost.xml          param[1] user, param[2] password; member title, categories
//                                   (one value), categories2 (one value), description, tags,
//                                   abstract, trackback, pubDate (text), dateCreated (iso8601)
//   METAWEBLOG_editPost.xml         param[0] post id, param[1], param[2]; member title,
//                                   categories, description
//   METAWEBLOG_getRecentPosts.xml   param[1], param[2], param[3]/int count
//   METAWEBLOG_getCategories.xml    param[1], param[2]   (the blog's categories)
//   METAWEBLOG_getCategories2.xml   param[1], param[2]   (the service's system categories)
//   METAWEBLOG_newMediaObject.xml   param[1], param[2]; member name, type, bits (base64)
// A new post without a usable publication date is sent with the current local time.
// Answers are read whatever their value types (see XmlRpcValueText); recent posts beyond the
// count asked for are dropped.
//
// Threading: as CBloggerClient.

#include "core/blogapi/blogger_client.h"
#include "core/blogapi/xml_rpc.h"

namespace zirvo {

// The name of a category struct. Servers name a category by `title`, `categoryName` or
// `description` (WordPress sends no title); the first of them that is not blank, in this order.
std::string CategoryName(const CXmlRpcStruct& category);

// The media type sent for a file extension (without the dot, any case): png, jpg/jpeg, gif,
// webp, svg, bmp, ico, pdf, mp3, mp4 and zip have theirs; anything else is
// "application/octet-stream".
std::string MediaTypeForExtension(const std::string& extension);

class CMetaWeblogClient : public CBloggerClient {
public:
    using CBloggerClient::CBloggerClient;

    int GetRecentPosts(int count, std::vector<PostEntry>& entries) override;
    int NewPost(const BlogPost& post, std::string& postId) override;
    int EditPost(const std::string& postId, const std::string& title, const std::string& category,
                 const std::string& description, int& accepted) override;
    int ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) override;

    // `bitsBase64` is the file's content in standard Base64; `url` receives where it now lives.
    virtual int NewMediaObject(const std::string& name, const std::string& type,
                               const std::string& bitsBase64, std::string& url);
    virtual int GetCategories(std::vector<BlogCategory>& categories);
    virtual int ReadMediaUrl(const std::string& answer, std::string& url);
    virtual int ReadCategories(const std::string& answer, std::vector<BlogCategory>& categories);
    virtual int BuildStructRequest(int kind, CXmlDocument& doc);

    // The service's system-wide categories (the editor's "系统分类").
    int GetCategories2(std::vector<BlogCategory>& categories);

protected:
    // The fields of one post struct of a recent-posts answer.
    static PostEntry PostEntryOf(const CXmlRpcStruct& post);
    // "/methodCall/params/param[3]/value/struct/member[name=\"" + name + "\"]/value/" + tail.
    static std::string MemberPath(const std::string& name, const std::string& tail);
    int CategoryCall(const std::string& templateName, std::vector<BlogCategory>& categories);
};

}  // namespace zirvo
