// The full-text index gives exactly what the LIKE statements give, on varied text: CJK, letter
// case, punctuation and quotes, wildcards, short keywords, restricted channels, and items changed
// or deleted after they were indexed.

#include "core/feeds/search_index.h"

#include <random>
#include <set>

#include "core/db/schema.h"
#include "core/db/sparse_trigrams.h"
#include "core/feeds/search_index_build.h"
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
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH '" + TrigramQuery("walrus") +
                     "';"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_title_fts WHERE rss_title_fts MATCH '" +
                     TrigramQuery("narwhal") + "';"),
              0);
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

// Items of varied text, searched for pieces of their own text of three to nine characters in
// changed letter case and for pieces that are nowhere: the store's search gives exactly the
// LIKE statement's rows, and for the keywords it answers through the index, the index alone
// already holds every one of them.
TEST_F(SearchIndexTest, RandomPiecesOfTheItemsFindExactlyWhatLikeFinds) {
    const std::vector<std::string> pieces = {
        "the ", "Water", "WATER", "water", " ",     "<p>",  "</p>", "<a href=\"http://x.org/\">",
        "ing",  "2026",  "北京",  "天气",  "预报",  "😀",    "é",    "'",
        "\"",   "&amp;", "Zebra", "tion",  "q",     "Q",    "ÄÖÜ",  "äöü",
        "\t",   "ab",    "AB",    "x",     "photo", "Linux"};
    std::mt19937 random(2026);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    auto text = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += pieces[pick(random)];
        }
        return out;
    };
    std::vector<std::string> texts;
    for (int channel = 1; channel <= 3; ++channel) {
        std::vector<RssItem> items;
        for (int i = 0; i < 60; ++i) {
            RssItem item = Item("http://r/" + std::to_string(channel) + "/" + std::to_string(i),
                                text(2 + i % 6));
            item.description = text(i % 25);
            texts.push_back(item.title);
            texts.push_back(item.description);
            items.push_back(item);
        }
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, items, 3, 0)) << m_store.GetLastError();
    }
    std::set<std::string> keywords = {"nowhere", "zzzzz", "北京北京北京", "wATER<",
                                      "🙂🙂🙂🙂🙂"};
    std::uniform_int_distribution<size_t> pickText(0, texts.size() - 1);
    while (keywords.size() < 150) {
        const std::string& source = texts[pickText(random)];
        const std::vector<std::string_view> chars = IndexCharacters(source);
        const size_t length = 3 + keywords.size() % 7;
        if (chars.size() < length) {
            continue;
        }
        const size_t first =
            std::uniform_int_distribution<size_t>(0, chars.size() - length)(random);
        std::string keyword;
        for (size_t c = first; c < first + length; ++c) {
            keyword += chars[c];
        }
        for (char& c : keyword) {
            if (c >= 'a' && c <= 'z' && random() % 2 == 0) {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        keywords.insert(keyword);
    }
    for (const std::string& keyword : keywords) {
        SCOPED_TRACE(keyword);
        for (bool body : {false, true}) {
            const std::vector<int> like = LikeIds(keyword, "", body);
            EXPECT_EQ(SearchIds(keyword, {}, true, body), like);
            EXPECT_EQ(SearchIds(keyword, {{0, 1}, {0, 3}}, false, body),
                      LikeIds(keyword, "1,3", body));
            if (SearchUsesIndex(keyword)) {
                const std::string index = body ? "rss_fts" : "rss_title_fts";
                std::set<int> indexed;
                for (CppSQLite3Cursor row = m_peer.ExecuteQuery(
                         "SELECT rowid FROM " + index + " WHERE " + index + " MATCH '" +
                         CSQLiteStore::Quoted(TrigramQuery(keyword)) + "';");
                     !row.AtEnd(); row.NextRow()) {
                    indexed.insert(row.GetInt(0));
                }
                for (int id : like) {
                    EXPECT_EQ(indexed.count(id), 1u) << id;
                }
            }
        }
    }
    EXPECT_NO_THROW(
        m_peer.ExecuteUpdate("INSERT INTO rss_fts (rss_fts) VALUES ('integrity-check');"));
    EXPECT_NO_THROW(m_peer.ExecuteUpdate(
        "INSERT INTO rss_title_fts (rss_title_fts) VALUES ('integrity-check');"));
}

// A store whose index holds only some of the trigrams (version 8) gets the current index: the
// upgrade drops the old one and the build makes the new one from every item, after which the
// search answers through it exactly as LIKE does.
TEST(SearchIndexUpgrade, SparseTrigramIndexIsReplacedAndRebuilt) {
    TempDir root{"search-index-upgrade"};
    root.MakeDir("Storage");
    const std::string likeAlr =
        "SELECT COUNT(*) FROM rss_data WHERE item_title LIKE '%alr%' OR item_description LIKE "
        "'%alr%';";
    {
        CppSQLite3Connection old;
        old.Open(root.PathOf("Storage/rss.db"));
        std::string error;
        ASSERT_TRUE(EnsureRssSchemaUpTo(old, 8, error)) << error;
        old.ExecuteUpdate(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO rss_data (item_feedid, item_link, item_title, item_description) SELECT "
            "i % 3 + 1, 'http://u/' || i, CASE i % 4 WHEN 0 THEN 'Walrus Song ' || i WHEN 1 THEN "
            "'北京天气预报 ' || i ELSE 'ZEBRA crossing ' || i END, '<p>Body ' || i || CASE WHEN "
            "i % 7 = 0 THEN ' the walrus' ELSE '' END || '</p>' FROM n;");
        // That index finds every item with "walrus" by its kept trigrams, not by "alr" alone.
        std::string query;
        for (const std::string& term : SparseTrigrams("walrus")) {
            query += (query.empty() ? "\"" : " AND \"") + term + "\"";
        }
        ASSERT_EQ(
            old.ExecuteQuery("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH '" + query + "';")
                .GetInt(0),
            old.ExecuteQuery(likeAlr).GetInt(0));
    }
    CRssStore store(root.Path());
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    CppSQLite3Connection peer;
    peer.Open(root.PathOf("Storage/rss.db"));
    EXPECT_EQ(ReadSchemaVersion(peer), RssSchemaVersion());
    EXPECT_NE(peer.ExecuteQuery("SELECT sql FROM sqlite_master WHERE name = 'rss_fts';")
                  .GetText(0)
                  .find("tokenize='rare_trigram'"),
              std::string::npos);
    SearchIndexBuild build;
    ASSERT_TRUE(store.GetSearchIndexBuild(build));
    EXPECT_TRUE(build.pending);
    EXPECT_EQ(build.end, 3000);
    int batches = 0;
    bool stopped = false;
    ASSERT_TRUE(BuildSearchIndex(
        store, [&](const SearchIndexBuild&) { ++batches; }, nullptr, stopped))
        << store.GetLastError();
    EXPECT_EQ(batches, 3);  // the start, then 2,000 and 1,000 ids
    for (const std::string keyword : {"walrus", "WALRUS SONG", "北京天气预报", "zebra cross",
                                      "the walrus", "body 7", "dy 21", "alr"}) {
        SCOPED_TRACE(keyword);
        for (bool body : {false, true}) {
            std::vector<RssItem> items;
            ASSERT_TRUE(store.SearchItems(keyword, items, {}, true, body));
            std::vector<int> found;
            for (const RssItem& item : items) {
                found.push_back(item.id);
            }
            std::vector<int> like;
            const std::string sql = "SELECT item_id FROM rss_data WHERE item_title LIKE '%" +
                                    keyword + "%'" +
                                    (body ? " OR item_description LIKE '%" + keyword + "%'" : "") +
                                    " ORDER BY item_id DESC;";
            for (CppSQLite3Cursor row = peer.ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
                like.push_back(row.GetInt(0));
            }
            EXPECT_EQ(found, like);
        }
    }
    EXPECT_EQ(
        peer.ExecuteQuery("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH 'alr';").GetInt(0),
        peer.ExecuteQuery(likeAlr).GetInt(0));
    EXPECT_NO_THROW(
        peer.ExecuteUpdate("INSERT INTO rss_fts (rss_fts) VALUES ('integrity-check');"));
}

// A store with the index of every trigram (version 9) gets the index without the commonest ones,
// built after the upgrade: keywords of common trigrams alone are read without it, the others
// through it, and both give what LIKE gives; the new index holds fewer postings.
TEST(SearchIndexUpgrade, IndexOfEveryTrigramIsReplacedByTheOneWithoutCommonTrigrams) {
    TempDir root{"search-index-upgrade-9"};
    root.MakeDir("Storage");
    const char* kItems =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
        "INSERT INTO rss_data (item_feedid, item_link, item_title, item_description) SELECT "
        "i % 3 + 1, 'http://u/' || i, CASE i % 3 WHEN 0 THEN 'The Walrus and the carpenter ' || "
        "i WHEN 1 THEN 'Recommended: ' || i ELSE 'Zebra crossing ' || i END, '<p>Something "
        "<a href=\"https://www.example.com/' || i || '\">interesting</a> ' || CASE WHEN i % 11 = "
        "0 THEN 'the walrus' ELSE 'the ent' END || '</p>' FROM n;";
    int postingsBefore = 0;
    {
        CppSQLite3Connection old;
        old.Open(root.PathOf("Storage/rss.db"));
        std::string error;
        ASSERT_TRUE(EnsureRssSchemaUpTo(old, 9, error)) << error;
        old.ExecuteUpdate(kItems);
        old.ExecuteUpdate(
            "CREATE VIRTUAL TABLE temp.vocab USING fts5vocab(main, 'rss_fts', 'row');");
        postingsBefore = old.ExecuteQuery("SELECT SUM(doc) FROM temp.vocab;").GetInt(0);
    }
    CRssStore store(root.Path());
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    CppSQLite3Connection peer;
    peer.Open(root.PathOf("Storage/rss.db"));
    EXPECT_EQ(ReadSchemaVersion(peer), RssSchemaVersion());
    EXPECT_NE(peer.ExecuteQuery("SELECT sql FROM sqlite_master WHERE name = 'rss_fts';")
                  .GetText(0)
                  .find("tokenize='rare_trigram'"),
              std::string::npos);
    bool stopped = false;
    ASSERT_TRUE(BuildSearchIndex(store, nullptr, nullptr, stopped)) << store.GetLastError();
    peer.ExecuteUpdate("CREATE VIRTUAL TABLE temp.vocab USING fts5vocab(main, 'rss_fts', 'row');");
    EXPECT_LT(peer.ExecuteQuery("SELECT SUM(doc) FROM temp.vocab;").GetInt(0),
              postingsBefore * 4 / 5);
    EXPECT_EQ(peer.ExecuteQuery("SELECT COUNT(*) FROM temp.vocab WHERE term = 'the';").GetInt(0),
              0);
    for (const std::string keyword : {"walrus", "the", "THE", "ent", "the ent", "https://www",
                                      "recommend", "ros", "ZEBRA", "the walrus", "arpenter 12"}) {
        SCOPED_TRACE(keyword);
        for (bool body : {false, true}) {
            std::vector<RssItem> items;
            ASSERT_TRUE(store.SearchItems(keyword, items, {}, true, body));
            std::vector<int> found;
            for (const RssItem& item : items) {
                found.push_back(item.id);
            }
            std::vector<int> like;
            const std::string sql = "SELECT item_id FROM rss_data WHERE item_title LIKE '%" +
                                    keyword + "%'" +
                                    (body ? " OR item_description LIKE '%" + keyword + "%'" : "") +
                                    " ORDER BY item_id DESC;";
            for (CppSQLite3Cursor row = peer.ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
                like.push_back(row.GetInt(0));
            }
            EXPECT_TRUE(!body || !like.empty());
            EXPECT_EQ(found, like);
        }
    }
    EXPECT_FALSE(SearchUsesIndex("the"));
    EXPECT_FALSE(SearchUsesIndex("ent"));
    EXPECT_TRUE(SearchUsesIndex("walrus"));
    EXPECT_TRUE(SearchUsesIndex("https://www"));
    EXPECT_NO_THROW(
        peer.ExecuteUpdate("INSERT INTO rss_fts (rss_fts) VALUES ('integrity-check');"));
    EXPECT_NO_THROW(peer.ExecuteUpdate(
        "INSERT INTO rss_title_fts (rss_title_fts) VALUES ('integrity-check');"));
}

}  // namespace
}  // namespace zirvo::test
