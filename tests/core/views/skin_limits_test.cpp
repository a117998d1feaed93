// Skins are files anybody may hand the user: a skin that never ends, a skin that reads the
// user's files, and the fallback to the default skin. And the list page of huge items.

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "core/util/files.h"
#include "core/views/article_document.h"
#include "core/views/skin_renderer.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

const char kSheetHead[] =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"html\"/>";

// Two calls per level, forty levels: 2^40 template calls, no output.
std::string FanOutSkin() {
    return std::string(kSheetHead) +
           "<xsl:template match=\"/\"><html><body><p>start</p><xsl:call-template name=\"t\">"
           "<xsl:with-param name=\"n\" select=\"40\"/></xsl:call-template></body></html>"
           "</xsl:template><xsl:template name=\"t\"><xsl:param name=\"n\"/>"
           "<xsl:if test=\"$n &gt; 0\"><xsl:call-template name=\"t\"><xsl:with-param "
           "name=\"n\" select=\"$n - 1\"/></xsl:call-template><xsl:call-template name=\"t\">"
           "<xsl:with-param name=\"n\" select=\"$n - 1\"/></xsl:call-template></xsl:if>"
           "</xsl:template></xsl:stylesheet>";
}

RssItem Item(const std::string& title, const std::string& description) {
    RssItem item;
    item.title = title;
    item.link = "http://127.0.0.1/" + title;
    item.date = "2006-01-03 08:00:00";
    item.description = description;
    return item;
}

std::string ShippedSkinFolder() {
    return std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/Data/RssSkin";
}

TEST(SkinLimits, ASkinThatNeverEndsIsStoppedAndTheDefaultStandsIn) {
    test::TempDir dir("skins");
    dir.WriteFile("Skins/循环.xsl", FanOutSkin());
    std::string defaultSkin;
    ASSERT_TRUE(ReadFileBytes(ShippedSkinFolder() + "/默认.xsl", defaultSkin));
    dir.WriteFile("Skins/默认.xsl", defaultSkin);
    const std::string document = BuildItemDocument(Item("标题", "<p>正文</p>"), "循环");
    SkinRenderLimits limits;
    limits.timeBudgetMs = 300;
    auto rendering = std::async(std::launch::async, [&] {
        return RenderArticle(dir.PathOf("Skins"), "循环", document, limits);
    });
    ASSERT_EQ(rendering.wait_for(std::chrono::seconds(60)), std::future_status::ready)
        << "the transformation was not stopped";
    const ArticleRenderResult result = rendering.get();
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(result.fellBack);
    EXPECT_NE(result.message.find("循环"), std::string::npos);
    EXPECT_NE(result.message.find("超时"), std::string::npos);
    EXPECT_NE(result.message.find("已改用“默认”样式"), std::string::npos);
    EXPECT_NE(result.html.find("正文"), std::string::npos);
    EXPECT_NE(result.html.find("已改用"), std::string::npos);  // the banner
    // The default skin itself failing leaves nothing to render with.
    dir.WriteFile("Skins/默认.xsl", FanOutSkin());
    const ArticleRenderResult none = RenderArticle(dir.PathOf("Skins"), "默认", document, limits);
    EXPECT_FALSE(none.ok);
    EXPECT_FALSE(none.fellBack);
    EXPECT_NE(none.message.find("超时"), std::string::npos);
}

TEST(SkinLimits, DocumentAndIncludesReachOnlyTheSkinFolder) {
    test::TempDir dir("skins");
    const std::string secret = dir.WriteFile("secret.xml", "<s>geheim-1234</s>");
    dir.WriteFile("Skins/parts/own.xml", "<o>eigen-5678</o>");
    dir.WriteFile("Skins/parts/shared.xsl",
                  std::string(kSheetHead) +
                      "<xsl:template name=\"shared\"><i>included-ok</i></xsl:template>"
                      "</xsl:stylesheet>");
    const std::string reader =
        std::string(kSheetHead) +
        "<xsl:include href=\"parts/shared.xsl\"/><xsl:template match=\"/\"><html><body>"
        "<xsl:call-template name=\"shared\"/><p><xsl:value-of select=\"document('" +
        secret + "')/s\"/></p><p><xsl:value-of select=\"document('file://" + secret +
        "')/s\"/></p><p><xsl:value-of select=\"document('../secret.xml')/s\"/></p>"
        "<p><xsl:value-of select=\"document('parts/own.xml')/o\"/></p></body></html>"
        "</xsl:template></xsl:stylesheet>";
    const SkinRenderResult result = RenderWithSkin(dir.WriteFile("Skins/reader.xsl", reader),
                                                   BuildItemDocument(Item("a", "b"), "reader"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.html.find("geheim"), std::string::npos) << result.html;
    EXPECT_NE(result.html.find("eigen-5678"), std::string::npos) << result.html;
    EXPECT_NE(result.html.find("included-ok"), std::string::npos) << result.html;

    // An include from outside the folder makes the skin unusable rather than reading the file.
    dir.WriteFile("outside.xsl", std::string(kSheetHead) +
                                     "<xsl:template name=\"shared\"><i>outside</i>"
                                     "</xsl:template></xsl:stylesheet>");
    const std::string includer = std::string(kSheetHead) +
                                 "<xsl:include href=\"../outside.xsl\"/><xsl:template "
                                 "match=\"/\"><p><xsl:call-template name=\"shared\"/></p>"
                                 "</xsl:template></xsl:stylesheet>";
    const SkinRenderResult outside = RenderWithSkin(dir.WriteFile("Skins/inc.xsl", includer),
                                                    BuildItemDocument(Item("a", "b"), "inc"));
    EXPECT_TRUE(!outside.ok || outside.html.find("outside") == std::string::npos);
}

TEST(SkinLimits, RenderedDocumentsCarryTheirPolicyFirst) {
    const std::string html =
        "<html><head><meta http-equiv=\"refresh\" content=\"0;url=http://"
        "127.0.0.1/x\"></head><body>b</body></html>";
    const std::string withPolicy = WithContentSecurityPolicy(html, true);
    EXPECT_EQ(withPolicy.rfind("<meta http-equiv=\"Content-Security-Policy\"", 0), 0u);
    EXPECT_NE(withPolicy.find("img-src http: https:"), std::string::npos);
    for (const char* directive : {"frame-src 'none'", "object-src 'none'", "form-action 'none'",
                                  "script-src 'none'", "default-src 'none'"}) {
        EXPECT_NE(ContentSecurityPolicy(true).find(directive), std::string::npos) << directive;
    }
    EXPECT_NE(WithContentSecurityPolicy(html, false).find("img-src 'none'"), std::string::npos);
    const std::string doctype = WithContentSecurityPolicy("<!DOCTYPE html><p>x</p>", true);
    EXPECT_EQ(doctype.rfind("<!DOCTYPE html><meta http-equiv=\"Content-Security-Policy\"", 0), 0u);
}

TEST(SkinLimits, FramesBecomeUnknownElements) {
    EXPECT_EQ(DisableFrames("<p>a</p><IFRAME srcdoc=\"<img src=x>\"></iframe><iframe/src=y>"
                            "<Frame\tsrc=z><frameset><iframes>x</iframes>"),
              "<p>a</p><zirvo-frame srcdoc=\"<img src=x>\"></iframe><zirvo-frame/src=y>"
              "<zirvo-frame\tsrc=z><zirvo-frame><iframes>x</iframes>");
    EXPECT_EQ(DisableFrames("no frames < here <"), "no frames < here <");
    EXPECT_EQ(DisableFrames("<iframe"), "<zirvo-frame");
}

TEST(PageDocument, HugeItemsAreCutAndTheTotalIsCapped) {
    std::vector<RssItem> items;
    for (int i = 0; i < 56; ++i) {
        // Four megabytes of markup each, with a tag across every possible cut.
        std::string body;
        while (body.size() < (4u << 20)) {
            body += "<p>中文正文</p><img src=\"http://127.0.0.1/p.png\">";
        }
        items.push_back(Item("篇" + std::to_string(i), body));
    }
    PageDocumentLimits limits;
    const std::string doc = BuildPageDocument(items, "默认", limits);
    EXPECT_LE(doc.size(), limits.maxTotalBytes + 56 * 512);
    // Every item keeps its anchor and title, even those past the cap.
    for (const RssItem& item : items) {
        EXPECT_NE(doc.find("<![CDATA[" + item.link + "]]>"), std::string::npos) << item.title;
    }
    EXPECT_NE(doc.find(kCutDescriptionNote), std::string::npos);
    // A cut never leaves half a tag before the note.
    for (size_t at = doc.find(kCutDescriptionNote); at != std::string::npos;
         at = doc.find(kCutDescriptionNote, at + 1)) {
        const size_t open = doc.rfind('<', at - 1);
        EXPECT_NE(doc.find('>', open), std::string::npos);
        EXPECT_LT(doc.find('>', open), at);
    }
    const SkinRenderResult rendered = RenderWithSkin(ShippedSkinFolder() + "/默认.xsl", doc);
    ASSERT_TRUE(rendered.ok) << rendered.error;
    // Small pages are left as they are.
    const std::vector<RssItem> small = {Item("a", "<p>短</p>")};
    EXPECT_EQ(BuildPageDocument(small, "默认", limits).find(kCutDescriptionNote),
              std::string::npos);
}

TEST(PageDocument, AnUnchangedDocumentIsNotWrittenAgain) {
    test::TempDir dir("views");
    const std::string path = dir.PathOf("tempRssList.xml");
    std::string error;
    bool written = false;
    ASSERT_TRUE(WriteArticleDocumentIfChanged(path, "<rss/>", error, &written)) << error;
    EXPECT_TRUE(written);
    ASSERT_TRUE(WriteArticleDocumentIfChanged(path, "<rss/>", error, &written)) << error;
    EXPECT_FALSE(written);
    ASSERT_TRUE(WriteArticleDocumentIfChanged(path, "<rss></rss>", error, &written)) << error;
    EXPECT_TRUE(written);
    ASSERT_TRUE(WriteArticleDocumentIfChanged(path, "<rss>1</rss>", error, &written)) << error;
    EXPECT_TRUE(written);  // same size, other bytes
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "<rss>1</rss>");
}

}  // namespace
}  // namespace zirvo
