#include "core/views/article_document.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>

#include "core/util/files.h"
#include "core/views/skin_renderer.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

RssItem SampleItem() {
    RssItem item;
    item.id = 7;
    item.title = "标题 & <b>";
    item.link = "http://example.org/a?x=1&y=2";
    item.author = "作者";
    item.date = "2006-01-03 08:00:00";
    item.description = "<p>正文 <script>alert(1)</script></p>";
    return item;
}

bool WellFormed(const std::string& text) {
    xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "t.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr) {
        return false;
    }
    xmlFreeDoc(doc);
    return true;
}

// The text of the first element called `name`, and how many elements the document holds.
std::string ElementText(const std::string& text, const char* name, int* elements = nullptr) {
    xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "t.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    std::string found;
    int count = 0;
    bool seen = false;
    auto walk = [&](auto&& self, xmlNode* node) -> void {
        for (; node != nullptr; node = node->next) {
            if (node->type == XML_ELEMENT_NODE) {
                ++count;
                if (!seen && std::string(reinterpret_cast<const char*>(node->name)) == name) {
                    xmlChar* content = xmlNodeGetContent(node);
                    found = reinterpret_cast<const char*>(content);
                    xmlFree(content);
                    seen = true;
                }
            }
            self(self, node->children);
        }
    };
    if (doc != nullptr) {
        walk(walk, xmlDocGetRootElement(doc));
        xmlFreeDoc(doc);
    }
    if (elements != nullptr) {
        *elements = count;
    }
    return found;
}

std::string ShippedSkin(const std::string& name) {
    return std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/Data/RssSkin/" + name + ".xsl";
}

TEST(ArticleDocument, ItemDocumentIsOneLineInTheOrderOfItsParts) {
    std::string doc = BuildItemDocument(SampleItem(), "默认");
    EXPECT_EQ(doc,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              "<?xml-stylesheet type=\"text/xsl\" href=\"默认.xsl\"?>"
              "<rss><channel><item>"
              "<link><![CDATA[http://example.org/a?x=1&y=2]]></link>"
              "<title><![CDATA[标题 & <b>]]></title>"
              "<author><![CDATA[作者]]></author>"
              "<pubDate>2006-01-03 08:00:00</pubDate>"
              "<description><![CDATA[<p>正文 <script>alert(1)</script></p>]]></description>"
              "</item></channel></rss>");
    EXPECT_TRUE(WellFormed(doc));
}

TEST(ArticleDocument, PageDocumentHoldsEveryItemWithoutAuthor) {
    RssItem first = SampleItem();
    RssItem second = SampleItem();
    second.link = "http://example.org/b";
    std::string doc = BuildPageDocument({first, second}, "夜间");
    EXPECT_NE(doc.find("href=\"夜间.xsl\""), std::string::npos);
    EXPECT_EQ(doc.find("<author>"), std::string::npos);
    EXPECT_NE(doc.find("<link><![CDATA[http://example.org/b]]></link>"), std::string::npos);
    EXPECT_TRUE(WellFormed(doc));
    EXPECT_TRUE(WellFormed(BuildPageDocument({}, "默认")));
}

TEST(ArticleDocument, HostileTextsStayInsideTheirSections) {
    RssItem item = SampleItem();
    item.description = "a]]><injected/><![CDATA[b";
    item.title = std::string("bell\x07 and broken \xff\xfe utf-8 ") + "\xe4\xb8";
    item.date = "<d>&";
    std::string doc = BuildItemDocument(item, "x\"?><evil/><?y");
    ASSERT_TRUE(WellFormed(doc));
    int elements = 0;
    // The hostile description comes back as the text it was, and adds no element of its own.
    EXPECT_EQ(ElementText(doc, "description", &elements), item.description);
    EXPECT_EQ(elements, 8);  // rss, channel, item and its five children
    EXPECT_EQ(ElementText(doc, "title"),
              "bell and broken \xEF\xBF\xBD\xEF\xBF\xBD utf-8 \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ElementText(doc, "pubDate"), "<d>&");
    EXPECT_EQ(doc.find("<evil/>"), std::string::npos);
    EXPECT_EQ(XmlSafeText("ok\x01\t\n"), "ok\t\n");
}

TEST(ArticleDocument, WritesAndListsSkins) {
    test::TempDir dir("views");
    std::string error;
    std::string path = dir.PathOf("tempRss.xml");
    ASSERT_TRUE(WriteArticleDocument(path, "first", error)) << error;
    ASSERT_TRUE(WriteArticleDocument(path, "2", error)) << error;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "2");
    EXPECT_FALSE(WriteArticleDocument(dir.PathOf("missing/folder/x.xml"), "x", error));
    EXPECT_FALSE(error.empty());

    dir.WriteFile("skins/b.xsl", "");
    dir.WriteFile("skins/a.xsl", "");
    dir.WriteFile("skins/tempRss.xml", "");
    dir.MakeDir("skins/folder.xsl");
    EXPECT_EQ(ListSkins(dir.PathOf("skins")), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(ListSkins(dir.PathOf("nowhere")).empty());
}

TEST(SkinRenderer, EveryShippedSkinRendersItemAndPage) {
    for (const char* name : {"默认", "夜间", "书页"}) {
        SCOPED_TRACE(name);
        SkinRenderResult item =
            RenderWithSkin(ShippedSkin(name), BuildItemDocument(SampleItem(), name));
        ASSERT_TRUE(item.ok) << item.error;
        EXPECT_NE(item.html.find("标题 &amp; &lt;b&gt;"), std::string::npos);
        EXPECT_NE(item.html.find("<p>正文"), std::string::npos);
        EXPECT_NE(item.html.find("作者"), std::string::npos);
        RssItem second = SampleItem();
        second.title = "第二篇";
        SkinRenderResult page =
            RenderWithSkin(ShippedSkin(name), BuildPageDocument({SampleItem(), second}, name));
        ASSERT_TRUE(page.ok) << page.error;
        EXPECT_NE(page.html.find("第二篇"), std::string::npos);
        EXPECT_NE(page.html.find("name=\"http://example.org/a?x=1&amp;y=2\""), std::string::npos);
    }
}

TEST(SkinRenderer, EveryShippedSkinListsAttachmentsAndLeavesInertLinksUnclickable) {
    RssItem item = SampleItem();
    item.enclosures = {{"http://media.example/a b.mp3?x=1&y=\"2\"", "audio/mpeg", 1572864},
                       {"http://media.example/c.pdf", "", 0}};
    const std::string doc = BuildItemDocument(item, "默认");
    ASSERT_TRUE(WellFormed(doc));
    int elements = 0;
    ElementText(doc, "enclosure", &elements);
    EXPECT_EQ(elements, 10);  // rss, channel, item, five fields, two enclosures
    RssItem inert = SampleItem();
    inert.link = "unsafe:javascript:alert(1)";
    for (const char* name : {"默认", "夜间", "书页"}) {
        SCOPED_TRACE(name);
        SkinRenderResult shown = RenderWithSkin(ShippedSkin(name), doc);
        ASSERT_TRUE(shown.ok) << shown.error;
        EXPECT_NE(shown.html.find("href=\"http://media.example/a%20b.mp3?x=1&amp;y=%222%22\""),
                  std::string::npos)
            << shown.html;
        EXPECT_NE(shown.html.find("audio/mpeg"), std::string::npos);
        EXPECT_NE(shown.html.find("1.5 MB"), std::string::npos);
        EXPECT_NE(shown.html.find("href=\"http://media.example/c.pdf\""), std::string::npos);

        SkinRenderResult plain = RenderWithSkin(ShippedSkin(name), BuildItemDocument(inert, name));
        ASSERT_TRUE(plain.ok) << plain.error;
        // The inert link names the anchor only: no href anywhere.
        EXPECT_EQ(plain.html.find("unsafe:"), plain.html.find("name=\"unsafe:") + 6);
        EXPECT_EQ(plain.html.find("href=\"unsafe:"), std::string::npos);
        EXPECT_EQ(plain.html.find("class=\"enclosures\""), std::string::npos);
    }
}

TEST(SkinRenderer, MissingOrBrokenSkinIsAnErrorNotACrash) {
    test::TempDir dir("skins");
    std::string doc = BuildItemDocument(SampleItem(), "x");
    SkinRenderResult missing = RenderWithSkin(dir.PathOf("none.xsl"), doc);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.empty());
    SkinRenderResult notXml = RenderWithSkin(dir.WriteFile("bad.xsl", "<xsl:stylesheet"), doc);
    EXPECT_FALSE(notXml.ok);
    SkinRenderResult notXsl = RenderWithSkin(dir.WriteFile("plain.xsl", "<html/>"), doc);
    EXPECT_FALSE(notXsl.ok);
    SkinRenderResult badDoc = RenderWithSkin(ShippedSkin("默认"), "<rss><channel>");
    EXPECT_FALSE(badDoc.ok);
}

TEST(SkinRenderer, SkinCannotWriteFiles) {
    test::TempDir dir("skins");
    std::string target = dir.PathOf("written.txt");
    std::string sheet =
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
        "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">"
        "<xsl:template match=\"/\"><exsl:document href=\"" +
        target + "\"><x/></exsl:document><p>done</p></xsl:template></xsl:stylesheet>";
    RenderWithSkin(dir.WriteFile("writer.xsl", sheet), BuildItemDocument(SampleItem(), "w"));
    EXPECT_FALSE(FileExists(target));
}

}  // namespace
}  // namespace zirvo
