#include "core/editorlink/editor_document.h"

#include "core/accounts/account_records.h"
#include "core/editorlink/category_cache.h"
#include "core/editorlink/editor_task.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "core/util/xml_text.h"

namespace zirvo {

namespace {

const char kReasonPublished[] = "这篇日志已经发布";

bool IsNewArticleKind(int kind) {
    return kind == kTaskNewArticle || kind == kTaskFromFeedItem || kind == kTaskFromStagedItem;
}

// A text over its limit is dropped whole.
std::string WithinLimit(const std::string& text, size_t maxBytes) {
    return Gb18030Length(text) > maxBytes ? std::string() : text;
}

CommandRule Disabled(std::string reason) {
    return CommandRule{false, std::move(reason)};
}

}  // namespace

bool SaveEditsWritesRow(const EditorState& state) {
    return state.hasLocalRow || state.taskKind == kTaskEditDraft ||
           state.taskKind == kTaskEditRecycled;
}

CommandRule EditorCommandRule(int command, const EditorState& state) {
    switch (command) {
        case kCmdPublish:
            return state.published ? Disabled(kReasonPublished) : CommandRule{};
        case kCmdSaveDraft:
            if (state.taskKind == kTaskEditDraft) {
                return Disabled("这篇日志就在草稿箱中, 请用\"保存编辑\"");
            }
            return state.hasLocalRow ? Disabled("这篇日志已经保存, 以后的修改请用\"保存编辑\"")
                                     : CommandRule{};
        case kCmdSaveEdits:
            return SaveEditsWritesRow(state)
                       ? CommandRule{}
                       : Disabled("这篇日志还没有保存到本地, 请先\"保存为草稿\"");
        case kCmdPublishSeveral:
            if (!IsNewArticleKind(state.taskKind)) {
                return Disabled("只有新日志可以同时发布到多个博客");
            }
            return state.published ? Disabled(kReasonPublished) : CommandRule{};
        case kCmdUploadFile:
            if (state.flavour != kApiMetaWeblog) {
                return Disabled("只有 MetaWeblog 类型的博客可以上传文件");
            }
            return state.published ? Disabled(kReasonPublished) : CommandRule{};
        case kCmdUpdateCategories:
            return FlavourHasCategories(state.flavour) ? CommandRule{}
                                                       : Disabled("这种博客服务类型没有分类");
        default:
            return CommandRule{};
    }
}

int SaveShortcutCommand(const EditorState& state) {
    if (EditorCommandRule(kCmdSaveEdits, state).enabled) {
        return kCmdSaveEdits;
    }
    if (EditorCommandRule(kCmdSaveDraft, state).enabled) {
        return kCmdSaveDraft;
    }
    return 0;
}

bool PublishEditsServerPost(int taskKind) {
    return taskKind == kTaskEditReceived || taskKind == kTaskEditPublished;
}

bool IsEmptyContent(const std::string& content) {
    const std::string trimmed = Trim(content);
    return trimmed.empty() || EqualsIgnoreCaseAscii(trimmed, "<div></div>");
}

bool CollectDocument(const EditorState& state, const CollectInput& input, BlogPost& document,
                     std::string& refusal) {
    if (IsEmptyContent(input.content)) {
        refusal = kTextNoContent;
        return false;
    }
    document.description = input.content;
    if (state.flavour != kApiBlogger) {
        document.title = input.title;
        document.category = input.category == kCategoryBoxChoose ? std::string() : input.category;
    }
    document.title = CutToGb18030Bytes(document.title, kMaxTitleBytes);
    if (IsNewArticleKind(state.taskKind)) {
        const ExtendedOptions& extended = input.extended;
        document.pubDate = extended.manualDate ? extended.date : std::string();
        document.category2 = extended.systemCategory;
        document.tags = WithinLimit(extended.tags, kMaxTagsBytes);
        document.abstract = WithinLimit(extended.excerpt, kMaxExcerptBytes);
        document.trackback = WithinLimit(extended.trackback, kMaxTrackbackBytes);
    }
    return true;
}

BlogPost DocumentFromArticle(const BlogArticle& article) {
    BlogPost document;
    document.title = article.title;
    document.category = article.category;
    document.description = article.content;
    document.serverId = article.guid;
    document.pubDate = article.pubDate;
    return document;
}

BlogPost DocumentFromFeedItem(const std::string& title, const std::string& link,
                              const std::string& description) {
    BlogPost document;
    document.title = title;
    const std::string escaped = EscapeHtml(link);
    document.description =
        "<a href=\"" + escaped + "\">" + escaped + "</a>" + "<p />" + description;
    return document;
}

bool ClosingAsks(const EditorState& state, const std::string& content) {
    return !state.published && !state.hasLocalRow && !IsEmptyContent(content);
}

std::string PictureElement(const std::string& url) {
    return "<img src=\"" + EscapeHtml(url) + "\"/>";
}

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    AppendMarkupEscaped(out, text, MarkupQuotes::Both);
    return out;
}

}  // namespace zirvo
