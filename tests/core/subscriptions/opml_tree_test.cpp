#include "core/subscriptions/opml_tree.h"

#include <gtest/gtest.h>

#include "core/util/text_codec.h"
#include "core/util/xml_document.h"
#include "subscriptions_fixture.h"

namespace zirvo {
namespace {

using test::SubscriptionsFixture;

class OpmlTreeTest : public ::testing::Test, protected SubscriptionsFixture {
protected:
    std::vector<OpmlOutline> LoadAll(const std::string& path) {
        COpmlTree file(path, m_messages);
        std::vector<OpmlOutline> outlines;
        EXPECT_TRUE(file.Load(outlines));
        return outlines;
    }
};

TEST_F(OpmlTreeTest, LoadReadsNestingCaptionsAndNumbers) {
    const std::string path = WriteOpml();
    std::vector<OpmlOutline> outlines = LoadAll(path);
    ASSERT_EQ(outlines.size(), 3u);
    EXPECT_EQ(outlines[0].Caption(), "新闻");
    EXPECT_EQ(outlines[0].unreadNum, 7);
    EXPECT_EQ(outlines[0].expanded, 1);
    ASSERT_EQ(outlines[0].children.size(), 3u);
    EXPECT_EQ(outlines[0].children[2].Caption(), "技术/开发");
    EXPECT_TRUE(outlines[0].children[2].xmlUrl.empty());
    // An outline with only `text` shows that text.
    EXPECT_EQ(outlines[0].children[2].children[0].Caption(), "Gamma only text");
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(OpmlTreeTest, BodyWithoutOutlinesIsAnEmptyTreeWithoutMessage) {
    const std::string path = WriteOpml("<opml><body/></opml>");
    EXPECT_TRUE(LoadAll(path).empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(OpmlTreeTest, BrokenFilesGiveMessage8000AndStayUntouched) {
    const std::vector<std::string> broken = {
        "<opml><body><outline title='x'></body></opml>",  // not well-formed
        "<opml><head/></opml>",                           // no body
        "<rss><body/></rss>",                             // not OPML
        "",
    };
    for (const std::string& bytes : broken) {
        m_reporter.Clear();
        const std::string path = WriteOpml(bytes);
        COpmlTree file(path, m_messages);
        std::vector<OpmlOutline> outlines;
        EXPECT_FALSE(file.Load(outlines)) << bytes;
        EXPECT_FALSE(file.AddOutline({}, "t", "http://127.0.0.1/x", "")) << bytes;
        EXPECT_FALSE(file.Delete({0})) << bytes;
        EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{8000, 8000, 8000})) << bytes;
        EXPECT_EQ(ReadBack(path), bytes);
    }
    COpmlTree missing(m_dir.PathOf("Storage/none.opml"), m_messages);
    std::vector<OpmlOutline> outlines;
    EXPECT_FALSE(missing.Load(outlines));
    EXPECT_FALSE(FileExists(m_dir.PathOf("Storage/none.opml")));
}

TEST_F(OpmlTreeTest, PathsThatNoLongerExistGiveTheOperationsMessage) {
    const std::string path = WriteOpml();
    const std::string before = ReadBack(path);
    COpmlTree file(path, m_messages);
    EXPECT_FALSE(file.AddOutline({9}, "t", "", ""));
    EXPECT_FALSE(file.SetAttribute({0, 7}, "title", "x"));
    EXPECT_FALSE(file.Delete({3}));
    EXPECT_FALSE(file.Delete({}));  // body itself is not a node
    EXPECT_FALSE(file.Move({0, 5}, {1}, true));
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{"添加失败!", "保存属性失败!", "删除失败!", "删除失败!",
                                        "移动失败!"}));
    EXPECT_EQ(ReadBack(path), before);
}

TEST_F(OpmlTreeTest, AddOutlineWritesUrlsOnlyWhenGiven) {
    const std::string path = WriteOpml();
    COpmlTree file(path, m_messages);
    ASSERT_TRUE(file.AddOutline({0, 2}, "A & <B>", "", ""));
    ASSERT_TRUE(file.AddOutline({}, "Root channel", "http://127.0.0.1/r?a=1&b=2", "http://h/"));
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(path));
    XmlNode folder = doc.SelectNode("/opml/body/outline[0]/outline[2]/outline[1]");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder.Attribute("title"), "A & <B>");
    EXPECT_FALSE(folder.HasAttribute("xmlUrl"));
    EXPECT_FALSE(folder.HasAttribute("htmlUrl"));
    XmlNode channel = doc.SelectNode("/opml/body/outline[3]");
    EXPECT_EQ(channel.Attribute("xmlUrl"), "http://127.0.0.1/r?a=1&b=2");
    EXPECT_EQ(channel.Attribute("htmlUrl"), "http://h/");
    // The head the program never reads is kept.
    EXPECT_EQ(doc.SelectNode("/opml/head/title").Text(), "keep me");
}

TEST_F(OpmlTreeTest, MoveBeforeAndIntoFollowTheTargetPath) {
    const std::string path = WriteOpml();
    COpmlTree file(path, m_messages);
    // Epsilon in front of the first top-level folder.
    ASSERT_TRUE(file.Move({2}, {0}, true));
    // Alpha (now at {1, 0}) into Delta (now {2}).
    ASSERT_TRUE(file.Move({1, 0}, {2}, false));
    std::vector<OpmlOutline> outlines = LoadAll(path);
    ASSERT_EQ(outlines.size(), 3u);
    EXPECT_EQ(outlines[0].Caption(), "Epsilon");
    EXPECT_EQ(outlines[1].children[0].Caption(), "Beta");
    ASSERT_EQ(outlines[2].children.size(), 1u);
    EXPECT_EQ(outlines[2].children[0].Caption(), "Alpha");
    // To the end of body.
    ASSERT_TRUE(file.Move({1, 1}, {}, false));
    outlines = LoadAll(path);
    EXPECT_EQ(outlines.back().Caption(), "技术/开发");
}

TEST_F(OpmlTreeTest, MoveIntoOwnSubtreeIsRefused) {
    const std::string path = WriteOpml();
    const std::string before = ReadBack(path);
    COpmlTree file(path, m_messages);
    EXPECT_FALSE(file.Move({0}, {0, 2}, false));
    EXPECT_FALSE(file.Move({0}, {0}, true));
    EXPECT_EQ(ReadBack(path), before);
    EXPECT_EQ(m_reporter.MessageBoxes().size(), 2u);
}

TEST_F(OpmlTreeTest, SaveStateWritesCountsAndExpansion) {
    const std::string path = WriteOpml();
    CChannelTree tree;
    tree.InsertOutlines(kNoNode, LoadAll(path), false);
    const NodeId beta = tree.FindByCaptionPath("新闻/Beta");
    tree.SetUnread(beta, 11);
    tree.SetExpanded(tree.FindByCaptionPath("新闻"), false);
    COpmlTree file(path, m_messages);
    ASSERT_TRUE(file.SaveState(tree));
    std::vector<OpmlOutline> outlines = LoadAll(path);
    EXPECT_EQ(outlines[0].expanded, 0);
    EXPECT_EQ(outlines[0].unreadNum, 11);
    EXPECT_EQ(outlines[0].children[1].unreadNum, 11);
    EXPECT_EQ(outlines[0].children[0].unreadNum, 0);
    EXPECT_EQ(outlines[0].children[2].expanded, 1);
}

TEST_F(OpmlTreeTest, SaveStateWritesNothingWhenNoStateChanged) {
    const std::string path = WriteOpml();
    CChannelTree tree;
    tree.InsertOutlines(kNoNode, LoadAll(path), false);
    COpmlTree file(path, m_messages);
    ASSERT_TRUE(file.SaveState(tree));
    // Quoted as no writer of the file quotes, so that a rewrite would show.
    std::string marked = ReadBack(path);
    const size_t at = marked.find("<opml version=\"1.0\">");
    ASSERT_NE(at, std::string::npos);
    marked.replace(at, 20, "<opml version='1.0'>");
    WriteOpml(marked);
    ASSERT_TRUE(file.SaveState(tree));
    EXPECT_EQ(ReadBack(path), marked);

    tree.SetUnread(tree.FindByCaptionPath("新闻/Beta"), 3);
    ASSERT_TRUE(file.SaveState(tree));
    EXPECT_EQ(ReadBack(path).find("version='1.0'"), std::string::npos);
    EXPECT_EQ(LoadAll(path)[0].children[1].unreadNum, 3);
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
}

TEST_F(OpmlTreeTest, SaveStateLeavesOutlinesThatNoLongerMatch) {
    const std::string path = WriteOpml();
    CChannelTree tree;
    tree.InsertOutlines(kNoNode, LoadAll(path), true);
    tree.SetUnread(tree.FindByCaptionPath("Delta"), 40);
    // Someone else renamed Delta in the file meanwhile.
    COpmlTree file(path, m_messages);
    ASSERT_TRUE(file.SetAttribute({1}, "title", "Renamed"));
    ASSERT_TRUE(file.SaveState(tree));
    std::vector<OpmlOutline> outlines = LoadAll(path);
    EXPECT_EQ(outlines[1].unreadNum, 2);
}

TEST_F(OpmlTreeTest, Gb2312DeclaredFileIsReadAndRewrittenAsUtf8) {
    const std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
        "<opml><body><outline title=\"中文频道\" xmlUrl=\"http://127.0.0.1/z.xml\"/></body></opml>";
    std::string gb;
    ASSERT_TRUE(ConvertEncoding(utf8, "UTF-8", "GB18030", gb));
    const std::string path = WriteOpml(gb);
    ASSERT_EQ(LoadAll(path)[0].Caption(), "中文频道");
    COpmlTree file(path, m_messages);
    ASSERT_TRUE(file.SetAttribute({0}, "htmlUrl", "http://127.0.0.1/"));
    const std::string written = ReadBack(path);
    EXPECT_NE(written.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(written.find("中文频道"), std::string::npos);
    EXPECT_EQ(LoadAll(path)[0].Caption(), "中文频道");
}

TEST(OpmlSelection, IndexPathsBecomeZeroBasedSelections) {
    EXPECT_EQ(COpmlTree::SelectionFor({}), "/opml/body");
    EXPECT_EQ(COpmlTree::SelectionFor({2, 0}), "/opml/body/outline[2]/outline[0]");
}

}  // namespace
}  // namespace zirvo
