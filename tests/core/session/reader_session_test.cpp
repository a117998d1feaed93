// The reader session on a real seeded data root: opening, naming nodes, store look-ups that add
// nothing, the article list's pages, read marks with their counts, and a receive over loopback.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/session/reader_session.h"
#include "core/setup/seed.h"
#include "core/subscriptions/channel_binding.h"
#include "core/util/files.h"
#include "support/feed_server.h"
#include "support/temp_dir.h"

namespace zirvo::test {
namespace {

// "Alpha" and "Copy of Alpha" share one address; "Beta" is the only node of its caption but
// "Dup" exists twice, in two folders.
std::string SampleOpml(const std::string& alphaUrl) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0"><head><title>t</title></head><body>
  <outline title="News">
    <outline title="Alpha" xmlUrl=")" +
           alphaUrl + R"("/>
    <outline title="Dup" xmlUrl="http://127.0.0.1:9/dup1.xml"/>
  </outline>
  <outline title="Tech">
    <outline title="Beta" xmlUrl="http://127.0.0.1:9/beta.xml"/>
    <outline title="Dup" xmlUrl="http://127.0.0.1:9/dup2.xml"/>
    <outline title="Copy of Alpha" xmlUrl=")" +
           alphaUrl + R"("/>
  </outline>
</body></opml>
)";
}

std::vector<RssItem> MakeItems(int count) {
    std::vector<RssItem> items;
    for (int i = 0; i < count; ++i) {
        RssItem item;
        item.title = "item " + std::to_string(i);
        item.link = "http://127.0.0.1:9/item/" + std::to_string(i);
        item.date = "2024-01-01 00:00:00";
        items.push_back(item);
    }
    return items;
}

class ReaderSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        SeedReport report;
        ASSERT_TRUE(SeedDataRoot(CDataRoot(m_dir.Path()),
                                 std::string(ZIRVO_TEST_SOURCE_DIR) + "/data", report))
            << report.error;
    }

    void WriteTree(const std::string& alphaUrl = "http://127.0.0.1:9/alpha.xml") {
        ASSERT_TRUE(WriteFileAtomic(m_dir.PathOf("Storage/rssreader.opml"), SampleOpml(alphaUrl)));
    }

    // Stores `count` received items for the channel at `path` and returns its feed_id.
    int Fill(CReaderSession& session, const std::string& path, int count) {
        const NodeId id = session.Tree().FindByCaptionPath(path);
        EXPECT_NE(id, kNoNode);
        EXPECT_TRUE(BindChannel(session.Tree(), id, session.Store()));
        const int feedId = session.Tree().Node(id)->feedId;
        EXPECT_TRUE(session.Store().SaveReceivedItems(feedId, MakeItems(count), 3, 0));
        return feedId;
    }

    int FeedRows(CReaderSession& session) {
        int channels = -1, items = -1;
        EXPECT_TRUE(session.Store().CountAll(channels, items));
        return channels;
    }

    TempDir m_dir{"session"};
    CRecordingReporter m_reporter;
};

TEST_F(ReaderSessionTest, OpenFailsWithTheCauseWhenTheSubscriptionFileIsBroken) {
    ASSERT_TRUE(WriteFileAtomic(m_dir.PathOf("Storage/rssreader.opml"), "<opml><body>"));
    CReaderSession session(m_dir.Path(), m_reporter);
    EXPECT_FALSE(session.Open());
    EXPECT_NE(session.Error().find("rssreader.opml"), std::string::npos) << session.Error();
}

TEST_F(ReaderSessionTest, NamesNodesByPathUrlIdAndUniqueEndWithoutAddingRows) {
    WriteTree();
    CReaderSession session(m_dir.Path(), m_reporter);
    ASSERT_TRUE(session.Open()) << session.Error();
    const int rowsBefore = FeedRows(session);

    bool top = false;
    std::string error;
    const NodeId beta = session.Resolve("Tech/Beta", false, top, error);
    ASSERT_NE(beta, kNoNode) << error;
    EXPECT_EQ(session.Resolve("Beta", false, top, error), beta);
    EXPECT_EQ(session.Resolve("http://127.0.0.1:9/beta.xml", false, top, error), beta);
    EXPECT_EQ(session.Resolve("Tech/Dup", false, top, error),
              session.Tree().FindByCaptionPath("Tech/Dup"));

    EXPECT_EQ(session.Resolve("Dup", false, top, error), kNoNode);
    EXPECT_NE(error.find("News/Dup"), std::string::npos) << error;
    EXPECT_NE(error.find("Tech/Dup"), std::string::npos) << error;
    EXPECT_EQ(session.Resolve("Tech/reddit", false, top, error), kNoNode);
    EXPECT_EQ(error, "no channel or folder 'Tech/reddit'");
    EXPECT_EQ(session.Resolve("/", false, top, error), kNoNode);
    EXPECT_FALSE(top);
    EXPECT_EQ(session.Resolve("/", true, top, error), kNoNode);
    EXPECT_TRUE(top);

    NodeId folder = kNoNode;
    EXPECT_FALSE(session.ResolveFolder("Beta", folder, error));
    EXPECT_EQ(error, "'Beta' is a channel, not a folder");

    // Unknown channels stay unknown to the store: look-ups, counts and lists add no row.
    int feedId = -1;
    EXPECT_TRUE(session.FeedIdOf(beta, feedId));
    EXPECT_EQ(feedId, 0);
    EXPECT_TRUE(session.LoadUnreadCounts());
    ItemPage page;
    EXPECT_TRUE(session.ListPage(kNoNode, kAllItems, 0, false, page));
    EXPECT_TRUE(session.ListPage(beta, kAllItems, 0, true, page));
    EXPECT_EQ(session.Resolve("#99", false, top, error), kNoNode);
    EXPECT_EQ(error, "no channel with id #99");
    EXPECT_EQ(FeedRows(session), rowsBefore);

    const int betaId = Fill(session, "Tech/Beta", 1);
    EXPECT_EQ(session.Resolve("#" + std::to_string(betaId), false, top, error), beta);
}

TEST_F(ReaderSessionTest, ChannelPagesFollowThePageSizeAndFolderListsHaveOnePage) {
    WriteTree();
    CReaderSession session(m_dir.Path(), m_reporter);
    ASSERT_TRUE(session.Open()) << session.Error();
    const int alpha = Fill(session, "News/Alpha", 120);
    const int beta = Fill(session, "Tech/Beta", 5);
    ASSERT_EQ(ArticlePageSize(session.Settings()), 50);

    const NodeId alphaNode = session.Tree().FindByCaptionPath("News/Alpha");
    ItemPage page;
    ASSERT_TRUE(session.ListPage(alphaNode, kAllItems, 2, false, page)) << session.Error();
    EXPECT_EQ(page.pageCount, 3);
    EXPECT_EQ(page.total, 120);
    EXPECT_EQ(page.items.size(), 20u);
    EXPECT_EQ(page.channels.at(alpha), alphaNode);
    // The feed's first item is the newest; the last page ends with the oldest.
    EXPECT_EQ(page.items.back().title, "item 119");

    ASSERT_TRUE(session.ListPage(alphaNode, kAllItems, 7, false, page));
    EXPECT_TRUE(page.items.empty());
    EXPECT_EQ(page.pageCount, 3);

    ASSERT_TRUE(session.ListPage(kNoNode, kUnreadItems, 0, false, page));
    EXPECT_TRUE(page.folder);
    EXPECT_EQ(page.pageCount, 1);
    EXPECT_EQ(page.items.size(), 125u);
    EXPECT_EQ(page.channels.at(beta), session.Tree().FindByCaptionPath("Tech/Beta"));

    EXPECT_FALSE(session.ListPage(alphaNode, 9, 0, false, page));
}

TEST_F(ReaderSessionTest, ReadMarksRecountEveryChannelOfTheAddressAndItsFolders) {
    WriteTree();
    CReaderSession session(m_dir.Path(), m_reporter);
    ASSERT_TRUE(session.Open()) << session.Error();
    Fill(session, "News/Alpha", 3);
    ASSERT_TRUE(session.LoadUnreadCounts());
    CChannelTree& tree = session.Tree();
    const NodeId news = tree.FindByCaptionPath("News");
    const NodeId copy = tree.FindByCaptionPath("Tech/Copy of Alpha");
    EXPECT_EQ(tree.Unread(news), 3);
    EXPECT_EQ(tree.Unread(copy), 3);

    ItemPage page;
    ASSERT_TRUE(session.ListPage(tree.FindByCaptionPath("News/Alpha"), kAllItems, 0, false, page));
    NodeId channel = kNoNode;
    int unread = -1;
    ASSERT_TRUE(session.MarkItemRead(page.items[0].id, true, channel, unread)) << session.Error();
    EXPECT_EQ(channel, tree.FindByCaptionPath("News/Alpha"));
    EXPECT_EQ(unread, 2);
    EXPECT_EQ(tree.Unread(news), 2);
    EXPECT_EQ(tree.Unread(copy), 2);
    EXPECT_EQ(tree.Unread(tree.FindByCaptionPath("Tech")), 2);

    EXPECT_FALSE(session.MarkItemRead(99999, true, channel, unread));

    ASSERT_TRUE(session.MarkNodeRead(news, true));
    EXPECT_EQ(tree.Unread(news), 0);
    int stored = -1;
    ASSERT_TRUE(session.Store().CountUnread(page.channels.begin()->first, stored));
    EXPECT_EQ(stored, 0);
}

TEST_F(ReaderSessionTest, MarkingAListReadLeavesItemsThatArrivedAfterItWasFilled) {
    WriteTree();
    CReaderSession session(m_dir.Path(), m_reporter);
    ASSERT_TRUE(session.Open()) << session.Error();
    const int alpha = Fill(session, "News/Alpha", 3);
    CChannelTree& tree = session.Tree();
    const NodeId news = tree.FindByCaptionPath("News");
    ItemPage shown;
    ASSERT_TRUE(session.ListPage(news, kUnreadItems, 0, false, shown));
    ASSERT_EQ(shown.items.size(), 3u);
    EXPECT_EQ(shown.maxItemId, shown.items.front().id);
    // A receive stores two more while the list is shown; then the user leaves the folder.
    std::vector<RssItem> more = MakeItems(5);
    ASSERT_TRUE(session.Store().SaveReceivedItems(alpha, more, 3, 0));
    ASSERT_TRUE(session.MarkNodeRead(news, true, shown.maxItemId)) << session.Error();
    int unread = -1;
    ASSERT_TRUE(session.Store().CountUnread(alpha, unread));
    EXPECT_EQ(unread, 2);
    EXPECT_EQ(tree.Unread(news), 2);
    ItemPage after;
    ASSERT_TRUE(session.ListPage(news, kUnreadItems, 0, false, after));
    ASSERT_EQ(after.items.size(), 2u);
    EXPECT_GT(after.items.back().id, shown.maxItemId);
}

TEST_F(ReaderSessionTest, JobsRunOnWorkersAndAreJoinedAtClose) {
    WriteTree();
    CReaderSession session(m_dir.Path(), m_reporter);
    ASSERT_TRUE(session.Open()) << session.Error();
    Fill(session, "News/Alpha", 3);
    std::atomic<int> done{0};
    const std::thread::id owner = std::this_thread::get_id();
    std::atomic<bool> elsewhere{false};
    const std::string root = m_dir.Path();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(session.StartJob([&, root] {
            elsewhere = std::this_thread::get_id() != owner;
            CRssStore store(root);
            ItemPage page;
            std::string error;
            if (store.Open() && ListAllUnreadWith(store, session.Tree(), page, error) &&
                page.items.size() == 3u && page.channels.size() == 1u) {
                ++done;
            }
        }));
    }
    session.Close();
    EXPECT_EQ(done, 3);
    EXPECT_TRUE(elsewhere);
    EXPECT_FALSE(session.StartJob([] {}));
}

TEST_F(ReaderSessionTest, ReceivesAChannelOverLoopbackAndStopsBeforeTheObserverGoes) {
    TempDir site{"session-site"};
    CFeedServer server(site.Path());
    ASSERT_TRUE(server.Put("/alpha.xml", R"(<?xml version="1.0"?>
<rss version="2.0"><channel><title>A</title>
<item><title>one</title><link>http://127.0.0.1:9/1</link></item>
<item><title>two</title><link>http://127.0.0.1:9/2</link></item>
</channel></rss>)"));
    WriteTree(server.Url("/alpha.xml"));
    CNullReceiveObserver observer;
    CReaderSession session(m_dir.Path(), m_reporter);
    ASSERT_TRUE(session.Open()) << session.Error();
    EXPECT_FALSE(session.Receive(kNoNode));  // not enabled yet
    session.EnableReceiving(observer);
    const NodeId alpha = session.Tree().FindByCaptionPath("News/Alpha");
    ASSERT_TRUE(session.Receive(alpha)) << session.Error();
    session.Receiver()->WaitIdle();
    EXPECT_EQ(session.Tree().Unread(alpha), 2);

    session.StopReceiving();
    EXPECT_FALSE(session.Receive(alpha));
}

}  // namespace
}  // namespace zirvo::test
