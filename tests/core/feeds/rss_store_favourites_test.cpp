// Favourite folders and favourite items.

#include <string>
#include <vector>

#include "rss_store_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

class FavouritesTest : public RssStoreTest {
protected:
    std::vector<RssItem> Favourites(int folder, bool withBody = true) {
        std::vector<RssItem> items;
        EXPECT_TRUE(m_store.ListFavourites(folder, withBody, items)) << m_store.GetLastError();
        return items;
    }
};

TEST_F(FavouritesTest, FoldersGetGrowingIdsAndKnownIdsAreEnsured) {
    int first = 0;
    int second = 0;
    ASSERT_TRUE(m_store.AddFavouriteFolder(first));
    ASSERT_TRUE(m_store.AddFavouriteFolder(second));
    EXPECT_GT(second, first);
    ASSERT_TRUE(m_store.EnsureFavouriteFolder(42));
    ASSERT_TRUE(m_store.EnsureFavouriteFolder(42));
    ASSERT_TRUE(m_store.EnsureFavouriteFolder(first));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM feedfav_data;"), 3);
    EXPECT_EQ(Scalar("SELECT feed_readcount FROM feedfav_data WHERE feed_id = 42;"), 0);
}

TEST_F(FavouritesTest, ReceivedAndStagedItemsAreCopiedIntoAFolder) {
    int channel = NewChannel("a");
    RssItem source = Item("http://a/1", "It's a keeper");
    source.author = "O'Neil";
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, {source}, 3, 0));
    std::vector<RssItem> staged = Feed({"http://search/1"});
    ASSERT_TRUE(m_store.StageItems(-1, staged));

    ASSERT_TRUE(m_store.AddFavouriteFromItem(AllItems(channel)[0].id, false, 5));
    ASSERT_TRUE(m_store.AddFavouriteFromItem(staged[0].id, true, 5));
    std::vector<RssItem> favourites = Favourites(5);
    ASSERT_EQ(favourites.size(), 2u);
    EXPECT_EQ(favourites[0].link, "http://search/1");  // newest first
    EXPECT_EQ(favourites[1].title, "It's a keeper");
    EXPECT_EQ(favourites[1].author, "O'Neil");
    EXPECT_EQ(favourites[1].description, source.description);
    EXPECT_EQ(favourites[1].date, source.date);
    EXPECT_EQ(favourites[1].channelId, 5);

    EXPECT_FALSE(m_store.AddFavouriteFromItem(99999, false, 5));
    EXPECT_EQ(m_store.GetLastError(), kNoRssItemWithId);
    EXPECT_EQ(Favourites(5).size(), 2u);
}

TEST_F(FavouritesTest, AddedFavouritesListWithOrWithoutBody) {
    ASSERT_TRUE(m_store.AddFavourite(3, "l'1", "t'1", "a'1", "d'1", "2006-01-05 08:30:00"));
    std::vector<RssItem> batch = Feed({"l2", "l3"});
    batch[1].date = "imported 'date'";
    ASSERT_TRUE(m_store.AddFavourites(3, batch));
    std::vector<RssItem> full = Favourites(3);
    EXPECT_EQ(Links(full), (Strings{"l3", "l2", "l'1"}));
    EXPECT_EQ(full[0].date, "imported 'date'");
    EXPECT_EQ(full[2].title, "t'1");
    EXPECT_EQ(full[2].author, "a'1");
    EXPECT_EQ(full[2].description, "d'1");
    std::vector<RssItem> brief = Favourites(3, false);
    ASSERT_EQ(brief.size(), 3u);
    EXPECT_TRUE(brief[0].link.empty());
    EXPECT_TRUE(brief[0].description.empty());
    EXPECT_EQ(brief[0].title, batch[1].title);
    EXPECT_EQ(brief[0].channelId, 3);
    EXPECT_EQ(brief[0].id, full[0].id);

    RssItem item;
    ASSERT_TRUE(m_store.GetFavourite(full[2].id, item));
    EXPECT_EQ(item.link, "l'1");
    EXPECT_EQ(item.channelId, 3);
    std::string link;
    ASSERT_TRUE(m_store.GetFavouriteLink(full[0].id, link));
    EXPECT_EQ(link, "l3");
    EXPECT_FALSE(m_store.GetFavourite(4242, item));
    EXPECT_EQ(m_store.GetLastError(), kNoRssItemWithId);
    EXPECT_FALSE(m_store.GetFavouriteLink(4242, link));
    EXPECT_EQ(m_store.GetLastError(), kNoRssItemWithId);
}

TEST_F(FavouritesTest, MovingDeletingAndClearing) {
    ASSERT_TRUE(m_store.AddFavourites(1, Feed({"a", "b", "c"})));
    ASSERT_TRUE(m_store.AddFavourites(2, Feed({"d"})));
    std::vector<RssItem> one = Favourites(1);
    ASSERT_TRUE(m_store.MoveFavourite(2, one[0].id));
    EXPECT_EQ(Links(Favourites(2)), (Strings{"d", "c"}));  // by id, not by move
    ASSERT_TRUE(m_store.DeleteFavourite(one[1].id));
    EXPECT_EQ(Links(Favourites(1)), (Strings{"a"}));
    ASSERT_TRUE(m_store.ClearFavouriteFolder(1));
    EXPECT_TRUE(Favourites(1).empty());
    EXPECT_EQ(Favourites(2).size(), 2u);
}

TEST_F(FavouritesTest, DeletingFoldersTakesTheirItems) {
    int a = 0;
    int b = 0;
    int c = 0;
    ASSERT_TRUE(m_store.AddFavouriteFolder(a));
    ASSERT_TRUE(m_store.AddFavouriteFolder(b));
    ASSERT_TRUE(m_store.AddFavouriteFolder(c));
    for (int folder : {a, b, c}) {
        ASSERT_TRUE(m_store.AddFavourites(folder, Feed({"x"})));
    }
    ASSERT_TRUE(m_store.DeleteFavouriteFolder(a));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM feedfav_data;"), 2);
    ASSERT_TRUE(m_store.DeleteFavouriteFolders({{0, b}, {0, c}}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM feedfav_data;"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rssfavorite_data;"), 0);
}

}  // namespace
}  // namespace zirvo::test
