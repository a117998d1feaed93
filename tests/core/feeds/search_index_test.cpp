// The full-text index gives exactly what the LIKE statements give, on varied text: CJK, letter
// case, punctuation and quotes, wildcards, short keywords, restricted channels, and items changed
// or deleted after they were indexed.

#include "core/feeds/search_index.h"
#include "rss_store_fixture.h"

namespace zirvo::test {
namespace {

class SearchIndexTest : public RssStoreTest {
protected:
    // Ids the plain LIKE statement finds, newest first, on the second connection.
    std::vector<int> LikeIds(const std::string& keyword, const std::string& ids, bool body) {
        std::string word;
        for (char c : keyword) {
            word += c;
            if (c == '\'') {
                word += '\'';
            }
        }
        std::string where = "(item_title LIKE '%" + word + "%'" +
                            (body ? " OR item_description LIKE '%" + word + "%')" : ")");
        if (!ids.empty()) {
            where += " AND item_feedid IN (" + ids + ")";
        }
        std::vector<int> out;
        for (CppSQLite3Cursor row = m_peer.ExecuteQuery("SELECT item_id FROM rss_data WHERE " +
                                                        where + " ORDER BY item_id DESC;");
             !row.AtEnd(); row.NextRow()) {
            out.push_back(row.GetInt(0));
        }
        return out;
    }

    std::vector<int> SearchIds(const std::string& keyword, const FeedIdList& feeds, bool all,
                               bool body) {
        std::vector<RssItem> items;
        EXPECT_TRUE(m_store.SearchItems(keyword, items, feeds, all, body))
            << m_store.GetLastError();
        std::vector<int> out;
        for (const RssItem& item : items) {
            out.push_back(item.id);
        }
        return out;
    }

    void ExpectSameAsLike(const std::vector<std::string>& keywords) {
        for (const std::string& keyword : keywords) {
            SCOPED_TRACE(keyword);
            for (bool body : {false, true}) {
                EXPECT_EQ(SearchIds(keyword, {}, true, body), LikeIds(keyword, "", body));
                EXPECT_EQ(SearchIds(keyword, {{0, 2}, {0, 3}}, false, body),
                          LikeIds(keyword, "2,3", body));
            }
        }
    }
};

const std::vector<std::string> kTitles = {"Zebra crossing in Köln",
                                          "ZEBRA stripes",
                                          "zebra",
                                          "北京天气预报：晴转多云",
                                          "上海天气",
                                          "It's a \"quoted\" title",
                                          "100% pure & simple",
                                          "snake_case_name",
                                          "Ünïcödé ÄÖÜ äöü",
                                          "C++ <templates> & more",
                                          "tab\there",
                                          "emoji 😀 face 😀",
                                          "short",
                                          "",
                                          "Abc abc ABC aBc"};

TEST_F(SearchIndexTest, IndexedSearchGivesExactlyWhatLikeGives) {
    for (int channel = 1; channel <= 4; ++channel) {
        std::vector<RssItem> items;
        for (size_t i = 0; i < kTitles.size(); ++i) {
            RssItem item =
                Item("http://x/" + std::to_string(channel) + "/" + std::to_string(i), kTitles[i]);
            item.description = "<p>" + kTitles[(i + channel) % kTitles.size()] +
                               " — 描述 body text " + std::to_string(i) + "</p>";
            items.push_back(item);
        }
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, items, 3, 0)) << m_store.GetLastError();
    }
    ExpectSameAsLike({"zebra",      "Zebra",       "ZEBRA",  "ebr",          "köln",     "KÖLN",
                      "Köln",       "天气",        "天气预", "北京天气预报", "晴转多云", "it's",
                      "\"quoted\"", "100%",        "% p",    "snake_",       "e_c",      "äöü",
                      "ÄÖÜ",        "<templates>", "&",      "tab\there",    "😀 face",   "face 😀",
                      "ab",         "a",           "abc",    "ABC",          "bca",      "<p>",
                      "描述 body",  "nothing",     "x/1",    "' OR '1'='1",  "\"\"\"",   "—"});
}

TEST_F(SearchIndexTest, ChangedAndDeletedItemsLeaveTheIndex) {
    ASSERT_TRUE(m_store.SaveReceivedItems(
        1, {Item("http://a/1", "Walrus one"), Item("http://a/2", "Walrus two")}, 3, 0));
    ASSERT_EQ(SearchIds("walrus", {}, true, false).size(), 2u);
    m_peer.ExecuteUpdate(
        "UPDATE rss_data SET item_title = 'Narwhal' WHERE item_link = 'http://a/1';");
    EXPECT_EQ(SearchIds("walrus", {}, true, false).size(), 1u);
    EXPECT_EQ(SearchIds("narwhal", {}, true, false).size(), 1u);
    ASSERT_TRUE(m_store.CleanFeeds({{0, 1}}, 0, true));
    EXPECT_TRUE(SearchIds("walrus", {}, true, true).empty());
    EXPECT_TRUE(SearchIds("narwhal", {}, true, true).empty());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH 'wal';"), 0);
}

TEST(SearchIndexQuery, ShortWildcardAndBrokenKeywordsFallBackToLike) {
    EXPECT_FALSE(SearchUsesIndex("ab"));
    EXPECT_FALSE(SearchUsesIndex("天气"));
    EXPECT_TRUE(SearchUsesIndex("天气预"));
    EXPECT_FALSE(SearchUsesIndex("50%off"));
    EXPECT_FALSE(SearchUsesIndex("a_b_c"));
    EXPECT_FALSE(SearchUsesIndex("ab\xff"));
    EXPECT_EQ(TrigramQuery("abcd"), "\"abc\" AND \"bcd\"");
    EXPECT_EQ(TrigramQuery("a\"bc"), "\"a\"\"b\" AND \"\"\"bc\"");
    EXPECT_EQ(TrigramQuery("aaaa"), "\"aaa\"");
    EXPECT_EQ(TrigramQuery("abcdefghijklmnopqrstuvwxyz").size(),
              kMaxQueryTrigrams * 5 + (kMaxQueryTrigrams - 1) * 5);
}

}  // namespace
}  // namespace zirvo::test
