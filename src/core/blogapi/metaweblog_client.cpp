#include "core/blogapi/metaweblog_client.h"

#include "core/blogapi/post_dates.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kEmptyPostList = 4001;
constexpr const char* kAnswerArray = "/methodResponse/params/param/value/array/data";

int StructBuildFailure(int kind) {
    switch (kind) {
        case kBuildNewPost:
            return 1101;
        case kBuildCategories:
            return 1102;
        case kBuildRecentPosts:
            return 1104;
        case kBuildEditPost:
            return 1106;
        case kBuildMediaObject:
            return 1107;
        default:
            return 1101;
    }
}

// Every post or category struct of the answer's array, in answer order.
std::vector<XmlNode> AnswerStructs(const CXmlDocument& doc) {
    return doc.SelectNodes(std::string(kAnswerArray) + "/value/struct");
}

}  // namespace

std::string CategoryName(const CXmlRpcStruct& category) {
    return category.FirstText({"title", "categoryName", "description"});
}

std::string MediaTypeForExtension(const std::string& extension) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {"png", "image/png"},  {"jpg", "image/jpeg"},   {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},  {"webp", "image/webp"},  {"svg", "image/svg+xml"},
        {"bmp", "image/bmp"},  {"ico", "image/x-icon"}, {"pdf", "application/pdf"},
        {"mp3", "audio/mpeg"}, {"mp4", "video/mp4"},    {"zip", "application/zip"},
    };
    std::string lower = ToLowerAscii(Trim(extension));
    if (!lower.empty() && lower.front() == '.') {
        lower.erase(0, 1);
    }
    for (const auto& [ext, type] : kTypes) {
        if (lower == ext) {
            return type;
        }
    }
    return "application/octet-stream";
}

std::string CMetaWeblogClient::MemberPath(const std::string& name, const std::string& tail) {
    return ParamPath(3, "struct/member[name=\"" + name + "\"]/value/" + tail);
}

int CMetaWeblogClient::BuildStructRequest(int kind, CXmlDocument& doc) {
    const BlogRequestRecord& r = m_request;
    int failure = StructBuildFailure(kind);
    switch (kind) {
        case kBuildNewPost: {
            PostTime date;
            ParsePostDate(r.postIdOrDate, date);
            return FillNodes(
                doc, failure,
                {{ParamPath(1, "string"), r.userName},
                 {ParamPath(2, "string"), r.password},
                 {MemberPath("title", "string"), r.title},
                 {MemberPath("categories", "array/data/value/string"), r.category},
                 {MemberPath("categories2", "array/data/value/string"), r.category2},
                 {MemberPath("description", "string"), r.description},
                 {MemberPath("tags", "string"), r.tags},
                 {MemberPath("abstract", "string"), r.abstract},
                 {MemberPath("trackback", "string"), r.trackback},
                 {MemberPath("pubDate", "string"), r.postIdOrDate},
                 {MemberPath("dateCreated", "dateTime.iso8601"), FormatIso8601(date)}});
        }
        case kBuildCategories:
            return FillNodes(
                doc, failure,
                {{ParamPath(1, "string"), r.userName}, {ParamPath(2, "string"), r.password}});
        case kBuildRecentPosts:
            return FillNodes(doc, failure,
                             {{ParamPath(1, "string"), r.userName},
                              {ParamPath(2, "string"), r.password},
                              {ParamPath(3, "int"), r.postIdOrDate}});
        case kBuildEditPost:
            return FillNodes(doc, failure,
                             {{ParamPath(0, "string"), r.postIdOrDate},
                              {ParamPath(1, "string"), r.userName},
                              {ParamPath(2, "string"), r.password},
                              {MemberPath("title", "string"), r.title},
                              {MemberPath("categories", "array/data/value/string"), r.category},
                              {MemberPath("description", "string"), r.description}});
        case kBuildMediaObject:
            return FillNodes(doc, failure,
                             {{ParamPath(1, "string"), r.userName},
                              {ParamPath(2, "string"), r.password},
                              {MemberPath("name", "string"), r.title},
                              {MemberPath("type", "string"), r.category},
                              {MemberPath("bits", "base64"), r.description}});
        default:
            Messages().ShowById(failure);
            return 0;
    }
}

int CMetaWeblogClient::NewPost(const BlogPost& post, std::string& postId) {
    m_request.title = post.title;
    m_request.category = post.category;
    m_request.description = post.description;
    m_request.postIdOrDate = post.pubDate;
    m_request.spare = post.serverId;
    m_request.category2 = post.category2;
    m_request.tags = post.tags;
    m_request.abstract = post.abstract;
    m_request.trackback = post.trackback;
    PostTime parsed;
    if (m_request.postIdOrDate.empty() || !ParsePostDate(m_request.postIdOrDate, parsed)) {
        // An unreadable date must not reach the server as a nonsense timestamp.
        m_request.postIdOrDate = NowPostDate();
    }
    std::string answer;
    if (!Exchange(
            "METAWEBLOG_newPost.xml",
            [this](CXmlDocument& doc) { return BuildStructRequest(kBuildNewPost, doc); }, answer)) {
        return 0;
    }
    return ReadNewPostId(answer, postId);
}

int CMetaWeblogClient::EditPost(const std::string& postId, const std::string& title,
                                const std::string& category, const std::string& description,
                                int& accepted) {
    m_request.postIdOrDate = postId;
    m_request.title = title;
    m_request.category = category;
    m_request.description = description;
    std::string answer;
    if (!Exchange(
            "METAWEBLOG_editPost.xml",
            [this](CXmlDocument& doc) { return BuildStructRequest(kBuildEditPost, doc); },
            answer)) {
        return 0;
    }
    return ReadBooleanResult(answer, accepted);
}

int CMetaWeblogClient::GetRecentPosts(int count, std::vector<PostEntry>& entries) {
    m_request.postIdOrDate = StrFormat("%d", count);
    std::string answer;
    if (!Exchange(
            "METAWEBLOG_getRecentPosts.xml",
            [this](CXmlDocument& doc) { return BuildStructRequest(kBuildRecentPosts, doc); },
            answer)) {
        return 0;
    }
    int result = ReadPostList(answer, entries);
    KeepAtMost(entries, count);
    return result;
}

int CMetaWeblogClient::CategoryCall(const std::string& templateName,
                                    std::vector<BlogCategory>& categories) {
    std::string answer;
    if (!Exchange(
            templateName,
            [this](CXmlDocument& doc) { return BuildStructRequest(kBuildCategories, doc); },
            answer)) {
        return 0;
    }
    return ReadCategories(answer, categories);
}

int CMetaWeblogClient::GetCategories(std::vector<BlogCategory>& categories) {
    return CategoryCall("METAWEBLOG_getCategories.xml", categories);
}

int CMetaWeblogClient::GetCategories2(std::vector<BlogCategory>& categories) {
    return CategoryCall("METAWEBLOG_getCategories2.xml", categories);
}

int CMetaWeblogClient::NewMediaObject(const std::string& name, const std::string& type,
                                      const std::string& bitsBase64, std::string& url) {
    m_request.title = name;
    // The member is a media type; a bare extension (what the file dialog gives) is mapped.
    m_request.category = type.find('/') == std::string::npos ? MediaTypeForExtension(type) : type;
    m_request.description = bitsBase64;
    std::string answer;
    if (!Exchange(
            "METAWEBLOG_newMediaObject.xml",
            [this](CXmlDocument& doc) { return BuildStructRequest(kBuildMediaObject, doc); },
            answer)) {
        return 0;
    }
    return ReadMediaUrl(answer, url);
}

int CMetaWeblogClient::ReadMediaUrl(const std::string& answer, std::string& url) {
    CXmlDocument doc;
    doc.LoadMemory(answer);
    CXmlRpcStruct media(doc.SelectNode("/methodResponse/params/param/value/struct"));
    // An empty address would put a picture without source into the article.
    std::string address = Trim(media.Text("url"));
    if (address.empty()) {
        ShowFault(answer);
        return 0;
    }
    url = address;
    return 1;
}

int CMetaWeblogClient::ReadPostList(const std::string& answer, std::vector<PostEntry>& entries) {
    entries.clear();
    if (Trim(answer).empty()) {
        Messages().ShowById(kEmptyPostList);
        return 1;
    }
    CXmlDocument doc;
    doc.LoadMemory(answer);
    std::vector<XmlNode> items = AnswerStructs(doc);
    if (items.empty()) {
        return EmptyListOrFault(doc, answer);
    }
    entries.reserve(items.size());
    for (const XmlNode& item : items) {
        entries.push_back(PostEntryOf(CXmlRpcStruct(item)));
    }
    return 1;
}

PostEntry CMetaWeblogClient::PostEntryOf(const CXmlRpcStruct& post) {
    PostEntry entry;
    entry.title = post.Text("title");
    entry.description = post.Text("description");
    entry.dateCreated = post.Text("dateCreated");
    // The first category of the post.
    XmlNode categories = post.Value("categories");
    entry.categories = XmlRpcValueText(categories.SelectNode("array/data/value"));
    entry.postId = post.Text("postid");
    entry.userId = post.Text("userid");
    entry.link = post.Text("link");
    return entry;
}

int CMetaWeblogClient::ReadCategories(const std::string& answer,
                                      std::vector<BlogCategory>& categories) {
    categories.clear();
    CXmlDocument doc;
    doc.LoadMemory(answer);
    for (const XmlNode& item : AnswerStructs(doc)) {
        categories.push_back(BlogCategory{CategoryName(CXmlRpcStruct(item)), {}});
    }
    return categories.empty() ? EmptyListOrFault(doc, answer) : 1;
}

}  // namespace zirvo
