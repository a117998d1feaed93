// The files and rules of the e-book that need no compiler: the dialog's checks, the contents
// and project files byte for byte, the picture collection, the filled pages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ebook/ebook_pages.h"
#include "core/ebook/ebook_pictures.h"
#include "core/ebook/ebook_project.h"
#include "core/ebook/ebook_rules.h"

namespace zirvo {
namespace {

const char* const kContentsHead =
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
    "<meta name=\"GENERATOR\" content=\"Microsoft HTML Help Workshop 4.1\">\r\n"
    "<!-- Sitemap 1.0 -->\r\n</HEAD><BODY>\r\n<OBJECT type=\"text/site properties\">\r\n"
    "<param name=\"ImageType\" value=\"Folder\">\r\n</OBJECT>\r\n<UL>\r\n";
const char* const kContentsFoot = "</UL>\r\n</BODY></HTML>\r\n";

EbookArticle Article(std::string title, std::string category = {}, std::string content = {}) {
    EbookArticle article;
    article.title = std::move(title);
    article.category = std::move(category);
    article.content = std::move(content);
    return article;
}

std::string Entry(const std::string& indent, const std::string& title, int page) {
    return indent + "<LI> <OBJECT type=\"text/sitemap\">\r\n" + indent +
           "<param name=\"Name\" value=\"" + title + "\">\r\n" + indent +
           "<param name=\"Local\" value=\"" + std::to_string(page) + ".html\">\r\n" + indent +
           "</OBJECT>\r\n";
}

TEST(EbookRules, StartChecksOutputPathFirstThenTitle) {
    EbookStartCheck check = CheckEbookStart("", "");
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.field, EbookField::OutputPath);
    EXPECT_EQ(check.message, "请选择要保存为的CHM文件名!");
    check = CheckEbookStart("/tmp/a.chm", "  ");
    EXPECT_EQ(check.field, EbookField::Title);
    EXPECT_EQ(check.message, "请输入标题!");
    EXPECT_TRUE(CheckEbookStart("/tmp/a.chm", "书").ok);
}

TEST(EbookRules, TitlesBoxesAndProposedNameFollowTheSource) {
    EXPECT_EQ(InitialEbookTitle(EbookSource::FeedItems, ""), "我的收藏");
    EXPECT_EQ(InitialEbookTitle(EbookSource::BlogArticles, ""), "我的日志");
    EXPECT_EQ(InitialEbookTitle(EbookSource::FeedItems, "新闻"), "新闻");
    EXPECT_FALSE(ShowsByCategoryBox(EbookSource::FeedItems));
    EXPECT_TRUE(ShowsByCategoryBox(EbookSource::BlogArticles));
    EXPECT_EQ(ProposedEbookFileName(EbookSource::FeedItems, "新闻", 0), "新闻");
    std::tm when{};
    when.tm_year = 2006 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 5;
    when.tm_hour = 8;
    when.tm_min = 30;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    EXPECT_EQ(ProposedEbookFileName(EbookSource::BlogArticles, "x", std::mktime(&when)),
              "我的日志 2006-01-05 083009");
    EXPECT_EQ(std::string(kEbookStatusHeader),
              "====================状态显示===================\r\n");
}

TEST(EbookContents, ListsEveryArticleWithEscapedTitlesAndPageNames) {
    const std::vector<EbookArticle> articles = {Article("Say \"hi\" <now>"), Article("第二篇")};
    EXPECT_EQ(BuildContentsFile(articles, {}, false),
              std::string(kContentsHead) + Entry(" ", "Say &quot;hi&quot; &lt;now&gt;", 0) +
                  Entry(" ", "第二篇", 1) + kContentsFoot);
    // The by-category flag without categories lists the articles plainly.
    EXPECT_EQ(BuildContentsFile(articles, {}, true), BuildContentsFile(articles, {}, false));
}

TEST(EbookContents, ZeroArticlesStillMakeAnEmptyList) {
    EXPECT_EQ(BuildContentsFile({}, {"a"}, true),
              std::string(kContentsHead) +
                  " <LI> <OBJECT type=\"text/sitemap\">\r\n <param name=\"Name\" value=\"a\">\r\n"
                  " <param name=\"ImageNumber\" value=\"1\">\r\n </OBJECT>\r\n  <UL>\r\n"
                  "  </UL>\r\n" +
                  kContentsFoot);
    EXPECT_EQ(BuildContentsFile({}, {}, false), std::string(kContentsHead) + kContentsFoot);
}

TEST(EbookContents, CategoryFoldersMatchExactlyAndSkipUnlistedCategories) {
    const std::vector<EbookArticle> articles = {Article("one", "Tech"), Article("two", "tech"),
                                                Article("three", "Tech"),
                                                Article("four", "Unlisted")};
    const std::string folder = [](const std::string& name) {
        return " <LI> <OBJECT type=\"text/sitemap\">\r\n <param name=\"Name\" value=\"" + name +
               "\">\r\n <param name=\"ImageNumber\" value=\"1\">\r\n </OBJECT>\r\n  <UL>\r\n";
    }("Tech");
    const std::string folder2 =
        " <LI> <OBJECT type=\"text/sitemap\">\r\n <param name=\"Name\" value=\"tech\">\r\n"
        " <param name=\"ImageNumber\" value=\"1\">\r\n </OBJECT>\r\n  <UL>\r\n";
    EXPECT_EQ(BuildContentsFile(articles, {"Tech", "tech"}, true),
              std::string(kContentsHead) + folder + Entry("    ", "one", 0) +
                  Entry("    ", "three", 2) + "  </UL>\r\n" + folder2 + Entry("    ", "two", 1) +
                  "  </UL>\r\n" + kContentsFoot);
}

TEST(EbookContents, HostileTitlesStayOnOneLineInTheirAttribute) {
    const std::string contents = BuildContentsFile(
        {Article("a\r\n <param name=\"Local\" value=\"x.html\">\x01]]>")}, {}, false);
    EXPECT_EQ(contents, std::string(kContentsHead) +
                            Entry(" ",
                                  "a   &lt;param name=&quot;Local&quot; "
                                  "value=&quot;x.html&quot;&gt; ]]&gt;",
                                  0) +
                            kContentsFoot);
}

TEST(EbookProject, NamesOutputTitleWindowAndPages) {
    EXPECT_EQ(BuildProjectFile("/home/u/书 1.chm", "我的\"收藏\"", 2),
              "[OPTIONS]\r\nCompatibility=1.1 or later\r\nCompiled file=/home/u/书 1.chm\r\n"
              "Contents file=MyLogCHM.hhc\r\nDefault Window=default\r\n"
              "Default topic=index.html\r\nDisplay compile progress=No\r\n"
              "Full-text search=Yes\r\nLanguage=0x804 中文(中国)\r\nTitle=我的\"收藏\"\r\n"
              "[WINDOWS]\r\ndefault=\"我的'收藏'\",\"MyLogCHM.hhc\",,\"index.html\","
              "\"index.html\",,,,,0x60420,,0x300c,[0,0,850,600],,,,,,,0\r\n"
              "[FILES]\r\n0.html\r\n1.html\r\n[INFOTYPES]\r\n");
    const std::string empty = BuildProjectFile("/o.chm", "t", 0);
    EXPECT_NE(empty.find("[FILES]\r\n[INFOTYPES]\r\n"), std::string::npos);
    EXPECT_EQ(CompilerProjectFile(empty),
              empty.substr(0, empty.size() - 13) +
                  "index.html\r\nindex.css\r\narticle.css\r\n[INFOTYPES]\r\n");
}

TEST(EbookPictures, NamesFollowIndexAndExtension) {
    EXPECT_EQ(EbookPictureName(0, "http://h/a/b.png"), "images/0.png");
    EXPECT_EQ(EbookPictureName(3, "http://h/a/pic"), "images/3.jpg");
    EXPECT_EQ(EbookPictureName(4, "http://h/a/pic.JPEG?w=200"), "images/4.JPEG");
    EXPECT_EQ(EbookPictureName(5, "http://h/x.tar.gz"), "images/5.tar");
    EXPECT_EQ(EbookPictureName(6, "http://h/a.b/c"), "images/6.jpg");
    EXPECT_EQ(EbookPictureName(7, "http://h/a.%2e%2f..%2fetc"), "images/7.jpg");
}

TEST(EbookPictures, CollectsRewritesAndDownloadsEachAddressOnce) {
    std::vector<EbookArticle> articles = {
        Article("a", "",
                "<p>x<IMG class=a SRC=\"http://h/p/one.png\" alt=1>"
                "<img src='http://h/p/two'/><img src=\"http://h/p/one.png\"></p>"),
        Article("b", "",
                "<img alt=\"\" src=http://h/p/two>"
                "<img src=\"images/local.png\"><img src=\"data:image/png;base64,AA\">"
                "<img src=\"file:///etc/passwd\"><img src=\"http://h/q.gif?a=1&amp;b=2\">"),
    };
    std::vector<EbookPicture> pictures;
    CollectEbookPictures(articles, pictures);
    ASSERT_EQ(pictures.size(), 5u);
    EXPECT_EQ(pictures[0].url, "http://h/p/one.png");
    EXPECT_EQ(pictures[0].localName, "images/0.png");
    EXPECT_EQ(pictures[1].url, "http://h/p/two");
    EXPECT_EQ(pictures[1].localName, "images/1.jpg");
    EXPECT_EQ(pictures[2].url, "");  // repeat in the same article
    EXPECT_EQ(pictures[2].localName, "images/0.png");
    EXPECT_EQ(pictures[3].url, "");  // repeat in a later article
    EXPECT_EQ(pictures[3].localName, "images/1.jpg");
    EXPECT_EQ(pictures[4].url, "http://h/q.gif?a=1&b=2");
    EXPECT_EQ(pictures[4].localName, "images/4.gif");
    EXPECT_EQ(articles[0].content,
              "<p>x<IMG class=a SRC=images/0.png alt=1><img src=images/1.jpg>"
              "<img src=images/0.png></p>");
    EXPECT_EQ(articles[1].content,
              "<img alt=\"\" src=images/1.jpg><img src=\"images/local.png\">"
              "<img src=\"data:image/png;base64,AA\"><img src=\"file:///etc/passwd\">"
              "<img src=images/4.gif>");
}

TEST(EbookPictures, UnclosedTagsAndTagsWithoutSourceAreHarmless) {
    std::vector<EbookArticle> articles = {Article("a", "", "<img alt=x><img src=http://h/z.png"),
                                          Article("b", "", "<img")};
    std::vector<EbookPicture> pictures;
    CollectEbookPictures(articles, pictures);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(articles[0].content, "<img alt=x><img src=images/0.png");
    EXPECT_EQ(articles[1].content, "<img");
}

TEST(EbookPages, PlaceholdersAreFilledOnceAndFieldsEscaped) {
    EbookArticle article = Article("<b>\"标题\"</b> $show_content$", "类别 & co", "<p>正文</p>");
    article.author = "作者";
    article.date = "2006-01-05 08:30:00";
    article.link = "javascript:alert(1)";
    const std::string page = FillEbookArticlePage(
        "<title>$show_title$</title>|$show_link$|$show_date$|$show_author$|$show_category$|"
        "$show_content$|$show_unknown$|$",
        article);
    EXPECT_EQ(page,
              "<title>&lt;b&gt;&quot;标题&quot;&lt;/b&gt; $show_content$</title>|#|"
              "2006-01-05 08:30:00|作者|类别 &amp; co|<p>正文</p>|$show_unknown$|$");
    article.link = "http://example.org/a?b=1&c=2";
    EXPECT_EQ(FillEbookArticlePage("$show_link$", article), "http://example.org/a?b=1&amp;c=2");
}

TEST(EbookPages, TitlePageCarriesCountDateDescriptionAndLink) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 15;
    when.tm_min = 4;
    when.tm_sec = 59;
    when.tm_isdst = -1;
    const std::string page = FillEbookTitlePage(
        "$show_appname$|$show_description$|$show_totalarticlenum$|$show_builddate$",
        EbookAppLink("https://zirvo.test/", "Zirvo 1.0"), "第一行\n<第二行>", 12,
        std::mktime(&when));
    EXPECT_EQ(page,
              "<a href=\"https://zirvo.test/\" target=\"_blank\">Zirvo 1.0</a>|"
              "第一行<br>&lt;第二行&gt;|12|2026-12-08 15:04:00");
    EXPECT_EQ(EbookAppLink("", "Zirvo <1>"), "Zirvo &lt;1&gt;");
}

TEST(EbookPages, ContentKeepsItsMarkupButNothingThatRunsOrNavigates) {
    const std::string safe = SafeEbookContent(
        "<p onclick=\"x()\">中文 <b>bold</b> &amp; more</p><script>alert(1)</script>"
        "<img src=images/0.png onerror=\"alert(2)\" srcset=\"http://h/x.png 2x\">"
        "<a href=\"javascript:alert(3)\">js</a><a href=\"http://example.org/\">web</a>"
        "<iframe src=\"http://evil/\"></iframe><meta http-equiv=refresh content=\"0;url=x\">"
        "<object data=\"x.swf\"></object><form action=\"http://h/\"><input></form>"
        "<div style=\"background:url(http://t/)\">styled</div><!--[if IE]><script>x</script>"
        "<![endif]--><a href=\"file:///etc/passwd\">f</a><a href=\"ms-its:x.chm::/a.html\">c</a>");
    for (const char* gone : {"script", "onclick", "onerror", "srcset", "javascript", "iframe",
                             "meta", "object", "form", "input", "url(", "file:", "ms-its", "[if"}) {
        EXPECT_EQ(safe.find(gone), std::string::npos) << gone << " in " << safe;
    }
    for (const char* kept : {"<p>中文 <b>bold</b> &amp; more</p>", "src=\"images/0.png\"",
                             "<a href=\"http://example.org/\">web</a>", ">styled</div>"}) {
        EXPECT_NE(safe.find(kept), std::string::npos) << kept << " not in " << safe;
    }
    EXPECT_EQ(SafeEbookContent(""), "");
    EXPECT_EQ(SafeEbookContent("plain text 文本"), "plain text 文本");
}

}  // namespace
}  // namespace zirvo
