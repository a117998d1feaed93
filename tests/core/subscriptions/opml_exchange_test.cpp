#include "core/subscriptions/opml_exchange.h"

#include <gtest/gtest.h>

#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/channel_tree_editor.h"
#include "core/subscriptions/opml_import.h"
#include "core/subscriptions/opml_tree.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "core/util/xml_document.h"
#include "subscriptions_fixture.h"
#include "support/feed_server.h"

namespace zirvo {
namespace {

using test::SubscriptionsFixture;

class OpmlExchangeTest : public ::testing::Test, protected SubscriptionsFixture {
protected:
    OpmlExchangeTest() : m_root(m_dir.Path()), m_opml(WriteOpml()) {}

    std::vector<OpmlOutline> Load(const std::string& path) {
        COpmlTree file(path, m_messages);
        std::vector<OpmlOutline> outlines;
        EXPECT_TRUE(file.Load(outlines)) << path;
        return outlines;
    }

    CDataRoot m_root;
    std::string m_opml;
};

TEST_F(OpmlExchangeTest, ExportedFolderHasTextAndNoXmlUrl) {
    const std::string target = m_dir.PathOf("folder.opml");
    ASSERT_TRUE(ExportOpmlNode(m_opml, {0}, target, m_messages));
    const std::string bytes = ReadBack(target);
    EXPECT_TRUE(StartsWith(bytes, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(target));
    EXPECT_EQ(doc.SelectNode("/opml/head/title").Text(), "ZirvoRSS阅读收藏");
    EXPECT_EQ(doc.SelectNode("/opml").Attribute("version"), "1.0");
    ASSERT_EQ(doc.SelectNodes("/opml/body/outline").size(), 1u);
    XmlNode folder = doc.SelectNode("/opml/body/outline[0]");
    EXPECT_EQ(folder.Attribute("text"), "新闻");
    EXPECT_FALSE(folder.HasAttribute("xmlUrl"));
    EXPECT_EQ(folder.Attribute("unreadnum"), "7");  // other attributes stay
    XmlNode inner = doc.SelectNode("/opml/body/outline[0]/outline[2]");
    EXPECT_FALSE(inner.HasAttribute("xmlUrl"));  // present but empty in the source
    EXPECT_EQ(inner.Attribute("text"), "技术/开发");
    // The outline that had only `text` keeps its caption.
    EXPECT_EQ(doc.SelectNode("/opml/body/outline[0]/outline[2]/outline[0]").Attribute("text"),
              "Gamma only text");
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
}

TEST_F(OpmlExchangeTest, ExportAllKeepsHeadAndEveryNode) {
    const std::string target = m_dir.PathOf("all.opml");
    ASSERT_TRUE(ExportOpmlAll(m_opml, target, m_messages));
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(target));
    EXPECT_EQ(doc.SelectNode("/opml/head/title").Text(), "keep me");
    EXPECT_EQ(doc.SelectNode("/opml/body/outline[1]").Attribute("text"), "Delta");
    EXPECT_EQ(doc.SelectNode("/opml/body/outline[1]").Attribute("xmlUrl"),
              "http://127.0.0.1/delta.xml");
    // The subscription file itself is not touched.
    EXPECT_EQ(ReadBack(m_opml), test::kSampleOpml);
}

TEST_F(OpmlExchangeTest, ExportFailuresSayWhy) {
    EXPECT_FALSE(ExportOpmlNode(m_opml, {5}, m_dir.PathOf("x.opml"), m_messages));
    EXPECT_FALSE(ExportOpmlAll(m_opml, m_dir.PathOf("no/such/dir/x.opml"), m_messages));
    EXPECT_FALSE(ExportOpmlAll(m_dir.PathOf("missing.opml"), m_dir.PathOf("x.opml"), m_messages));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"导出失败!", "导出失败!"}));
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{8000}));
}

TEST_F(OpmlExchangeTest, ExportThenImportGivesTheSameTree) {
    const std::string exported = m_dir.PathOf("all.opml");
    ASSERT_TRUE(ExportOpmlAll(m_opml, exported, m_messages));
    // A fresh data root with an empty subscription file imports everything.
    WriteOpml("<opml><body/></opml>");
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceFile(exported));
    ASSERT_FALSE(import.ImportAll(kNoNode, true).empty());
    EXPECT_EQ(import.Source().LiveCount(), 0u);
    ASSERT_TRUE(import.Save());
    EXPECT_FALSE(FileExists(import.WorkingCopyPath()));

    CChannelTree original;
    original.InsertOutlines(kNoNode, Load(exported), false);
    CChannelTree rebuilt;
    rebuilt.InsertOutlines(kNoNode, Load(m_opml), false);
    ASSERT_EQ(rebuilt.LiveCount(), original.LiveCount());
    for (NodeId id : original.Walk()) {
        const NodeId same = rebuilt.FindByIndexPath(original.PathOf(id));
        ASSERT_NE(same, kNoNode);
        EXPECT_EQ(rebuilt.Node(same)->caption, original.Node(id)->caption);
        EXPECT_EQ(rebuilt.Node(same)->feedUrl, original.Node(id)->feedUrl);
        EXPECT_EQ(rebuilt.Node(same)->homeUrl, original.Node(id)->homeUrl);
    }
    // Folders carry an empty xmlUrl in the rebuilt file.
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(m_opml));
    EXPECT_TRUE(doc.SelectNode("/opml/body/outline[0]").HasAttribute("xmlUrl"));
}

TEST_F(OpmlExchangeTest, ImportIntoAChannelNestsUnderIt) {
    const std::string source =
        m_dir.WriteFile("other.opml",
                        "<opml><body><outline text=\"Outside\"><outline text=\"Feed\" "
                        "xmlUrl=\"http://127.0.0.1/o.xml\"/></outline></body></opml>");
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceFile(source));
    const NodeId delta = import.Current().FindByCaptionPath("Delta");
    const NodeId added = import.Import(import.Source().Children(kNoNode)[0], delta);
    ASSERT_NE(added, kNoNode);
    // A folder added afterwards lands at its place in the working copy too.
    ASSERT_NE(import.AddFolder(added, "Sub", ""), kNoNode);
    ASSERT_TRUE(import.Save());
    const std::vector<OpmlOutline> outlines = Load(m_opml);
    ASSERT_EQ(outlines[1].children.size(), 1u);
    EXPECT_EQ(outlines[1].children[0].title, "Outside");
    ASSERT_EQ(outlines[1].children[0].children.size(), 2u);
    EXPECT_EQ(outlines[1].children[0].children[0].xmlUrl, "http://127.0.0.1/o.xml");
    EXPECT_EQ(outlines[1].children[0].children[1].title, "Sub");
}

TEST_F(OpmlExchangeTest, ImportKeepsCountsAndExpandedState) {
    const std::string source =
        m_dir.WriteFile("other.opml",
                        "<opml><body><outline text=\"New\" xmlUrl=\"http://127.0.0.1/n.xml\" "
                        "unreadnum=\"9\"/></body></opml>");
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceFile(source));
    ASSERT_EQ(import.ImportAll(kNoNode, true).size(), 1u);
    ASSERT_TRUE(import.Save());
    const std::vector<OpmlOutline> outlines = Load(m_opml);
    ASSERT_EQ(outlines.size(), 4u);
    EXPECT_EQ(outlines[0].expanded, 1);
    EXPECT_EQ(outlines[0].children[0].unreadNum, 3);  // Alpha
    EXPECT_EQ(outlines[0].children[2].expanded, 1);   // 技术/开发
    EXPECT_EQ(outlines[0].children[2].children[0].unreadNum, 5);
    EXPECT_EQ(outlines[0].unreadNum, 12);  // the folder's sum of its channels
    EXPECT_EQ(outlines[1].unreadNum, 2);
    EXPECT_EQ(outlines[1].expanded, 0);
    // What a foreign list says about its own counts means nothing here.
    EXPECT_EQ(outlines[3].unreadNum, 0);
}

TEST_F(OpmlExchangeTest, ImportTakesOnlyWhatTheAddDialogsTake) {
    std::string longCaption;
    for (int i = 0; i < 600; ++i) {
        longCaption += "长";  // 1,800 bytes
    }
    const std::string source = m_dir.WriteFile(
        "other.opml",
        "<opml><body>"
        "<outline text=\"a&lt;b\" xmlUrl=\"http://127.0.0.1/lt.xml\"/>"
        "<outline text=\"Spaced\" xmlUrl=\"http://127.0.0.1/a b.xml\"/>"
        "<outline text=\"Only bad\"><outline text=\"Local\" xmlUrl=\"file:///etc/passwd\"/>"
        "</outline>"
        "<outline text=\"Mixed\"><outline text=\"Good\" xmlUrl=\"http://127.0.0.1/g.xml\"/>"
        "<outline text=\"\" xmlUrl=\"http://127.0.0.1/untitled.xml\"/></outline>"
        "<outline text=\"Two&#10;lines\" xmlUrl=\"http://127.0.0.1/two.xml\"/>"
        "<outline title=\"" +
            longCaption +
            "\" xmlUrl=\"http://127.0.0.1/long.xml\"/>"
            "</body></opml>");
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceFile(source));
    std::vector<std::string> refused;
    for (const RefusedOutline& outline : import.Refused()) {
        refused.push_back(outline.path + " | " + outline.reason);
    }
    EXPECT_EQ(refused,
              (std::vector<std::string>{
                  "a<b | 您输入了无效的字符!", std::string("Spaced | ") + kFeedUrlNotWeb,
                  std::string("Only bad/Local | ") + kFeedUrlNotWeb, "Mixed/ | 请输入频道名称"}));
    std::vector<std::string> kept;
    for (NodeId id : import.Source().Walk()) {
        kept.push_back(import.Source().CaptionPath(id));
    }
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0], "Mixed");
    EXPECT_EQ(kept[1], "Mixed/Good");
    EXPECT_EQ(kept[2], "Two lines");
    EXPECT_EQ(kept[3], longCaption.substr(0, 1023));
    // Whatever is written reads back.
    ASSERT_EQ(import.ImportAll(kNoNode, true).size(), 3u);
    ASSERT_TRUE(import.Save());
    EXPECT_EQ(Load(m_opml).back().title, longCaption.substr(0, 1023));
}

TEST_F(OpmlExchangeTest, AddressesAlreadySubscribedCanBeLeftOut) {
    const std::string source = m_dir.WriteFile(
        "other.opml",
        "<opml><body><outline text=\"Delta copy\" xmlUrl=\"http://127.0.0.1/delta.xml\"/>"
        "<outline text=\"F\"><outline text=\"Once\" xmlUrl=\"http://127.0.0.1/once.xml\"/>"
        "<outline text=\"Twice\" xmlUrl=\"http://127.0.0.1/once.xml\"/></outline>"
        "</body></opml>");
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceFile(source));
    std::vector<std::string> dropped;
    for (const RefusedOutline& outline : import.DropAlreadySubscribed()) {
        EXPECT_TRUE(outline.alreadySubscribed);
        dropped.push_back(outline.path);
    }
    EXPECT_EQ(dropped, (std::vector<std::string>{"Delta copy", "F/Twice"}));
    EXPECT_EQ(import.Source().LiveCount(), 2u);
}

TEST_F(OpmlExchangeTest, ManyOutlinesImportInOneGo) {
    std::string source = "<opml><body>";
    for (int i = 0; i < 20000; ++i) {
        source += StrFormat("<outline text=\"Feed %d\" xmlUrl=\"http://127.0.0.1/%d.xml\"/>", i, i);
    }
    source += "</body></opml>";
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceFile(m_dir.WriteFile("many.opml", source)));
    const NodeId news = import.Current().FindByCaptionPath("新闻");
    ASSERT_EQ(import.ImportAll(news).size(), 20000u);
    // The working copy catches up before a folder is added to it.
    ASSERT_NE(import.AddFolder(news, "Last", ""), kNoNode);
    ASSERT_TRUE(import.Save());
    const std::vector<OpmlOutline> outlines = Load(m_opml);
    ASSERT_EQ(outlines[0].children.size(), 3u + 20000u + 1u);
    EXPECT_EQ(outlines[0].children[3].title, "Feed 0");
    EXPECT_EQ(outlines[0].children.back().title, "Last");
}

TEST_F(OpmlExchangeTest, CancelLeavesTheSubscriptionFileByteForByte) {
    {
        COpmlImport import(m_root, m_messages);
        ASSERT_TRUE(import.Begin());
        EXPECT_TRUE(FileExists(import.WorkingCopyPath()));
        ASSERT_NE(import.AddFolder(kNoNode, "Temporary", ""), kNoNode);
        import.Cancel();
        EXPECT_FALSE(FileExists(import.WorkingCopyPath()));
    }
    {
        COpmlImport import(m_root, m_messages);
        ASSERT_TRUE(import.Begin());
        ASSERT_NE(import.AddFolder(kNoNode, "Temporary", ""), kNoNode);
        // Closing the dialog without a choice is a cancel.
    }
    EXPECT_FALSE(FileExists(JoinPath(m_root.TempDir(), "temp.opml")));
    EXPECT_EQ(ReadBack(m_opml), test::kSampleOpml);
}

TEST_F(OpmlExchangeTest, UnreadableSourcesAreRefused) {
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    EXPECT_FALSE(import.LoadSourceFile(m_dir.WriteFile("bad.opml", "<opml><body>")));
    EXPECT_FALSE(import.LoadSourceFile(m_dir.WriteFile("rss.xml", "<rss><channel/></rss>")));
    EXPECT_FALSE(import.LoadSourceFile(m_dir.PathOf("missing.opml")));
    EXPECT_FALSE(import.LoadSourceBytes("file:///etc/passwd", "<opml><body/></opml>"));
    EXPECT_EQ(import.Source().LiveCount(), 0u);
    std::vector<std::string> shown = m_reporter.MessageBoxes();
    ASSERT_EQ(shown.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(StartsWith(shown[i], "无法识别的OPML文件格式\n")) << shown[i];
    }
    // Each says why, a parse error also where.
    EXPECT_NE(shown[0].find("(line 1)"), std::string::npos) << shown[0];
    EXPECT_NE(shown[1].find("<rss>"), std::string::npos) << shown[1];
    EXPECT_NE(shown[2].find("missing.opml"), std::string::npos) << shown[2];
    EXPECT_EQ(shown[3], "无效的链接!");
}

TEST_F(OpmlExchangeTest, ParseErrorNamesTheLineOfTheFault) {
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    EXPECT_FALSE(import.LoadSourceFile(
        m_dir.WriteFile("amp.opml", "<opml>\n<body>\n<outline title=\"A & B\"/>\n</body></opml>")));
    ASSERT_EQ(m_reporter.MessageBoxes().size(), 1u);
    EXPECT_NE(m_reporter.MessageBoxes()[0].find("(line 3)"), std::string::npos)
        << m_reporter.MessageBoxes()[0];
}

TEST_F(OpmlExchangeTest, FetchedGb2312OpmlIsKeptUnderItsTemporaryName) {
    std::string gb;
    ASSERT_TRUE(
        ConvertEncoding("<?xml version=\"1.0\" encoding=\"GB2312\"?><opml><body>"
                        "<outline title=\"中文\" xmlUrl=\"http://127.0.0.1/c.xml\"/>"
                        "</body></opml>",
                        "UTF-8", "GB18030", gb));
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceBytes("HTTP://Example.org/List.OPML?a=1", gb));
    EXPECT_TRUE(FileExists(JoinPath(m_root.TempDir(), "example.org_list.opml_a=1.xml")));
    ASSERT_EQ(import.Source().LiveCount(), 1u);
    EXPECT_EQ(import.Source().Node(import.Source().Children(kNoNode)[0])->caption, "中文");
}

TEST_F(OpmlExchangeTest, OpmlAddressIsFetchedOverHttp) {
    test::CFeedServer server;
    ASSERT_TRUE(server.Put("/lists/feeds.opml",
                           "<opml><body><outline text=\"Remote\" "
                           "xmlUrl=\"http://127.0.0.1/r.xml\"/></body></opml>"));
    ASSERT_TRUE(server.Put("/page.html", "<html><body>no</body></html>", "text/html"));
    COpmlImport import(m_root, m_messages);
    ASSERT_TRUE(import.Begin());
    ASSERT_TRUE(import.LoadSourceAddress(server.Url("/lists/feeds.opml")));
    ASSERT_EQ(import.Source().LiveCount(), 1u);
    const std::vector<test::RecordedRequest> requests = server.RequestsFor("/lists/");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].userAgent, "reader.zirvo.local");
    EXPECT_FALSE(import.LoadSourceAddress(server.Url("/status/404")));
    EXPECT_FALSE(import.LoadSourceAddress(server.Url("/page.html")));
    EXPECT_FALSE(import.LoadSourceAddress("file:///etc/passwd"));
    EXPECT_EQ(import.Source().LiveCount(), 0u);
    const std::vector<std::string> shown = m_reporter.MessageBoxes();
    ASSERT_EQ(shown.size(), 3u);
    // The Part's text, then the cause on a line of its own.
    EXPECT_EQ(shown[0], "无效的链接!\n服务器答复了HTTP 404");
    EXPECT_TRUE(StartsWith(shown[1], "无法识别的OPML文件格式\n")) << shown[1];
    EXPECT_NE(shown[1].find("<html>"), std::string::npos) << shown[1];
    EXPECT_TRUE(StartsWith(shown[2], "无效的链接!\n")) << shown[2];
}

TEST(OpmlTempName, FollowsTheAddress) {
    EXPECT_EQ(TempNameForOpmlUrl("http://www.Example.com/dir/feeds.XML"),
              "www.example.com_dir_feeds.xml");
    EXPECT_EQ(TempNameForOpmlUrl("http://h:8080/a*b?c<d>e|f%20"), "h_8080_a_b_c_d_e_f_20.xml");
    EXPECT_EQ(TempNameForOpmlUrl("http://h/x\\y"), "h_x_y.xml");
    EXPECT_EQ(TempNameForOpmlUrl("http://.."), "_...xml");
    const std::string longName = TempNameForOpmlUrl("http://h/" + std::string(600, 'a'));
    EXPECT_LE(longName.size(), 200u);
    EXPECT_TRUE(EndsWith(longName, ".xml"));
}

TEST(OpmlExportName, NeverLeavesTheChosenFolder) {
    EXPECT_EQ(DefaultExportName("新闻"), "新闻.opml");
    EXPECT_EQ(DefaultExportName("a/b"), "a_b.opml");
}

}  // namespace
}  // namespace zirvo
