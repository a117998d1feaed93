#include "core/subscriptions/favourite_tree.h"

#include <gtest/gtest.h>

#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "core/util/xml_document.h"
#include "subscriptions_fixture.h"

namespace zirvo {
namespace {

using test::ExecuteOn;
using test::SubscriptionsFixture;

constexpr const char* kFavouritesOpml = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0"><body>
  <outline title="收藏夹" expanded="1">
    <outline title="我的收藏" xmlUrl="1"/>
  </outline>
</body></opml>
)";

class FavouriteTreeTest : public ::testing::Test, protected SubscriptionsFixture {
protected:
    FavouriteTreeTest()
        : m_store(m_dir.Path()),
          m_favourites(m_tree, WriteOpml(kFavouritesOpml, "Storage/rssFavorite.opml"), m_messages) {
    }

    void SetUp() override {
        ASSERT_TRUE(m_store.Open()) << m_store.GetLastError();
        ASSERT_TRUE(m_favourites.Load());
        m_mine = m_tree.FindByCaptionPath("收藏夹/我的收藏");
        ASSERT_NE(m_mine, kNoNode);
    }

    CRssStore m_store;
    CChannelTree m_tree;
    CFavouriteTree m_favourites;
    NodeId m_mine = kNoNode;
};

TEST_F(FavouriteTreeTest, NewNodeGetsARowAndNamesItInXmlUrl) {
    const NodeId folder = m_tree.FindByCaptionPath("收藏夹");
    const NodeId node = m_favourites.AddNode(folder, "读书", "", m_store);
    ASSERT_NE(node, kNoNode);
    const int folderId = m_favourites.FolderIdOf(node);
    ASSERT_GT(folderId, 0);
    EXPECT_EQ(m_tree.Node(node)->feedUrl, std::to_string(folderId));
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(m_favourites.Editor().File().Path()));
    EXPECT_EQ(doc.SelectNode("/opml/body/outline[0]/outline[1]").Attribute("xmlUrl"),
              std::to_string(folderId));
    EXPECT_EQ(m_favourites.FolderIdOf(folder), 0);
    EXPECT_NE(m_favourites.AddFolder(kNoNode, "更多", ""), kNoNode);
    EXPECT_EQ(m_favourites.AddNode(kNoNode, "", "", m_store), kNoNode);
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"请输入频道名称"}));
}

TEST_F(FavouriteTreeTest, RowRemovedByHandComesBackWithTheSameId) {
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "t", "http://l/", "2006-01-03 08:00:00", "a",
                                           "s", m_store));
    FeedIdList rows = {{0, 1}};
    ASSERT_TRUE(m_store.DeleteFavouriteFolders(rows));
    std::vector<RssItem> items;
    ASSERT_TRUE(m_favourites.ListItems(m_mine, m_store, items));
    EXPECT_TRUE(items.empty());
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "t2", "http://l2/", "", "", "", m_store));
    ASSERT_TRUE(m_favourites.ListItems(m_mine, m_store, items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].channelId, 1);
}

TEST_F(FavouriteTreeTest, ItemByHandIsChecked) {
    EXPECT_FALSE(m_favourites.AddItemByHand(m_mine, "", "http://l/", "", "", "", m_store));
    EXPECT_FALSE(m_favourites.AddItemByHand(m_mine, "t", "http://l/", "", "", "<b>", m_store));
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{"请输入标题", "含有不合法的字符 '<' 或 '>'!"}));
}

TEST_F(FavouriteTreeTest, KeepAndMoveItems) {
    int feedId = 0;
    ASSERT_TRUE(m_store.AddFeed("http://127.0.0.1/f.xml", feedId));
    RssItem received;
    received.link = "http://127.0.0.1/1";
    received.title = "received";
    received.date = "2006-01-03 08:00:00";
    ASSERT_TRUE(m_store.SaveReceivedItems(feedId, {received}, 3, 0));
    std::vector<RssItem> list;
    int total = 0;
    ASSERT_TRUE(m_store.ListItems(feedId, 0, false, list, total, 10, 0));
    ASSERT_TRUE(m_favourites.KeepItem(m_mine, list[0].id, false, m_store));
    EXPECT_FALSE(m_favourites.KeepItem(m_mine, 9999, false, m_store));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"添加失败"}));

    const NodeId other = m_favourites.AddNode(kNoNode, "其他", "", m_store);
    std::vector<RssItem> kept;
    ASSERT_TRUE(m_favourites.ListItems(m_mine, m_store, kept));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_FALSE(m_favourites.MoveItems({kept[0].id}, m_mine, m_mine, m_store));
    EXPECT_EQ(m_reporter.MessageBoxes().back(), "需要指定一个不同的收藏!");
    ASSERT_TRUE(m_favourites.MoveItems({kept[0].id}, other, m_mine, m_store));
    ASSERT_TRUE(m_favourites.ListItems(other, m_store, kept));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].title, "received");
}

TEST_F(FavouriteTreeTest, DeleteRemovesRowsOfTheWholeSubtree) {
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "t", "http://l/", "", "", "", m_store));
    const NodeId folder = m_tree.FindByCaptionPath("收藏夹");
    const NodeId second = m_favourites.AddNode(folder, "第二", "", m_store);
    ASSERT_TRUE(m_favourites.AddItemByHand(second, "t", "http://l/", "", "", "", m_store));
    const int secondId = m_favourites.FolderIdOf(second);
    ASSERT_TRUE(m_favourites.Delete(folder, m_store));
    EXPECT_EQ(m_tree.LiveCount(), 0u);
    std::vector<RssItem> items;
    ASSERT_TRUE(m_store.ListFavourites(1, true, items));
    EXPECT_TRUE(items.empty());
    ASSERT_TRUE(m_store.ListFavourites(secondId, true, items));
    EXPECT_TRUE(items.empty());
    std::vector<OpmlOutline> outlines;
    ASSERT_TRUE(m_favourites.Editor().File().Load(outlines));
    EXPECT_TRUE(outlines.empty());
}

TEST_F(FavouriteTreeTest, NewNodeNeverTakesTheIdOfANodeWithoutItsRowYet) {
    // "我的收藏" names id 1, but its row is made only when it is first shown.
    const NodeId node = m_favourites.AddNode(kNoNode, "新", "", m_store);
    ASSERT_NE(node, kNoNode);
    EXPECT_GT(m_favourites.FolderIdOf(node), 1);
}

TEST_F(FavouriteTreeTest, DeleteThatCannotWriteTheFileKeepsTheFavourites) {
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "t", "http://l/", "", "", "", m_store));
    // Padding makes the file too big for the limit below; the store's writes stay under it.
    std::string padded = kFavouritesOpml;
    std::string padding;
    for (int i = 0; i < 30000; ++i) {
        padding += "<outline title=\"padding " + std::to_string(i) + "\"/>\n";
    }
    padded.insert(padded.find("</body>"), padding);
    CFavouriteTree favourites(m_tree, WriteOpml(padded, "Storage/rssFavorite.opml"), m_messages);
    ASSERT_TRUE(favourites.Load());
    const NodeId folder = m_tree.FindByCaptionPath("收藏夹");
    const std::string before = ReadBack(favourites.Editor().File().Path());
    {
        test::FileSizeLimit limit(1 << 20);
        EXPECT_FALSE(favourites.Delete(folder, m_store));
    }
    EXPECT_TRUE(m_tree.Exists(folder));
    EXPECT_EQ(ReadBack(favourites.Editor().File().Path()), before);
    std::vector<RssItem> items;
    ASSERT_TRUE(m_store.ListFavourites(1, true, items));
    EXPECT_EQ(items.size(), 1u);
}

TEST_F(FavouriteTreeTest, StoreFailuresPutTheFileBack) {
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "t", "http://l/", "", "", "", m_store));
    const std::string path = m_favourites.Editor().File().Path();
    const std::string before = ReadBack(path);
    const std::string database = m_dir.PathOf("Storage/rss.db");
    ExecuteOn(database,
              "CREATE TRIGGER keep_folders BEFORE DELETE ON feedfav_data BEGIN SELECT "
              "RAISE(ABORT, 'kept'); END;");
    ExecuteOn(database,
              "CREATE TRIGGER refuse_boom BEFORE INSERT ON rssfavorite_data WHEN NEW.item_title = "
              "'boom' BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const NodeId folder = m_tree.FindByCaptionPath("收藏夹");
    EXPECT_FALSE(m_favourites.Delete(folder, m_store));
    // An import whose newest item (stored last) cannot be stored leaves neither node nor row
    // nor the items stored before it.
    const std::string feed =
        m_dir.WriteFile("import.xml",
                        "<rss><channel><item><title>boom</title><link>http://l/2</link></item>"
                        "<item><title>fine</title><link>http://l/1</link></item></channel></rss>");
    int next = 0;
    ASSERT_TRUE(m_store.NextFavouriteFolderId(next));
    EXPECT_EQ(m_favourites.ImportFeedFile(feed, m_store), kNoNode);
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"导入失败"}));
    EXPECT_EQ(ReadBack(path), before);
    EXPECT_EQ(m_tree.LiveCount(), 2u);
    std::vector<RssItem> items;
    ASSERT_TRUE(m_store.ListFavourites(1, true, items));
    EXPECT_EQ(items.size(), 1u);
    for (int id = 2; id <= next + 1; ++id) {
        items.clear();
        ASSERT_TRUE(m_store.ListFavourites(id, true, items));
        EXPECT_TRUE(items.empty()) << id;
    }
}

TEST_F(FavouriteTreeTest, FeedExportAndImportRoundTrip) {
    // Oldest first, so the store lists them newest first: C, B, A.
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "A 中文", "http://127.0.0.1/a?x=1&y=2",
                                           "2006-01-03 08:00:00", "作者", "plain", m_store));
    // Kept from a feed, so the text may hold what the hand-entry dialog refuses.
    ASSERT_TRUE(m_store.AddFavourite(1, "http://127.0.0.1/b", "B <b>", "", "a ]]> inside & more",
                                     "2006-01-04 08:00:00"));
    ASSERT_TRUE(m_favourites.AddItemByHand(m_mine, "C", "http://127.0.0.1/c", "2006-01-05 08:00:00",
                                           "x", "y", m_store));
    const std::string file = m_dir.PathOf("我的收藏.xml");
    ASSERT_TRUE(m_favourites.ExportFeed(m_mine, m_store, file));
    const std::string bytes = ReadBack(file);
    EXPECT_TRUE(StartsWith(bytes, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_NE(bytes.find("<item><link><![CDATA[http://127.0.0.1/c]]></link>"), std::string::npos);
    EXPECT_NE(bytes.find("<pubDate>2006-01-05 08:00:00</pubDate>"), std::string::npos);

    const NodeId imported = m_favourites.ImportFeedFile(file, m_store);
    ASSERT_NE(imported, kNoNode);
    EXPECT_EQ(m_tree.Node(imported)->caption, "我的收藏");
    EXPECT_EQ(m_tree.Parent(imported), kNoNode);
    std::vector<RssItem> original;
    std::vector<RssItem> copy;
    ASSERT_TRUE(m_favourites.ListItems(m_mine, m_store, original));
    ASSERT_TRUE(m_favourites.ListItems(imported, m_store, copy));
    ASSERT_EQ(copy.size(), 3u);
    for (size_t i = 0; i < copy.size(); ++i) {
        EXPECT_EQ(copy[i].title, original[i].title);
        EXPECT_EQ(copy[i].link, original[i].link);
        EXPECT_EQ(copy[i].description, original[i].description);
        EXPECT_EQ(copy[i].author, original[i].author);
        EXPECT_EQ(copy[i].date, original[i].date);
    }
    EXPECT_EQ(copy[1].description, "a ]]> inside & more");
}

TEST_F(FavouriteTreeTest, ImportOfAForeignOrBrokenFile) {
    std::string gb;
    ASSERT_TRUE(
        ConvertEncoding("<?xml version=\"1.0\" encoding=\"gb2312\"?><rss version=\"2.0\">"
                        "<channel><title>x</title><item><title>标题</title>"
                        "<link>http://127.0.0.1/1</link></item></channel></rss>",
                        "UTF-8", "GB18030", gb));
    const NodeId node = m_favourites.ImportFeedFile(m_dir.WriteFile("a<b>.rss.xml", gb), m_store);
    ASSERT_NE(node, kNoNode);
    EXPECT_EQ(m_tree.Node(node)->caption, "a_b_.rss");
    std::vector<RssItem> items;
    ASSERT_TRUE(m_favourites.ListItems(node, m_store, items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "标题");

    const size_t before = m_tree.LiveCount();
    EXPECT_EQ(m_favourites.ImportFeedFile(m_dir.WriteFile("bad.xml", "<rss><channel>"), m_store),
              kNoNode);
    EXPECT_EQ(m_favourites.ImportFeedFile(m_dir.WriteFile("opml.xml", kFavouritesOpml), m_store),
              kNoNode);
    EXPECT_EQ(m_tree.LiveCount(), before);
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"导入失败", "导入失败"}));
}

}  // namespace
}  // namespace zirvo
