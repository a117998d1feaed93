#include "core/editorlink/editor_document.h"

#include <gtest/gtest.h>

#include "core/editorlink/category_cache.h"
#include "core/editorlink/editor_task.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

EditorState State(int kind, const char* flavour = "MetaWeblog", bool hasLocalRow = false,
                  bool published = false) {
    EditorState state;
    state.taskKind = kind;
    state.flavour = flavour;
    state.hasLocalRow = hasLocalRow;
    state.published = published;
    return state;
}

bool Enabled(int command, const EditorState& state) {
    return EditorCommandRule(command, state).enabled;
}

TEST(EditorCommandRules, PublishAndSaveFollowTheArticlesState) {
    EXPECT_TRUE(Enabled(kCmdPublish, State(kTaskNewArticle)));
    EXPECT_FALSE(Enabled(kCmdPublish, State(kTaskNewArticle, "MetaWeblog", true, true)));

    EXPECT_TRUE(Enabled(kCmdSaveDraft, State(kTaskNewArticle)));
    EXPECT_FALSE(Enabled(kCmdSaveDraft, State(kTaskNewArticle, "MetaWeblog", true)));
    EXPECT_FALSE(Enabled(kCmdSaveDraft, State(kTaskEditDraft)));
    EXPECT_TRUE(Enabled(kCmdSaveDraft, State(kTaskEditPublished)));

    // The draft and the recycled article edit their own row; the others need a row first.
    EXPECT_TRUE(Enabled(kCmdSaveEdits, State(kTaskEditDraft)));
    EXPECT_TRUE(Enabled(kCmdSaveEdits, State(kTaskEditRecycled)));
    for (int kind : {kTaskNewArticle, kTaskEditReceived, kTaskEditPublished, kTaskFromFeedItem,
                     kTaskFromStagedItem}) {
        const CommandRule rule = EditorCommandRule(kCmdSaveEdits, State(kind));
        EXPECT_FALSE(rule.enabled) << kind;
        EXPECT_FALSE(rule.reason.empty()) << kind;
        EXPECT_TRUE(Enabled(kCmdSaveEdits, State(kind, "MetaWeblog", true))) << kind;
    }
}

TEST(EditorCommandRules, SeveralAccountsUploadAndCategoriesByKindAndFlavour) {
    for (int kind : {kTaskNewArticle, kTaskFromFeedItem, kTaskFromStagedItem}) {
        EXPECT_TRUE(Enabled(kCmdPublishSeveral, State(kind))) << kind;
        EXPECT_FALSE(Enabled(kCmdPublishSeveral, State(kind, "MetaWeblog", true, true))) << kind;
    }
    for (int kind : {kTaskEditReceived, kTaskEditPublished, kTaskEditDraft, kTaskEditRecycled}) {
        EXPECT_FALSE(Enabled(kCmdPublishSeveral, State(kind))) << kind;
    }
    EXPECT_TRUE(Enabled(kCmdUploadFile, State(kTaskNewArticle, "MetaWeblog")));
    EXPECT_FALSE(Enabled(kCmdUploadFile, State(kTaskNewArticle, "MetaWeblog", true, true)));
    for (const char* flavour : {"Blogger", "MovableType", "MSN Spaces"}) {
        EXPECT_FALSE(Enabled(kCmdUploadFile, State(kTaskNewArticle, flavour))) << flavour;
    }
    EXPECT_FALSE(Enabled(kCmdUpdateCategories, State(kTaskNewArticle, "Blogger")));
    EXPECT_TRUE(Enabled(kCmdUpdateCategories, State(kTaskNewArticle, "MovableType")));
    EXPECT_TRUE(Enabled(kCmdAccountSettings, State(kTaskNewArticle, "Blogger", true, true)));
    EXPECT_TRUE(Enabled(kCmdClose, State(kTaskNewArticle, "Blogger", true, true)));
}

TEST(EditorCommandRules, CtrlSSavesEditsWhenOfferedElseADraft) {
    EXPECT_EQ(SaveShortcutCommand(State(kTaskNewArticle)), kCmdSaveDraft);
    EXPECT_EQ(SaveShortcutCommand(State(kTaskNewArticle, "MetaWeblog", true)), kCmdSaveEdits);
    EXPECT_EQ(SaveShortcutCommand(State(kTaskEditDraft)), kCmdSaveEdits);
    EXPECT_EQ(SaveShortcutCommand(State(kTaskEditPublished)), kCmdSaveDraft);
    EXPECT_TRUE(PublishEditsServerPost(kTaskEditReceived));
    EXPECT_TRUE(PublishEditsServerPost(kTaskEditPublished));
    EXPECT_FALSE(PublishEditsServerPost(kTaskEditDraft));
    EXPECT_FALSE(PublishEditsServerPost(kTaskFromFeedItem));
}

TEST(CollectDocument, RefusesEmptyContentAndEmptyDivsInAnyCase) {
    BlogPost document;
    document.title = "kept";
    std::string refusal;
    for (const char* content : {"", "  \n", "<div></div>", "<DIV></DIV>", "<Div></dIv>"}) {
        CollectInput input;
        input.content = content;
        input.title = "new";
        EXPECT_FALSE(CollectDocument(State(kTaskNewArticle), input, document, refusal)) << content;
        EXPECT_EQ(refusal, kTextNoContent);
        EXPECT_EQ(document.title, "kept");
    }
}

TEST(CollectDocument, CutsTheTitleBetweenCharactersAndDropsTheChooseEntry) {
    CollectInput input;
    input.content = "<p>x</p>";
    input.title = std::string(60, 'a');
    input.category = kCategoryBoxChoose;
    BlogPost document;
    std::string refusal;
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle), input, document, refusal));
    EXPECT_EQ(document.title, std::string(50, 'a'));
    EXPECT_EQ(document.category, "");
    EXPECT_EQ(document.description, "<p>x</p>");

    // 24 Chinese characters and 3 letters: 51 GB18030 bytes, so the last letter goes; with 25
    // characters the cut would fall inside one, which goes whole.
    input.title = "一二三四五六七八九十一二三四五六七八九十一二三四abc";
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle), input, document, refusal));
    EXPECT_EQ(document.title, "一二三四五六七八九十一二三四五六七八九十一二三四ab");
    input.title = "a一二三四五六七八九十一二三四五六七八九十一二三四五";
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle), input, document, refusal));
    EXPECT_EQ(Gb18030Length(document.title), 49u);
    input.category = "随笔";
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle), input, document, refusal));
    EXPECT_EQ(document.category, "随笔");
}

TEST(CollectDocument, BloggerKeepsTheDocumentsTitleAndCategory) {
    CollectInput input;
    input.content = "<p>x</p>";
    input.title = "typed";
    input.category = "typed";
    BlogPost document;
    std::string refusal;
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle, "Blogger"), input, document, refusal));
    EXPECT_EQ(document.title, "");
    EXPECT_EQ(document.category, "");
}

TEST(CollectDocument, ExtendedOptionsOnlyForNewArticlesAndWithinTheirLimits) {
    CollectInput input;
    input.content = "<p>x</p>";
    input.extended.manualDate = true;
    input.extended.date = "2026-01-02 03:04:05";
    input.extended.systemCategory = "IT";
    input.extended.tags = std::string(255, 't');
    input.extended.excerpt = std::string(500, 'e');
    input.extended.trackback = std::string(1024, 'b');
    BlogPost document;
    std::string refusal;
    ASSERT_TRUE(CollectDocument(State(kTaskFromFeedItem), input, document, refusal));
    EXPECT_EQ(document.pubDate, "2026-01-02 03:04:05");
    EXPECT_EQ(document.category2, "IT");
    EXPECT_EQ(document.tags.size(), 255u);
    EXPECT_EQ(document.abstract.size(), 500u);
    EXPECT_EQ(document.trackback.size(), 1024u);

    input.extended.manualDate = false;
    input.extended.tags = std::string(256, 't');
    input.extended.excerpt = std::string(501, 'e');
    input.extended.trackback = std::string(1025, 'b');
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle), input, document, refusal));
    EXPECT_EQ(document.pubDate, "");
    EXPECT_EQ(document.tags, "");
    EXPECT_EQ(document.abstract, "");
    EXPECT_EQ(document.trackback, "");
    // 128 Chinese characters are 256 bytes: too many.
    std::string chinese;
    for (int i = 0; i < 128; ++i) {
        chinese += "标";
    }
    input.extended.tags = chinese;
    ASSERT_TRUE(CollectDocument(State(kTaskNewArticle), input, document, refusal));
    EXPECT_EQ(document.tags, "");

    // An existing article keeps what it held.
    BlogPost existing;
    existing.pubDate = "2001-01-01 00:00:00";
    input.extended.manualDate = true;
    input.extended.tags = "x";
    ASSERT_TRUE(CollectDocument(State(kTaskEditDraft), input, existing, refusal));
    EXPECT_EQ(existing.pubDate, "2001-01-01 00:00:00");
    EXPECT_EQ(existing.tags, "");
}

TEST(EditorDocument, StartsFromArticleOrFeedItemWithTheLinkEscaped) {
    BlogArticle article;
    article.title = "t";
    article.category = "c";
    article.content = "<p>body</p>";
    article.guid = "42";
    article.pubDate = "2006-05-01 08:30:00";
    const BlogPost fromArticle = DocumentFromArticle(article);
    EXPECT_EQ(fromArticle.title, "t");
    EXPECT_EQ(fromArticle.category, "c");
    EXPECT_EQ(fromArticle.description, "<p>body</p>");
    EXPECT_EQ(fromArticle.serverId, "42");

    const BlogPost fromItem =
        DocumentFromFeedItem("News", "http://example.com/a?b=1&c=2", "<b>desc</b>");
    EXPECT_EQ(fromItem.title, "News");
    EXPECT_EQ(fromItem.description,
              "<a href=\"http://example.com/a?b=1&amp;c=2\">http://example.com/a?b=1&amp;c=2</a>"
              "<p /><b>desc</b>");
    const BlogPost hostile = DocumentFromFeedItem("x", "\"><script>alert(1)</script>", "");
    EXPECT_EQ(hostile.description.find("<script>"), std::string::npos);
}

TEST(EditorDocument, ClosingAsksOnlyForUnsavedContent) {
    EXPECT_FALSE(ClosingAsks(State(kTaskNewArticle), ""));
    EXPECT_FALSE(ClosingAsks(State(kTaskNewArticle), "<div></div>"));
    EXPECT_TRUE(ClosingAsks(State(kTaskNewArticle), "<p>hello</p>"));
    EXPECT_FALSE(ClosingAsks(State(kTaskNewArticle, "MetaWeblog", true), "<p>hello</p>"));
    EXPECT_FALSE(ClosingAsks(State(kTaskNewArticle, "MetaWeblog", false, true), "<p>hello</p>"));
}

TEST(EditorDocument, PictureElementKeepsTheAddressInsideItsAttribute) {
    EXPECT_EQ(PictureElement("http://h/p.png"), "<img src=\"http://h/p.png\"/>");
    EXPECT_EQ(PictureElement("http://h/\" onerror=\"x"),
              "<img src=\"http://h/&quot; onerror=&quot;x\"/>");
}

}  // namespace
}  // namespace zirvo
