#include "core/subscriptions/channel_tree_editor.h"

#include <gtest/gtest.h>

#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/channel_checks.h"
#include "subscriptions_fixture.h"

namespace zirvo {
namespace {

using test::ExecuteOn;
using test::SubscriptionsFixture;

RssItem Item(const std::string& link) {
    RssItem item;
    item.link = link;
    item.title = "title of " + link;
    item.date = "2006-01-03 08:00:00";
    return item;
}

class ChannelTreeEditorTest : public ::testing::Test, protected SubscriptionsFixture {
protected:
    ChannelTreeEditorTest() : m_store(m_dir.Path()), m_editor(m_tree, WriteOpml(), m_messages) {}

    void SetUp() override {
        ASSERT_TRUE(m_store.Open()) << m_store.GetLastError();
        ChannelTreeSettings settings;
        settings.whenExitRememberUnreadNum = 1;
        m_tree.SetSettings(settings);
        ASSERT_TRUE(m_editor.Load());
    }

    // Gives a channel `count` unread items in the store.
    int Seed(NodeId id, int count) {
        EXPECT_TRUE(BindChannel(m_tree, id, m_store));
        std::vector<RssItem> items;
        for (int i = 0; i < count; ++i) {
            items.push_back(Item(m_tree.Node(id)->feedUrl + "#" + std::to_string(i)));
        }
        const int feedId = m_tree.Node(id)->feedId;
        EXPECT_TRUE(m_store.SaveReceivedItems(feedId, items, 3, 0));
        return feedId;
    }

    std::vector<OpmlOutline> FileOutlines() {
        std::vector<OpmlOutline> outlines;
        EXPECT_TRUE(m_editor.File().Load(outlines));
        return outlines;
    }

    NodeId Find(const std::string& path) { return m_tree.FindByCaptionPath(path); }

    CRssStore m_store;
    CChannelTree m_tree;
    CChannelTreeEditor m_editor;
};

TEST_F(ChannelTreeEditorTest, AddedNodesReachFileAndTreeInTheSamePlace) {
    const NodeId folder = m_editor.AddFolder(Find("新闻"), "博客", "");
    ASSERT_NE(folder, kNoNode);
    const NodeId channel =
        m_editor.AddChannel(folder, "Zeta 中文", "http://127.0.0.1/zeta.xml", "http://127.0.0.1/");
    ASSERT_NE(channel, kNoNode);
    EXPECT_EQ(m_tree.PathOf(channel), (IndexPath{0, 3, 0}));
    const OpmlOutline written = FileOutlines()[0].children[3].children[0];
    EXPECT_EQ(written.title, "Zeta 中文");
    EXPECT_EQ(written.xmlUrl, "http://127.0.0.1/zeta.xml");
    EXPECT_TRUE(m_tree.Node(folder)->expanded);
    EXPECT_EQ(m_tree.Node(channel)->image, kImageChannel);
}

TEST_F(ChannelTreeEditorTest, CaptionsAreCutOnACharacter) {
    std::string title;
    for (int i = 0; i < 700; ++i) {
        title += "题";  // 2,100 bytes
    }
    const NodeId channel = m_editor.AddChannel(kNoNode, title, "http://127.0.0.1/long.xml", "");
    ASSERT_NE(channel, kNoNode);
    EXPECT_EQ(m_tree.Node(channel)->caption, title.substr(0, 1023));
    EXPECT_EQ(FileOutlines().back().title, title.substr(0, 1023));
    const NodeId delta = Find("Delta");
    ASSERT_TRUE(m_editor.Rename(delta, "x" + title));
    EXPECT_EQ(m_tree.Node(delta)->caption, "x" + title.substr(0, 1023));
}

TEST_F(ChannelTreeEditorTest, RefusedInputChangesNothing) {
    const std::string before = ReadBack(m_editor.File().Path());
    EXPECT_EQ(m_editor.AddChannel(kNoNode, "x", "file:///etc/passwd", ""), kNoNode);
    EXPECT_EQ(m_editor.AddChannel(kNoNode, "x", "http://127.0.0.1/a b.xml", ""), kNoNode);
    EXPECT_EQ(m_editor.AddFolder(kNoNode, "a<b", ""), kNoNode);
    EXPECT_FALSE(m_editor.Rename(Find("Delta"), "<x>"));
    EXPECT_TRUE(m_editor.Rename(Find("Delta"), ""));  // empty: nothing happens
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{kFeedUrlNotWeb, kFeedUrlNotWeb, "您输入了无效的字符!",
                                        "您输入了无效的字符!"}));
    EXPECT_EQ(ReadBack(m_editor.File().Path()), before);
    EXPECT_EQ(m_tree.LiveCount(), 7u);
}

TEST_F(ChannelTreeEditorTest, FailedWriteLeavesTheTreeAsItWas) {
    const std::string before = ReadBack(m_editor.File().Path());
    {
        // Writes fail (EFBIG) whatever the rights of the user running the test.
        test::FileSizeLimit limit(64);
        EXPECT_EQ(m_editor.AddFolder(kNoNode, "new", ""), kNoNode);
        EXPECT_FALSE(m_editor.Rename(Find("Delta"), "Omega"));
        EXPECT_FALSE(m_editor.MoveUp(Find("Epsilon")));
    }
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{"添加失败!", "保存属性失败!", "移动失败!"}));
    EXPECT_EQ(m_tree.LiveCount(), 7u);
    EXPECT_NE(Find("Delta"), kNoNode);
    EXPECT_EQ(m_tree.PathOf(Find("Epsilon")), (IndexPath{2}));
    EXPECT_EQ(ReadBack(m_editor.File().Path()), before);
}

TEST_F(ChannelTreeEditorTest, MoveUpLowersTheLastIndex) {
    const NodeId epsilon = Find("Epsilon");
    const IndexPath old = m_tree.PathOf(epsilon);
    ASSERT_TRUE(m_editor.MoveUp(epsilon));
    EXPECT_EQ(m_tree.PathOf(epsilon), (IndexPath{old[0] - 1}));
    EXPECT_EQ(FileOutlines()[1].Caption(), "Epsilon");
    // The first child has no previous sibling and stays.
    EXPECT_FALSE(m_editor.MoveUp(Find("新闻/Alpha")));
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
}

TEST_F(ChannelTreeEditorTest, DropOnFolderAppendsDropOnChannelInsertsBefore) {
    const NodeId delta = Find("Delta");
    ASSERT_TRUE(m_editor.MoveOnto(delta, Find("新闻/技术\\/开发")));
    EXPECT_EQ(m_tree.PathOf(delta), (IndexPath{0, 2, 1}));
    const NodeId epsilon = Find("Epsilon");
    ASSERT_TRUE(m_editor.MoveOnto(epsilon, Find("新闻/Beta")));
    EXPECT_EQ(m_tree.PathOf(epsilon), (IndexPath{0, 1}));
    // Onto itself or into its own subtree: nothing changes.
    const NodeId news = Find("新闻");
    EXPECT_FALSE(m_editor.MoveOnto(news, news));
    EXPECT_FALSE(m_editor.MoveOnto(news, delta));
    // File and tree agree after all of it.
    CChannelTree reread;
    reread.InsertOutlines(kNoNode, FileOutlines(), false);
    for (NodeId id : m_tree.Walk()) {
        EXPECT_EQ(reread.Node(reread.FindByIndexPath(m_tree.PathOf(id)))->caption,
                  m_tree.Node(id)->caption);
    }
    ASSERT_TRUE(m_editor.MoveToRoot(delta));
    EXPECT_EQ(FileOutlines().back().Caption(), "Delta");
}

TEST_F(ChannelTreeEditorTest, DeleteRemovesRowsOfChannelsNeverBoundThisSession) {
    const NodeId alpha = Find("新闻/Alpha");
    const int alphaFeed = Seed(alpha, 3);
    // A fresh start: nothing bound yet.
    ASSERT_TRUE(m_editor.Load());
    ASSERT_TRUE(m_editor.Delete(Find("新闻"), m_store));
    EXPECT_EQ(Find("新闻"), kNoNode);
    EXPECT_EQ(FileOutlines().size(), 2u);
    int total = -1;
    int unread = -1;
    ASSERT_TRUE(m_store.CountFeed(alphaFeed, total, unread));
    EXPECT_EQ(total, 0);
    // The row is gone: the same address binds to a new row.
    int again = 0;
    ASSERT_TRUE(m_store.AddFeed("http://127.0.0.1/other.xml", again));
    FeedSettings settings;
    int id = 0;
    ASSERT_TRUE(m_store.GetFeedSettings("http://127.0.0.1/alpha.xml", id, settings));
    EXPECT_NE(id, alphaFeed);
}

TEST_F(ChannelTreeEditorTest, DeleteKeepsTheRowOfAnAddressSubscribedTwice) {
    // Two nodes of one address can come in through an import.
    const NodeId copy = m_editor.AddNode(kNoNode, "Delta again", "http://127.0.0.1/delta.xml", "");
    ASSERT_NE(copy, kNoNode);
    const int feedId = Seed(Find("Delta"), 2);
    ASSERT_TRUE(m_editor.Delete(copy, m_store));
    int total = 0;
    int unread = 0;
    ASSERT_TRUE(m_store.CountFeed(feedId, total, unread));
    EXPECT_EQ(total, 2);
}

TEST_F(ChannelTreeEditorTest, MarkReadClearAndRecountFollowTheStore) {
    const NodeId alpha = Find("新闻/Alpha");
    const NodeId gamma = Find("新闻/技术\\/开发/Gamma only text");
    Seed(alpha, 3);
    Seed(gamma, 2);
    const NodeId news = Find("新闻");
    ASSERT_TRUE(m_editor.RecountUnread(kNoNode, m_store));
    EXPECT_EQ(m_tree.Unread(news), 5);
    EXPECT_EQ(m_tree.Unread(Find("Delta")), 0);
    ASSERT_TRUE(m_editor.MarkRead(news, m_store));
    EXPECT_EQ(m_tree.Unread(news), 0);
    ASSERT_TRUE(m_editor.MarkRead(gamma, m_store, false));
    EXPECT_EQ(m_tree.Unread(news), 2);
    ASSERT_TRUE(m_editor.ClearArticles(news, m_store));
    EXPECT_EQ(m_tree.Unread(news), 0);
    int total = -1;
    int unread = -1;
    ASSERT_TRUE(m_store.CountFeed(m_tree.Node(gamma)->feedId, total, unread));
    EXPECT_EQ(total, 0);
}

TEST_F(ChannelTreeEditorTest, ChannelPropertiesRenameTheRowWithItsItems) {
    const NodeId delta = Find("Delta");
    const int feedId = Seed(delta, 2);
    FeedSettings settings;
    settings.rssRank = 5;
    settings.storageType = 2;
    settings.storageNum = 30;
    ASSERT_TRUE(m_editor.SetChannelProperties(delta, "Delta 2", "http://127.0.0.1/delta2.xml",
                                              "http://127.0.0.1/home", settings, m_store));
    const OpmlOutline written = FileOutlines()[1];
    EXPECT_EQ(written.title, "Delta 2");
    EXPECT_EQ(written.xmlUrl, "http://127.0.0.1/delta2.xml");
    EXPECT_EQ(written.htmlUrl, "http://127.0.0.1/home");
    int id = 0;
    FeedSettings stored;
    ASSERT_TRUE(m_store.GetFeedSettings("http://127.0.0.1/delta2.xml", id, stored));
    EXPECT_EQ(id, feedId);
    EXPECT_EQ(stored.rssRank, 5);
    EXPECT_EQ(stored.storageNum, 30);
    EXPECT_EQ(m_tree.Node(delta)->feedId, feedId);
    EXPECT_EQ(m_tree.Node(delta)->settings.storageType, 2);
}

TEST_F(ChannelTreeEditorTest, AnAddressMayBeSubscribedInTwoPlaces) {
    const int feedId = Seed(Find("Delta"), 2);
    const NodeId twice =
        m_editor.AddChannel(Find("新闻"), "Delta twice", "http://127.0.0.1/delta.xml", "", m_store);
    ASSERT_NE(twice, kNoNode);
    EXPECT_EQ(m_tree.Node(twice)->feedId, feedId);
    EXPECT_EQ(FileOutlines()[0].children.back().xmlUrl, "http://127.0.0.1/delta.xml");
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
    // Taking one of them to another address leaves the other its row and items.
    ASSERT_TRUE(m_editor.SetChannelProperties(twice, "Moved", "http://127.0.0.1/moved.xml", "",
                                              FeedSettings{}, m_store));
    EXPECT_NE(m_tree.Node(twice)->feedId, feedId);
    int id = 0;
    FeedSettings settings;
    ASSERT_TRUE(m_store.GetFeedSettings("http://127.0.0.1/delta.xml", id, settings));
    EXPECT_EQ(id, feedId);
    int total = 0;
    int unread = 0;
    ASSERT_TRUE(m_store.CountFeed(feedId, total, unread));
    EXPECT_EQ(total, 2);
}

TEST_F(ChannelTreeEditorTest, EditingKeepsAnOldAddressOfAnotherKind) {
    // Written by an older program; the add dialog would refuse it today.
    const NodeId old = m_editor.AddNode(kNoNode, "Old", "feed://127.0.0.1/old.xml", "");
    ASSERT_NE(old, kNoNode);
    FeedSettings settings;
    settings.autoUpdate = 0;
    ASSERT_TRUE(m_editor.SetChannelProperties(old, "Renamed", "feed://127.0.0.1/old.xml", "",
                                              settings, m_store));
    EXPECT_EQ(FileOutlines().back().title, "Renamed");
    EXPECT_FALSE(
        m_editor.SetChannelProperties(old, "Renamed", "file:///etc/passwd", "", settings, m_store));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{kFeedUrlNotWeb}));
    EXPECT_EQ(FileOutlines().back().xmlUrl, "feed://127.0.0.1/old.xml");
}

TEST_F(ChannelTreeEditorTest, DeleteThatCannotWriteTheFileKeepsTheItems) {
    // The file is too big to be written under the limit below; the store's few pages are not.
    CChannelTreeEditor editor(m_tree, WriteOpml(test::PaddedSampleOpml(30000)), m_messages);
    ASSERT_TRUE(editor.Load());
    const NodeId delta = Find("Delta");
    const int feedId = Seed(delta, 3);
    const std::string before = ReadBack(editor.File().Path());
    ASSERT_GT(before.size(), 2u << 20);
    {
        test::FileSizeLimit limit(1 << 20);
        EXPECT_FALSE(editor.Delete(delta, m_store));
    }
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"删除失败!"}));
    EXPECT_TRUE(m_tree.Exists(delta));
    EXPECT_EQ(ReadBack(editor.File().Path()), before);
    int total = 0;
    int unread = 0;
    ASSERT_TRUE(m_store.CountFeed(feedId, total, unread));
    EXPECT_EQ(total, 3);
}

TEST_F(ChannelTreeEditorTest, StoreFailureAfterTheFilePutsTheFileBack) {
    const NodeId delta = Find("Delta");
    const int feedId = Seed(delta, 3);
    const std::string before = ReadBack(m_editor.File().Path());
    const std::string database = m_dir.PathOf("Storage/rss.db");
    // The items go first inside the delete; the row then refuses to go.
    ExecuteOn(database,
              "CREATE TRIGGER keep_rows BEFORE DELETE ON feed_data BEGIN SELECT RAISE(ABORT, "
              "'row kept'); END;");
    ExecuteOn(database,
              "CREATE TRIGGER keep_settings BEFORE UPDATE ON feed_data BEGIN SELECT "
              "RAISE(ABORT, 'settings kept'); END;");
    EXPECT_FALSE(m_editor.Delete(delta, m_store));
    EXPECT_NE(m_store.GetLastError().find("row kept"), std::string::npos);
    EXPECT_FALSE(m_editor.SetChannelProperties(delta, "Delta 2", "http://127.0.0.1/delta2.xml", "",
                                               FeedSettings{}, m_store));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"设置失败!"}));
    EXPECT_EQ(ReadBack(m_editor.File().Path()), before);
    EXPECT_EQ(m_tree.Node(delta)->caption, "Delta");
    EXPECT_EQ(m_tree.Node(delta)->feedUrl, "http://127.0.0.1/delta.xml");
    int total = 0;
    int unread = 0;
    ASSERT_TRUE(m_store.CountFeed(feedId, total, unread));
    EXPECT_EQ(total, 3);
}

TEST_F(ChannelTreeEditorTest, AddWithBindingWritesNothingWhenTheRowCannotBeMade) {
    const std::string before = ReadBack(m_editor.File().Path());
    ExecuteOn(m_dir.PathOf("Storage/rss.db"),
              "CREATE TRIGGER no_rows BEFORE INSERT ON feed_data BEGIN SELECT RAISE(ABORT, "
              "'full'); END;");
    EXPECT_EQ(m_editor.AddChannel(kNoNode, "Zeta", "http://127.0.0.1/zeta.xml", "", m_store),
              kNoNode);
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"添加失败!"}));
    EXPECT_EQ(ReadBack(m_editor.File().Path()), before);
    EXPECT_EQ(m_tree.LiveCount(), 7u);
}

TEST_F(ChannelTreeEditorTest, LoadHonoursTheRememberSetting) {
    EXPECT_EQ(m_tree.Unread(Find("Delta")), 2);
    ChannelTreeSettings settings;
    settings.whenExitRememberUnreadNum = 0;
    m_tree.SetSettings(settings);
    ASSERT_TRUE(m_editor.Load());
    EXPECT_EQ(m_tree.Unread(Find("Delta")), 0);
    EXPECT_EQ(m_tree.Unread(Find("新闻")), 0);
}

TEST_F(ChannelTreeEditorTest, SettingsComeFromTheConfigurationFile) {
    m_dir.MakeDir("config");
    std::string shipped;
    ASSERT_TRUE(
        ReadFileBytes(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/config/appConfig.xml", shipped));
    CAppConfig config(m_dir.WriteFile("config/appConfig.xml", shipped), m_messages);
    ChannelTreeSettings settings;
    ASSERT_TRUE(ReadChannelTreeSettings(config, m_messages, settings));
    EXPECT_EQ(settings.paginationNum, 50);
    EXPECT_EQ(settings.whenExitRememberUnreadNum, 1);
    CAppConfig missing(m_dir.PathOf("config/none.xml"), m_messages);
    ChannelTreeSettings defaults;
    EXPECT_FALSE(ReadChannelTreeSettings(missing, m_messages, defaults));
    EXPECT_EQ(m_reporter.MessageBoxes().back(), "rss reader配置文件错误");
    EXPECT_EQ(defaults.autoReceiveTime, 30);
    EXPECT_EQ(defaults.storageType, 1);
}

}  // namespace
}  // namespace zirvo
