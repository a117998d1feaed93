#include "core/search/rss_search.h"

#include <gtest/gtest.h>

#include "core/subscriptions/channel_binding.h"
#include "core/util/reporter.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

RssItem Item(const std::string& link, const std::string& title, const std::string& body) {
    RssItem item;
    item.link = link;
    item.title = title;
    item.description = body;
    item.date = "2006-01-03 08:00:00";
    return item;
}

class RssSearchTest : public ::testing::Test {
protected:
    RssSearchTest()
        : m_messages(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/ErrorMsg.xml", m_reporter),
          m_store((m_dir.MakeDir("Storage"), m_dir.Path())) {}

    void SetUp() override {
        ASSERT_TRUE(m_store.Open()) << m_store.GetLastError();
        m_news = m_tree.AddNode(kNoNode, "新闻", "", "");
        m_deep = m_tree.AddNode(m_tree.AddNode(m_news, "深处", "", ""), "Deep",
                                "http://127.0.0.1/deep.xml", "");
        m_top = m_tree.AddNode(kNoNode, "Top", "http://127.0.0.1/top.xml", "");
        Receive(m_deep, {Item("d1", "Linux 内核", "kernel news"),
                         Item("d2", "weather", "sunny, no linux here")});
        Receive(m_top, {Item("t1", "linux desktop", ""), Item("t2", "other", "")});
        // A fresh session: nothing bound.
        m_tree.ApplyBinding(m_deep, 0, {});
        m_tree.ApplyBinding(m_top, 0, {});
    }

    void Receive(NodeId id, const std::vector<RssItem>& items) {
        ASSERT_TRUE(BindChannel(m_tree, id, m_store));
        ASSERT_TRUE(m_store.SaveReceivedItems(m_tree.Node(id)->feedId, items, 3, 0));
    }

    test::TempDir m_dir{"search"};
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    CRssStore m_store;
    CChannelTree m_tree;
    NodeId m_news = kNoNode;
    NodeId m_deep = kNoNode;
    NodeId m_top = kNoNode;
};

TEST_F(RssSearchTest, FolderSearchCoversEveryDepthAndNamesThePath) {
    m_tree.SetCurrent(m_news);
    SearchResult result;
    ASSERT_TRUE(
        SearchLocal(m_tree, m_store, kSearchCurrentChannel, "linux", false, result, m_messages));
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].title, "Linux 内核");
    EXPECT_EQ(result.heading, "有 1 项符合关键字 \"linux\" 的结果, 在 \"新闻\" 中");
    EXPECT_EQ(result.items[0].group, result.heading);
    EXPECT_FALSE(result.fromStaging);

    ASSERT_TRUE(
        SearchLocal(m_tree, m_store, kSearchCurrentChannel, "linux", true, result, m_messages));
    ASSERT_EQ(result.items.size(), 2u);
    EXPECT_EQ(result.items[0].link, "d1");  // the feed's first item is the newest
    EXPECT_FALSE(result.items[0].description.empty());

    m_tree.SetCurrent(m_deep);
    ASSERT_TRUE(
        SearchLocal(m_tree, m_store, kSearchCurrentChannel, "linux", false, result, m_messages));
    EXPECT_EQ(result.heading, "有 1 项符合关键字 \"linux\" 的结果, 在 \"新闻 → 深处 → Deep\" 中");
}

TEST_F(RssSearchTest, AllChannelsAndNoResults) {
    SearchResult result;
    ASSERT_TRUE(
        SearchLocal(m_tree, m_store, kSearchAllChannels, "linux", false, result, m_messages));
    EXPECT_EQ(result.items.size(), 2u);
    EXPECT_EQ(result.heading, "有 2 项符合关键字 \"linux\" 的结果, 在全部频道中");
    EXPECT_FALSE(
        SearchLocal(m_tree, m_store, kSearchAllChannels, "nothing", true, result, m_messages));
    EXPECT_TRUE(result.items.empty());
    // Quotes and LIKE-breaking text are only text.
    EXPECT_FALSE(
        SearchLocal(m_tree, m_store, kSearchAllChannels, "x' OR '1'='1", true, result, m_messages));
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{"没有符合条件的搜索结果!", "没有符合条件的搜索结果!"}));
}

TEST_F(RssSearchTest, CurrentScopeWithoutCurrentNodeDoesNothing) {
    SearchResult result;
    EXPECT_FALSE(
        SearchLocal(m_tree, m_store, kSearchCurrentChannel, "linux", true, result, m_messages));
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
    // An empty folder has no channels to search.
    m_tree.SetCurrent(m_tree.AddNode(kNoNode, "空", "", ""));
    EXPECT_FALSE(
        SearchLocal(m_tree, m_store, kSearchCurrentChannel, "linux", true, result, m_messages));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"没有符合条件的搜索结果!"}));
}

TEST_F(RssSearchTest, PreparedSearchRunsOnAnotherConnectionWithoutAddingRows) {
    // A channel the store has never seen lies in the folder as well.
    m_tree.AddNode(m_news, "Unknown", "http://127.0.0.1/unknown.xml", "");
    m_tree.SetCurrent(m_news);
    LocalSearchRequest request;
    ASSERT_TRUE(PrepareLocalSearch(m_tree, kSearchCurrentChannel, "linux", true, request));
    EXPECT_EQ(request.channels.size(), 2u);
    EXPECT_EQ(request.pathCaption, "新闻");
    int channels = 0;
    int items = 0;
    ASSERT_TRUE(m_store.CountAll(channels, items));

    CRssStore other(m_dir.Path());
    ASSERT_TRUE(other.Open()) << other.GetLastError();
    SearchResult result;
    std::string error;
    ASSERT_TRUE(RunLocalSearch(other, request, result, error)) << error;
    ASSERT_EQ(result.items.size(), 2u);
    EXPECT_EQ(result.heading, "有 2 项符合关键字 \"linux\" 的结果, 在 \"新闻\" 中");
    int channelsAfter = 0;
    ASSERT_TRUE(other.CountAll(channelsAfter, items));
    EXPECT_EQ(channelsAfter, channels);

    EXPECT_TRUE(PrepareLocalSearch(m_tree, kSearchAllChannels, "nothing", true, request));
    EXPECT_FALSE(RunLocalSearch(other, request, result, error));
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(result.items.empty());
    // No current node, or a scope that is not local: nothing to search.
    m_tree.SetCurrent(kNoNode);
    EXPECT_FALSE(PrepareLocalSearch(m_tree, kSearchCurrentChannel, "linux", true, request));
    EXPECT_FALSE(PrepareLocalSearch(m_tree, kSearchNewsService, "linux", true, request));
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
}

TEST(SearchPanel, ScopeCountAndKeywordTexts) {
    int scope = -1;
    EXPECT_TRUE(ScopeFromText("本地-当前频道", scope));
    EXPECT_EQ(scope, 0);
    EXPECT_TRUE(ScopeFromText("百度新闻搜索", scope));
    EXPECT_EQ(scope, 3);
    EXPECT_FALSE(ScopeFromText("其他", scope));
    EXPECT_EQ(ResultCountFromText("获取50条搜索结果"), "50");
    EXPECT_EQ(ResultCountFromText("获取100条搜索结果"), "100");
    const FieldCheck check = CheckSearchKeyword("");
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, "请输入要搜索的关键字");
    EXPECT_TRUE(CheckSearchKeyword("x").ok);
}

}  // namespace
}  // namespace zirvo
