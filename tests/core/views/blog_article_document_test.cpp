#include "core/views/blog_article_document.h"

#include <gtest/gtest.h>

#include <string>

#include "core/views/skin_renderer.h"

namespace zirvo {
namespace {

std::string ShippedLogSkin(const std::string& name) {
    return std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/Data/LogSkin/" + name + ".xsl";
}

BlogArticle Hostile() {
    BlogArticle article;
    article.id = 3;
    article.title = "标题]]><script>x</script>\x01\x1b end";
    article.pubDate = "2006-01-05 08:30:00";
    article.category = "技术";
    article.content = "<p>正文 <b>粗</b></p>";
    return article;
}

TEST(BlogArticleDocument, IsOneLineWithTheTemplateAndEveryTextInCdata) {
    BlogArticle article;
    article.title = "t";
    article.pubDate = "d";
    article.category = "c";
    article.content = "<p>x</p>";
    EXPECT_EQ(BuildBlogArticleDocument(article, "默认"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              "<?xml-stylesheet type=\"text/xsl\" href=\"默认.xsl\"?>"
              "<root><title><![CDATA[t]]></title><pubdate><![CDATA[d]]></pubdate>"
              "<category><![CDATA[c]]></category><description><![CDATA[<p>x</p>]]></description>"
              "</root>");
}

// Both shipped templates render a title that tries to close its CDATA section and carries
// control characters: the text shows as text, no markup of the title reaches the page.
TEST(BlogArticleDocument, ShippedTemplatesRenderHostileTitlesAsText) {
    for (const char* skin : {"默认", "夜间"}) {
        SCOPED_TRACE(skin);
        SkinRenderResult result =
            RenderWithSkin(ShippedLogSkin(skin), BuildBlogArticleDocument(Hostile(), skin));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_NE(result.html.find("标题]]&gt;&lt;script&gt;x&lt;/script&gt;"), std::string::npos);
        EXPECT_EQ(result.html.find("<script>"), std::string::npos);
        EXPECT_NE(result.html.find("<b>粗</b>"), std::string::npos);
        EXPECT_NE(result.html.find("2006-01-05 08:30:00"), std::string::npos);
        EXPECT_NE(result.html.find("技术"), std::string::npos);
    }
}

TEST(BlogArticleDocument, TemplateNamesCannotLeaveTheTemplateFolder) {
    EXPECT_EQ(SafeLogSkinName("夜间"), "夜间");
    EXPECT_EQ(SafeLogSkinName(""), kDefaultLogSkinName);
    EXPECT_EQ(SafeLogSkinName(".."), kDefaultLogSkinName);
    EXPECT_EQ(SafeLogSkinName("../../etc/x"), kDefaultLogSkinName);
    EXPECT_EQ(SafeLogSkinName("a\\b"), kDefaultLogSkinName);
}

}  // namespace
}  // namespace zirvo
