#pragma once
// The editor's rules that need no window: which commands are offered in which state (with the
// reason shown when one is not), how the article is collected from the window for a save or a
// publish, what a task starts with, and when closing asks first.
//
// The document is a BlogPost (core/blogapi/blog_post.h). Limits count bytes of the text encoded
// in GB18030, so ten Chinese characters count twenty: the title is cut to 50 bytes between two
// characters; tags over 255, an excerpt over 500 and a trackback over 1024 bytes are dropped
// (sent empty) rather than cut, since half a tag list or address is worse than none.
//
// Threading: pure functions; any thread.

#include <string>

#include "core/articles/blog_article.h"
#include "core/blogapi/blog_post.h"

namespace zirvo {

// The editor's command ids (menu "日志" and the tool bar).
enum EditorCommandId : int {
    kCmdPublish = 22772,           // "发布当前日志"
    kCmdSaveDraft = 22773,         // "保存为草稿"
    kCmdUploadFile = 22774,        // "上传文件"
    kCmdUpdateCategories = 22775,  // "更新分类"
    kCmdSaveEdits = 22776,         // "保存编辑"
    kCmdAccountSettings = 22777,   // "帐户设置"
    kCmdPublishSeveral = 22784,    // "同时发布"
    kCmdClose = 57665,             // "关闭"
};

inline constexpr size_t kMaxTitleBytes = 50;
inline constexpr size_t kMaxTagsBytes = 255;
inline constexpr size_t kMaxExcerptBytes = 500;
inline constexpr size_t kMaxTrackbackBytes = 1024;

inline constexpr const char* kTextNoContent = "没有输入内容!";
inline constexpr const char* kTextGetContentFailed = "获取内容失败!";
inline constexpr const char* kTextCloseUnsaved = "您的文章尚未发布或者保存!\n确定要退出吗?";
inline constexpr const char* kTextBloggerNoTitle = "您选择的博客服务类型不支持标题和分类";
inline constexpr const char* kTextExtendedNote =
    "注意: 高级设置不会保存到本地日志中。请正式发布时填写。";

// What the enable rules look at.
struct EditorState {
    int taskKind = -1;
    std::string flavour;  // the account's `blogapitype`
    bool hasLocalRow = false;
    bool published = false;
};

struct CommandRule {
    bool enabled = true;
    std::string reason;  // why not, when disabled (the command's tool tip)
};

CommandRule EditorCommandRule(int command, const EditorState& state);

// Whether "保存编辑" writes the task's row: kind 3 (the draft) and 4 (the recycled article) edit
// their own row; any kind once the editor has stored the article itself.
bool SaveEditsWritesRow(const EditorState& state);
// Ctrl+S: the edits when "保存编辑" is offered, else a new draft; 0 when neither is offered.
int SaveShortcutCommand(const EditorState& state);
// Publishing kinds 1 and 2 edits the existing post on the server; the others send a new one.
bool PublishEditsServerPost(int taskKind);

// An empty page, or one whose content is an empty div in any case.
bool IsEmptyContent(const std::string& content);

// The extended options as the window holds them.
struct ExtendedOptions {
    bool manualDate = false;
    std::string date;  // "%Y-%m-%d %H:%M:%S", used when manualDate
    std::string systemCategory;
    std::string tags;
    std::string excerpt;
    std::string trackback;
};

struct CollectInput {
    std::string content;   // the page's output
    std::string title;     // the title box
    std::string category;  // the category box's text; "---选择---" counts as empty
    ExtendedOptions extended;
};

// Fills `document` from the window for a save or a publish. False with `refusal` set
// ("没有输入内容!") when there is nothing to save; `document` is then unchanged.
bool CollectDocument(const EditorState& state, const CollectInput& input, BlogPost& document,
                     std::string& refusal);

// A task's article as the document starts: title, category, content, server id and date.
BlogPost DocumentFromArticle(const BlogArticle& article);
// A feed item made into a new article: the title, and the link (as a link) over the
// description. The link is escaped, so a hostile one cannot leave its attribute.
BlogPost DocumentFromFeedItem(const std::string& title, const std::string& link,
                              const std::string& description);

// Closing asks only when nothing was saved or published and the page holds something.
bool ClosingAsks(const EditorState& state, const std::string& content);

// The element inserted for an uploaded picture; the address is escaped for its attribute.
std::string PictureElement(const std::string& url);

// Text for an HTML attribute or element: & < > " ' escaped.
std::string EscapeHtml(const std::string& text);

}  // namespace zirvo
