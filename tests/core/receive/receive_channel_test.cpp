// Single-channel receives end to end: loopback HTTP, the real feed store, the tree model and
// what the observer is told.

#include <thread>

#include "core/util/closing_flag.h"
#include "receive_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(ReceiveTest, ReceiveStoresItemsCountsThemAndReportsInOrder) {
    NodeId folder = AddFolder("News");
    NodeId other = AddChannel("Other", "/corpus/narro.rss", folder);
    NodeId channel = AddChannel("Herald", "/corpus/heraldsun.rss", folder);
    m_tree.SetUnread(other, 3);
    m_observer.Clear();

    ASSERT_TRUE(ReceiveOne(channel));

    std::string n = std::to_string(channel);
    EXPECT_EQ(m_observer.Events(), (Strings{"image " + n + " 0", "flush", "unread " + n + " 2",
                                            "image " + n + " 2", "done " + n + " ok"}));
    EXPECT_EQ(StoredLinks(channel).size(), 2u);
    EXPECT_EQ(m_tree.Unread(channel), 2);
    EXPECT_EQ(m_tree.Unread(folder), 5);
    EXPECT_EQ(ImageOf(channel), kImageReceived);
    EXPECT_EQ(Server().Requests().size(), 1u);
}

TEST_F(ReceiveTest, FeedOrderDecidesItemIdsFirstItemNewest) {
    ASSERT_TRUE(Server().Put("/order.xml", FeedWith({"http://x/1", "http://x/2", "http://x/3"})));
    NodeId channel = AddChannel("Order", "/order.xml");
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StoredLinks(channel), (Strings{"http://x/1", "http://x/2", "http://x/3"}));
}

TEST_F(ReceiveTest, UnreadableFeedsFailWithImage4AndStoreNothing) {
    // What the channel's tooltip and properties will say, in the interface's language.
    const std::pair<const char*, const char*> cases[] = {
        {"/bad.json", "返回的内容不是格式正确的JSON对象"},
        {"/empty.atom", "Atom频道中没有带链接或id的条目"},
        {"/html", "服务器返回的是网页，不是RSS频道"},
        {"/status/404", "HTTP 404: 服务器返回的是网页，不是RSS频道"},
        {"/truncated", "传输中断（"},
        {"/no-link.xml", "频道的第一个条目没有链接"}};
    ASSERT_TRUE(Server().Put("/no-link.xml",
                             "<rss><channel><item><title>a</title></item><item>"
                             "<link>http://x/b</link></item></channel></rss>"));
    ASSERT_TRUE(Server().Put("/bad.json", "{\"items\": [{\"url\": \"http://x/1\"}"));
    ASSERT_TRUE(Server().Put(
        "/empty.atom", "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title></feed>"));
    for (const auto& [path, said] : cases) {
        SCOPED_TRACE(path);
        m_observer.Clear();
        NodeId channel = AddChannel(path, path);
        ASSERT_TRUE(ReceiveOne(channel));
        EXPECT_EQ(ImageOf(channel), kImageFailed);
        EXPECT_TRUE(StoredLinks(channel).empty());
        EXPECT_TRUE(m_observer.EventsOf("unread").empty());
        auto outcomes = m_observer.Outcomes();
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_FALSE(outcomes[0].ok);
        EXPECT_FALSE(outcomes[0].error.empty());
        EXPECT_EQ(outcomes[0].message.rfind(said, 0), 0u) << outcomes[0].message;
    }
}

TEST_F(ReceiveTest, ReceivedAndUnreachableChannelsSayWhatHappenedInChinese) {
    NodeId channel = AddChannel("Herald", "/corpus/heraldsun.rss");
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(m_observer.Outcomes().back().message, "已接收，频道中有 2 个条目");

    // Port 1 on loopback: nothing listens, the connection is refused at once.
    m_observer.Clear();
    NodeId closed = m_tree.AddNode(kNoNode, "Closed", "http://127.0.0.1:1/feed.xml", "");
    ASSERT_TRUE(ReceiveOne(closed));
    std::string said = m_observer.Outcomes().back().message;
    EXPECT_EQ(said.rfind("无法连接到服务器（", 0), 0u) << said;
}

TEST_F(ReceiveTest, AtomRdfAndJsonFeedsMergeLikeRss) {
    const std::pair<const char*, size_t> feeds[] = {{"/corpus/atom-bases.atom", 4},
                                                    {"/corpus/rss-1.0-dc.rdf", 2},
                                                    {"/corpus/json-feed.json", 3}};
    for (const auto& [path, count] : feeds) {
        SCOPED_TRACE(path);
        NodeId channel = AddChannel(path, path);
        ASSERT_TRUE(ReceiveOne(channel));
        EXPECT_EQ(ImageOf(channel), kImageReceived);
        EXPECT_EQ(StoredLinks(channel).size(), count);
        EXPECT_EQ(m_tree.Unread(channel), static_cast<int>(count));
        ASSERT_TRUE(ReceiveOne(channel));
        EXPECT_EQ(StoredLinks(channel).size(), count);
    }
}

TEST_F(ReceiveTest, OnlyTheFirstItemsUpToTheLimitAreRead) {
    Strings links;
    for (int i = 0; i < 12; ++i) {
        links.push_back("http://x/" + std::to_string(i));
    }
    ASSERT_TRUE(Server().Put("/long.xml", FeedWith(links)));
    m_manager->SetMaxFeedItems(5);
    NodeId channel = AddChannel("Long", "/long.xml");
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StoredLinks(channel), Strings(links.begin(), links.begin() + 5));
}

TEST_F(ReceiveTest, FolderAndUnboundableNodesAreNotStarted) {
    NodeId folder = AddFolder("Folder");
    EXPECT_FALSE(m_manager->StartReceive(*m_store, folder, 0));
    EXPECT_FALSE(m_manager->StartReceive(*m_store, 12345, 0));
    EXPECT_TRUE(m_observer.Events().empty());
}

TEST_F(ReceiveTest, UnchangedFeedTwiceAddsNothingButRepeatsTheNotice) {
    NodeId channel = AddChannel("Herald", "/corpus/heraldsun.rss");
    FeedSettings settings;
    settings.newItemShowTip = 1;
    int feedId = Configure(channel, settings);
    ASSERT_TRUE(ReceiveOne(channel));
    int newBefore = 0;
    ASSERT_TRUE(m_store->CountNew(feedId, newBefore));
    ASSERT_TRUE(ReceiveOne(channel));
    int newAfter = 0;
    ASSERT_TRUE(m_store->CountNew(feedId, newAfter));
    EXPECT_EQ(StoredLinks(channel).size(), 2u);
    EXPECT_EQ(newAfter, newBefore);
    std::string n = std::to_string(channel);
    // The notice reports the unread count, not the number just added.
    EXPECT_EQ(m_observer.EventsOf("notice"), (Strings{"notice " + n + " 2", "notice " + n + " 2"}));

    // Once everything is read there is nothing to announce.
    ASSERT_TRUE(m_store->SetFeedRead(feedId, 1));
    m_observer.Clear();
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_TRUE(m_observer.EventsOf("notice").empty());
    EXPECT_EQ(m_observer.EventsOf("unread"), (Strings{"unread " + n + " 0"}));
}

TEST_F(ReceiveTest, NoNoticeWithoutTheChannelsNoticeFlag) {
    NodeId channel = AddChannel("Herald", "/corpus/heraldsun.rss");
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_TRUE(m_observer.EventsOf("notice").empty());
}

TEST_F(ReceiveTest, ListIsRefreshedOnlyForTheCurrentChannelWhenAsked) {
    NodeId shown = AddChannel("Shown", "/corpus/heraldsun.rss");
    NodeId hidden = AddChannel("Hidden", "/corpus/narro.rss");
    m_tree.SetCurrent(shown);
    ASSERT_TRUE(ReceiveOne(hidden, 1));
    ASSERT_TRUE(ReceiveOne(shown, 0));
    EXPECT_TRUE(m_observer.EventsOf("refresh").empty());
    ASSERT_TRUE(ReceiveOne(shown, 1));
    EXPECT_EQ(m_observer.EventsOf("refresh"),
              (Strings{"refresh " + std::to_string(FeedIdOf(shown))}));
}

TEST_F(ReceiveTest, StorageTypeOneKeepsOnlyWhatTheFeedListsReadOrNot) {
    ASSERT_TRUE(Server().Put("/sync.xml", FeedWith({"http://x/1", "http://x/2", "http://x/3"})));
    NodeId channel = AddChannel("Sync", "/sync.xml");
    FeedSettings settings;
    settings.storageType = 1;
    Configure(channel, settings);
    ASSERT_TRUE(ReceiveOne(channel));
    ASSERT_TRUE(Server().Put("/sync.xml", FeedWith({"http://x/4", "http://x/3"})));
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StoredLinks(channel), (Strings{"http://x/4", "http://x/3"}));
    EXPECT_EQ(m_tree.Unread(channel), 2);
}

TEST_F(ReceiveTest, StorageTypeTwoKeepsTheNewestCount) {
    ASSERT_TRUE(Server().Put("/fixed.xml", FeedWith({"http://x/1", "http://x/2", "http://x/3"})));
    NodeId channel = AddChannel("Fixed", "/fixed.xml");
    FeedSettings settings;
    settings.storageType = 2;
    settings.storageNum = 4;
    Configure(channel, settings);
    ASSERT_TRUE(ReceiveOne(channel));
    ASSERT_TRUE(Server().Put("/fixed.xml", FeedWith({"http://x/5", "http://x/4"})));
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StoredLinks(channel),
              (Strings{"http://x/5", "http://x/4", "http://x/1", "http://x/2"}));
}

TEST_F(ReceiveTest, ChannelTypeZeroFollowsTheTreesGlobalPolicy) {
    ASSERT_TRUE(Server().Put("/global.xml", FeedWith({"http://x/1", "http://x/2"})));
    NodeId channel = AddChannel("Global", "/global.xml");
    ChannelTreeSettings global = m_tree.Settings();
    global.storageType = 3;  // keep everything
    m_tree.SetSettings(global);
    ASSERT_TRUE(ReceiveOne(channel));
    ASSERT_TRUE(Server().Put("/global.xml", FeedWith({"http://x/3"})));
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StoredLinks(channel).size(), 3u);

    global.storageType = 1;  // now only what the feed lists
    m_tree.SetSettings(global);
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StoredLinks(channel), (Strings{"http://x/3"}));
}

TEST_F(ReceiveTest, CorpusFeedsAreStoredWithTheirTexts) {
    NodeId gb = AddChannel("GB", "/corpus/gb2312-news.xml");
    NodeId latin = AddChannel("Latin", "/corpus/encoding.rss");
    NodeId zipped = AddChannel("Zipped", "/gzip/reddit.rss");
    ASSERT_TRUE(ReceiveOne(gb));
    ASSERT_TRUE(ReceiveOne(latin));
    ASSERT_TRUE(ReceiveOne(zipped));
    EXPECT_EQ(m_tree.Unread(gb), 3);
    EXPECT_EQ(m_tree.Unread(latin), 40);
    EXPECT_EQ(m_tree.Unread(zipped), 24);
    std::vector<RssItem> items;
    int total = 0;
    ASSERT_TRUE(m_store->ListItems(FeedIdOf(gb), kAllItems, true, items, total, 10, 0));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "第一条新闻：开源软件的发展");
    EXPECT_EQ(items[0].date, "2006-01-03 08:00:00");
}

TEST_F(ReceiveTest, ShutdownAbortsAStalledReceiveAndSilencesTheObserver) {
    NodeId channel = AddChannel("Stalled", "/stall");
    ASSERT_TRUE(m_manager->StartReceive(*m_store, channel, 0));
    // Wait until the request reached the server, then close.
    while (Server().RequestsFor("/stall").empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    SetClosing(true);
    m_manager->Shutdown();
    EXPECT_EQ(m_manager->Running(), 0u);
    Strings events = m_observer.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "stopping");
    EXPECT_EQ(ImageOf(channel), kImageFailed);
    EXPECT_FALSE(m_manager->StartReceive(*m_store, channel, 0));
    // A second shutdown (the owner's close after the views went) leaves the observer alone.
    m_manager->Shutdown();
    EXPECT_EQ(m_observer.EventsOf("stopping").size(), 1u);
}

}  // namespace
}  // namespace zirvo::test
