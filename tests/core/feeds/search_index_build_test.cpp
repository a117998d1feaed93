// A store upgraded from before the full-text index: the upgrade indexes nothing, the build
// indexes the items in batches with progress while items come, change and go, it can be
// stopped and goes on later, and the search gives exactly what LIKE gives before, during and
// after it. Pages of a search put together are the whole search.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/schema.h"
#include "core/db/sqlite_connection.h"
#include "core/feeds/rss_store.h"
#include "core/feeds/search_index_build.h"
#include "support/temp_dir.h"

namespace zirvo::test {
namespace {

constexpr int kOldItems = 5000;

class SearchIndexBuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root.MakeDir("Storage");
        // A version-4 file (before the index) holding items of four channels.
        CppSQLite3Connection old;
        old.Open(m_root.PathOf("Storage/rss.db"));
        std::string error;
        ASSERT_TRUE(EnsureRssSchemaUpTo(old, 4, error)) << error;
        old.ExecuteUpdate(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
            "INSERT INTO rss_data (item_feedid, item_link, item_title, item_description) SELECT "
            "i % 4 + 1, 'http://x/' || i, CASE i % 3 WHEN 0 THEN 'Walrus ' || i WHEN 1 THEN "
            "'北京天气 ' || i ELSE 'ZEBRA crossing ' || i END, '<p>Body ' || i || CASE WHEN i % 7 "
            "= 0 THEN ' walrus' ELSE '' END || '</p>' FROM n;");
        ASSERT_TRUE(m_store.Open()) << m_store.GetLastError();
        m_peer.Open(m_root.PathOf("Storage/rss.db"));
    }

    std::vector<int> LikeIds(const std::string& keyword, bool body) {
        std::vector<int> out;
        const std::string sql = "SELECT item_id FROM rss_data WHERE item_title LIKE '%" + keyword +
                                "%'" +
                                (body ? " OR item_description LIKE '%" + keyword + "%'" : "") +
                                " ORDER BY item_id DESC;";
        for (CppSQLite3Cursor row = m_peer.ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            out.push_back(row.GetInt(0));
        }
        return out;
    }

    std::vector<int> SearchIds(const std::string& keyword, bool body) {
        std::vector<RssItem> items;
        EXPECT_TRUE(m_store.SearchItems(keyword, items, {}, true, body)) << m_store.GetLastError();
        std::vector<int> out;
        for (const RssItem& item : items) {
            out.push_back(item.id);
        }
        return out;
    }

    void ExpectSameAsLike() {
        for (const char* keyword : {"walrus", "WALRUS", "zebra", "北京天气", "body 7", "us 49"}) {
            SCOPED_TRACE(keyword);
            for (bool body : {false, true}) {
                EXPECT_EQ(SearchIds(keyword, body), LikeIds(keyword, body));
            }
        }
    }

    int Scalar(const std::string& sql) { return m_peer.ExecuteQuery(sql).GetInt(0, -1); }

    // FTS5's own check of the index against the items it indexes.
    void ExpectIndexIntact() {
        EXPECT_NO_THROW(
            m_peer.ExecuteUpdate("INSERT INTO rss_fts (rss_fts) VALUES ('integrity-check');"));
    }

    TempDir m_root{"search-index-build"};
    CRssStore m_store{m_root.Path()};
    CppSQLite3Connection m_peer;
};

TEST_F(SearchIndexBuildTest, UpgradedStoreIsIndexedInBatchesWhileItemsChange) {
    SearchIndexBuild build;
    ASSERT_TRUE(m_store.GetSearchIndexBuild(build));
    EXPECT_TRUE(build.pending);
    EXPECT_EQ(build.done, 0);
    EXPECT_EQ(build.end, kOldItems);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH 'wal';"), 0);
    ExpectSameAsLike();  // before any of it is indexed

    ASSERT_TRUE(m_store.BuildSearchIndexBatch(1500, build)) << m_store.GetLastError();
    EXPECT_EQ(build.done, 1500);
    EXPECT_EQ(build.Percent(), 30);
    ExpectSameAsLike();  // half built
    // Items come, change and go on both sides of the build's front meanwhile.
    RssItem merged;
    merged.link = "http://x/merged";
    merged.title = "Walrus by a receive";
    merged.date = "2006-01-05 08:30:00";
    ASSERT_TRUE(m_store.SaveReceivedItems(2, {merged}, 3, 0)) << m_store.GetLastError();
    m_peer.ExecuteUpdate(
        "INSERT INTO rss_data (item_feedid, item_link, item_title) VALUES (1, 'new', 'Walrus "
        "arrives');"
        "UPDATE rss_data SET item_title = 'Narwhal 10' WHERE item_id = 10;"
        "UPDATE rss_data SET item_title = 'Narwhal 4000' WHERE item_id = 4000;"
        "DELETE FROM rss_data WHERE item_id IN (11, 4001);");
    ExpectIndexIntact();

    std::vector<int> percents;
    bool stopped = true;
    ASSERT_TRUE(BuildSearchIndex(
        m_store, [&](const SearchIndexBuild& b) { percents.push_back(b.Percent()); }, nullptr,
        stopped))
        << m_store.GetLastError();
    EXPECT_FALSE(stopped);
    // From where it stood, one report per batch of kSearchIndexBatchItems, ending complete.
    EXPECT_EQ(percents, (std::vector<int>{30, 70, 100}));
    ASSERT_TRUE(m_store.GetSearchIndexBuild(build));
    EXPECT_FALSE(build.pending);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rssfts_build;"), 0);
    ExpectIndexIntact();
    ExpectSameAsLike();
    EXPECT_EQ(SearchIds("narwhal", false), (std::vector<int>{4000, 10}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH 'nar AND wha';"), 2);
    EXPECT_EQ(SearchIds("arrives", false).size(), 1u);
    EXPECT_EQ(SearchIds("by a receive", false).size(), 1u);
}

TEST_F(SearchIndexBuildTest, StoppedBuildGoesOnFromWhereItStopped) {
    int batches = 0;
    bool stopped = false;
    EXPECT_FALSE(BuildSearchIndex(
        m_store, [&](const SearchIndexBuild&) { ++batches; }, [&] { return batches >= 2; },
        stopped));
    EXPECT_TRUE(stopped);
    SearchIndexBuild build;
    ASSERT_TRUE(m_store.GetSearchIndexBuild(build));
    EXPECT_TRUE(build.pending);
    EXPECT_EQ(build.done, kSearchIndexBatchItems);
    ExpectSameAsLike();

    // Another store of the same file (the next start) finishes it.
    CRssStore again(m_root.Path());
    ASSERT_TRUE(again.Open()) << again.GetLastError();
    ASSERT_TRUE(BuildSearchIndex(again, nullptr, nullptr, stopped)) << again.GetLastError();
    ExpectIndexIntact();
    ExpectSameAsLike();
    // Nothing left: a second build does nothing and says it is complete.
    ASSERT_TRUE(BuildSearchIndex(
        again, [](const SearchIndexBuild&) { FAIL() << "no progress without a build"; }, nullptr,
        stopped));
}

TEST_F(SearchIndexBuildTest, PagesOfASearchMakeTheWholeSearch) {
    bool stopped = false;
    for (bool built : {false, true}) {
        SCOPED_TRACE(built);
        if (built) {
            ASSERT_TRUE(BuildSearchIndex(m_store, nullptr, nullptr, stopped));
        }
        for (bool body : {false, true}) {
            const std::vector<int> whole = SearchIds("walrus", body);
            ASSERT_GT(whole.size(), 100u);
            std::vector<int> paged;
            for (int offset = 0;; offset += 50) {
                std::vector<RssItem> page;
                ASSERT_TRUE(m_store.SearchItemsPage("walrus", {}, true, body, offset, 50, page));
                if (page.empty()) {
                    break;
                }
                EXPECT_LE(page.size(), 50u);
                for (const RssItem& item : page) {
                    paged.push_back(item.id);
                }
            }
            EXPECT_EQ(paged, whole);
            std::vector<RssItem> some;
            ASSERT_TRUE(m_store.SearchItemsPage("walrus", {{0, 2}}, false, body, 0, 10, some));
            ASSERT_EQ(some.size(), 10u);
            for (const RssItem& item : some) {
                EXPECT_EQ(item.channelId, 2);
            }
        }
    }
}

}  // namespace
}  // namespace zirvo::test
