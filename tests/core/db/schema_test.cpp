// Creating both databases, upgrading older files and refusing newer ones.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/schema.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using test::TempDir;

// The tables as a file shipped with the original program holds them: no indexes, no version.
const char* const kBareRssTables =
    "CREATE TABLE feed_data (feed_id INTEGER PRIMARY KEY, feed_url TEXT, feed_rssrank INTEGER,"
    " feed_storagetype INTEGER, feed_storagenum INTEGER, feed_autoupdate INTEGER,"
    " feed_newitemshowtip INTEGER);"
    "CREATE TABLE rss_data (item_id INTEGER PRIMARY KEY, item_feedid INTEGER, item_new INTEGER,"
    " item_read INTEGER, item_link TEXT, item_title TEXT, item_author TEXT,"
    " item_description TEXT, item_pubDate TEXT);"
    "CREATE TABLE rsstemp_data (item_id INTEGER PRIMARY KEY, item_feedid INTEGER,"
    " item_new INTEGER, item_read INTEGER, item_link TEXT, item_title TEXT, item_author TEXT,"
    " item_description TEXT, item_pubDate TEXT);"
    "CREATE TABLE feedfav_data (feed_id INTEGER PRIMARY KEY, feed_readcount INTEGER);"
    "CREATE TABLE rssfavorite_data (item_id INTEGER PRIMARY KEY, item_feedid INTEGER,"
    " item_link TEXT, item_title TEXT, item_author TEXT, item_description TEXT,"
    " item_pubDate TEXT);";

std::vector<std::string> Names(CppSQLite3Connection& db, const char* type) {
    std::vector<std::string> names;
    CppSQLite3Cursor cursor =
        db.ExecuteQuery(std::string("SELECT name FROM sqlite_master WHERE type = '") + type +
                        "' AND name NOT LIKE 'sqlite_%' ORDER BY name;");
    for (; !cursor.AtEnd(); cursor.NextRow()) {
        names.push_back(cursor.GetText("name"));
    }
    return names;
}

std::string PlanOf(CppSQLite3Connection& db, const std::string& sql) {
    std::string plan;
    CppSQLite3Cursor cursor = db.ExecuteQuery("EXPLAIN QUERY PLAN " + sql);
    for (; !cursor.AtEnd(); cursor.NextRow()) {
        plan += cursor.GetText("detail") + "\n";
    }
    return plan;
}

class SchemaTest : public ::testing::Test {
protected:
    CppSQLite3Connection& OpenDb(const std::string& name = "x.db") {
        m_db.Open(m_dir.PathOf(name));
        return m_db;
    }

    TempDir m_dir{"db-schema"};
    CppSQLite3Connection m_db;
    std::string m_error;
};

TEST_F(SchemaTest, NewRssDatabaseGetsAllTablesAndCurrentVersion) {
    CppSQLite3Connection& db = OpenDb();
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
    EXPECT_EQ(
        Names(db, "table"),
        (std::vector<std::string>{
            "feed_data", "feedfav_data", "rss_data", "rss_enclosure", "rss_fts", "rss_fts_config",
            "rss_fts_data", "rss_fts_idx", "rss_title_fts", "rss_title_fts_config",
            "rss_title_fts_data", "rss_title_fts_idx", "rsscount_data", "rssfavorite_data",
            "rssfetch_data", "rssfts_build", "rssremoved_data", "rsstemp_data"}));
    // Nothing to index later in a new file.
    EXPECT_EQ(db.ExecuteQuery("SELECT COUNT(*) FROM rssfts_build;").GetInt(0, -1), 0);
    // Opening again changes nothing.
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
}

TEST_F(SchemaTest, NewChannelRowTakesTheDefaultsOfAnAddedChannel) {
    CppSQLite3Connection& db = OpenDb();
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    db.ExecuteUpdate("INSERT INTO [feed_data] (feed_url) VALUES ('http://a/');");
    CppSQLite3Cursor row = db.ExecuteQuery("SELECT * FROM feed_data;");
    EXPECT_EQ(row.GetInt("feed_rssrank", -1), 0);
    EXPECT_EQ(row.GetInt("feed_storagetype", -1), 0);
    EXPECT_EQ(row.GetInt("feed_storagenum", -1), 200);
    EXPECT_EQ(row.GetInt("feed_autoupdate", -1), 1);
    EXPECT_EQ(row.GetInt("feed_newitemshowtip", -1), 0);
    db.ExecuteUpdate("INSERT INTO [feedfav_data] (feed_id) VALUES (7);");
    EXPECT_EQ(db.ExecuteQuery("SELECT feed_readcount FROM feedfav_data;").GetInt(0, -1), 0);
}

TEST_F(SchemaTest, ItemIdsKeepGrowingAfterTheNewestWereDeleted) {
    CppSQLite3Connection& db = OpenDb();
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    db.ExecuteUpdate("INSERT INTO rss_data (item_feedid, item_link) VALUES (1, 'a');");
    db.ExecuteUpdate("INSERT INTO rss_data (item_feedid, item_link) VALUES (1, 'b');");
    db.ExecuteUpdate("DELETE FROM rss_data WHERE item_link = 'b';");
    db.ExecuteUpdate("INSERT INTO rss_data (item_feedid, item_link) VALUES (1, 'c');");
    EXPECT_EQ(db.LastRowId(), 3);
}

TEST_F(SchemaTest, HotStatementsUseIndexes) {
    CppSQLite3Connection& db = OpenDb();
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_NE(PlanOf(db,
                     "SELECT * FROM [rss_data] WHERE item_feedid = 1 AND item_read = 0 "
                     "ORDER BY item_id DESC LIMIT 0, 50;")
                  .find("USING INDEX rss_data_feed_read"),
              std::string::npos);
    // The merge asks the indexes per staged item; it never scans a channel's items.
    std::string merge = PlanOf(
        db,
        "SELECT item_link FROM [rsstemp_data] WHERE [rsstemp_data].item_feedid = 1 AND NOT EXISTS "
        "(SELECT 1 FROM [rss_data] WHERE [rss_data].item_feedid = 1 AND [rss_data].item_link = "
        "[rsstemp_data].item_link) AND NOT EXISTS (SELECT 1 FROM [rssremoved_data] WHERE "
        "[rssremoved_data].item_feedid = 1 AND [rssremoved_data].item_link = "
        "[rsstemp_data].item_link);");
    EXPECT_NE(merge.find("COVERING INDEX rss_data_feed_link"), std::string::npos) << merge;
    EXPECT_NE(merge.find("COVERING INDEX rssremoved_data_feed_link"), std::string::npos) << merge;
    EXPECT_EQ(merge.find("SCAN rss_data"), std::string::npos) << merge;
    std::string prune =
        PlanOf(db,
               "DELETE FROM [rssremoved_data] WHERE item_feedid = 1 AND NOT EXISTS (SELECT 1 FROM "
               "[rsstemp_data] WHERE [rsstemp_data].item_feedid = 1 AND [rsstemp_data].item_link = "
               "[rssremoved_data].item_link);");
    EXPECT_NE(prune.find("rsstemp_data_feed_link"), std::string::npos) << prune;
    std::string trim = PlanOf(db,
                              "SELECT item_id FROM [rss_data] WHERE item_feedid = 1 ORDER BY "
                              "item_id ASC LIMIT 1 OFFSET 10;");
    EXPECT_NE(trim.find("COVERING INDEX rss_data_feed_item"), std::string::npos) << trim;
    EXPECT_EQ(PlanOf(db, "SELECT COUNT(*) FROM [rss_data] WHERE item_feedid = 1 AND item_new = 1;")
                  .find("SCAN"),
              std::string::npos);
    EXPECT_NE(PlanOf(db, "SELECT * FROM [feed_data] WHERE feed_url = 'x';").find("feed_data_url"),
              std::string::npos);
}

TEST_F(SchemaTest, BareTablesOfAnOldFileAreUpgradedKeepingTheirRows) {
    CppSQLite3Connection& db = OpenDb();
    db.ExecuteUpdate(kBareRssTables);
    db.ExecuteUpdate("INSERT INTO feed_data (feed_id, feed_url) VALUES (4, 'http://old/');");
    db.ExecuteUpdate(
        "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title) VALUES "
        "(4, 0, 1, 'http://old/1', 'Old one');");
    ASSERT_EQ(ReadSchemaVersion(db), 0);

    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
    CppSQLite3Cursor row = db.ExecuteQuery("SELECT * FROM rss_data;");
    EXPECT_EQ(row.GetText("item_title"), "Old one");
    EXPECT_EQ(row.GetInt("item_read"), 1);
    std::vector<std::string> indexes = Names(db, "index");
    EXPECT_NE(std::find(indexes.begin(), indexes.end(), "rss_data_feed_link"), indexes.end());
    EXPECT_NE(std::find(indexes.begin(), indexes.end(), "feed_data_url"), indexes.end());
}

TEST_F(SchemaTest, VersionOneFileGetsTheIndexesOfLaterVersions) {
    CppSQLite3Connection& db = OpenDb();
    db.ExecuteUpdate(kBareRssTables);
    db.ExecuteUpdate("PRAGMA user_version = 1;");
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
    EXPECT_EQ(Names(db, "index").size(), 11u);
}

TEST_F(SchemaTest, VersionTwoFileCountsItsItemsAndRecordsRemovedLinks) {
    CppSQLite3Connection& db = OpenDb();
    db.ExecuteUpdate(kBareRssTables);
    db.ExecuteUpdate(
        "INSERT INTO rss_data (item_feedid, item_link) VALUES (4, 'a'), (4, 'b'), (5, 'c');"
        "PRAGMA user_version = 2;");
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
    EXPECT_EQ(db.ExecuteQuery("SELECT item_count FROM rsscount_data WHERE item_feedid = 4;")
                  .GetInt(0, -1),
              2);
    db.ExecuteUpdate("DELETE FROM rss_data WHERE item_link = 'a';");
    db.ExecuteUpdate("INSERT INTO rss_data (item_feedid, item_link) VALUES (5, 'd');");
    EXPECT_EQ(db.ExecuteQuery("SELECT item_count FROM rsscount_data WHERE item_feedid = 4;")
                  .GetInt(0, -1),
              1);
    EXPECT_EQ(db.ExecuteQuery("SELECT item_count FROM rsscount_data WHERE item_feedid = 5;")
                  .GetInt(0, -1),
              2);
    CppSQLite3Cursor removed = db.ExecuteQuery("SELECT * FROM rssremoved_data;");
    ASSERT_FALSE(removed.AtEnd());
    EXPECT_EQ(removed.GetInt("item_feedid"), 4);
    EXPECT_EQ(removed.GetText("item_link"), "a");
}

TEST_F(SchemaTest, VersionFiveFileGetsEnclosuresThatGoWithTheirItem) {
    CppSQLite3Connection& db = OpenDb();
    db.ExecuteUpdate(kBareRssTables);
    ASSERT_TRUE(EnsureRssSchemaUpTo(db, 5, m_error)) << m_error;
    EXPECT_EQ(Names(db, "table").size(), 12u);  // no rss_enclosure yet
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
    db.ExecuteUpdate(
        "INSERT INTO rss_data (item_id, item_feedid, item_link) VALUES (7, 1, 'a'), (8, 1, 'b');"
        "INSERT INTO rss_enclosure (enc_itemid, enc_url) VALUES (7, 'u1'), (7, 'u2'), (8, 'u3');"
        "DELETE FROM rss_data WHERE item_id = 7;");
    EXPECT_EQ(db.ExecuteQuery("SELECT COUNT(*) FROM rss_enclosure;").GetInt(0, -1), 1);
}

TEST_F(SchemaTest, MissingTableOfAnOldFileIsCreated) {
    CppSQLite3Connection& db = OpenDb();
    db.ExecuteUpdate("CREATE TABLE feed_data (feed_id INTEGER PRIMARY KEY, feed_url TEXT);");
    ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
    EXPECT_EQ(Names(db, "table").size(), 18u);
}

// Every older version reaches the newest with its channels and items kept, and the record of
// each channel's last fetch goes with the channel.
TEST_F(SchemaTest, EveryOlderVersionUpgradesAndTheFetchRecordFollowsItsChannel) {
    for (int version = 0; version < RssSchemaVersion(); ++version) {
        SCOPED_TRACE(version);
        TempDir dir{"db-schema-upgrade"};
        CppSQLite3Connection db;
        db.Open(dir.PathOf("old.db"));
        db.ExecuteUpdate(kBareRssTables);
        db.ExecuteUpdate(
            "INSERT INTO feed_data (feed_id, feed_url) VALUES (7, 'http://a/'), (8, 'http://b/');"
            "INSERT INTO rss_data (item_feedid, item_link, item_title) VALUES (7, 'x', "
            "'Walrus');");
        if (version > 0) {
            // The file as that version left it: its own steps already ran.
            db.ExecuteUpdate("PRAGMA user_version = 0;");
            ASSERT_TRUE(EnsureRssSchemaUpTo(db, version, m_error)) << m_error;
        }
        ASSERT_TRUE(EnsureRssSchema(db, m_error)) << m_error;
        EXPECT_EQ(ReadSchemaVersion(db), RssSchemaVersion());
        EXPECT_EQ(db.ExecuteQuery("SELECT COUNT(*) FROM rss_data;").GetInt(0), 1);
        // The items already there wait for the index's build after the upgrade: the upgrade
        // itself indexes nothing, whatever the version it started from.
        EXPECT_EQ(
            db.ExecuteQuery("SELECT COUNT(*) FROM rss_fts WHERE rss_fts MATCH 'wal';").GetInt(0),
            0);
        CppSQLite3Cursor build = db.ExecuteQuery("SELECT build_done, build_end FROM rssfts_build;");
        ASSERT_FALSE(build.AtEnd());
        EXPECT_EQ(build.GetInt(0), 0);
        EXPECT_EQ(build.GetInt(1), db.ExecuteQuery("SELECT MAX(item_id) FROM rss_data;").GetInt(0));
        db.ExecuteUpdate(
            "INSERT INTO rssfetch_data (feed_id, fetch_etag) VALUES (7, 'e7'), (8, 'e8');"
            "DELETE FROM feed_data WHERE feed_id = 7;"
            "UPDATE feed_data SET feed_url = 'http://b/' WHERE feed_id = 8;");
        EXPECT_EQ(db.ExecuteQuery("SELECT COUNT(*) FROM rssfetch_data;").GetInt(0), 1);
        db.ExecuteUpdate("UPDATE feed_data SET feed_url = 'http://c/' WHERE feed_id = 8;");
        EXPECT_EQ(db.ExecuteQuery("SELECT COUNT(*) FROM rssfetch_data;").GetInt(0), 0);
    }
}

TEST_F(SchemaTest, NewerDatabaseIsRefusedAndLeftUntouched) {
    CppSQLite3Connection& db = OpenDb();
    db.ExecuteUpdate("CREATE TABLE future (x); PRAGMA user_version = 99;");
    EXPECT_FALSE(EnsureRssSchema(db, m_error));
    EXPECT_NE(m_error.find("newer version of Zirvo"), std::string::npos) << m_error;
    EXPECT_NE(m_error.find("99"), std::string::npos) << m_error;
    EXPECT_EQ(Names(db, "table"), std::vector<std::string>{"future"});
    EXPECT_EQ(ReadSchemaVersion(db), 99);
}

TEST_F(SchemaTest, FileThatIsNotADatabaseIsRefusedWithSqlitesReason) {
    std::string path = m_dir.WriteFile("junk.db", std::string(4096, 'x'));
    CppSQLite3Connection db;
    db.Open(path);
    EXPECT_FALSE(EnsureRssSchema(db, m_error));
    EXPECT_EQ(m_error,
              "The feed database is not an SQLite database (UNKNOWN_ERROR[26]: file is not a "
              "database). It has been left untouched; move it away to start a new one.");
}

TEST_F(SchemaTest, BlogDatabaseHasArticleTableWithIndexauthor) {
    CppSQLite3Connection& db = OpenDb("blog.db");
    ASSERT_TRUE(EnsureBlogSchema(db, m_error)) << m_error;
    EXPECT_EQ(ReadSchemaVersion(db), BlogSchemaVersion());
    EXPECT_EQ(Names(db, "table"), std::vector<std::string>{"blog_article"});
    EXPECT_EQ(Names(db, "index"), std::vector<std::string>{"indexauthor"});
    // The folder is sometimes written as a quoted number: it must still read as an integer.
    db.ExecuteUpdate("INSERT INTO blog_article (log_property, log_author) VALUES ('3', 'me');");
    EXPECT_EQ(db.ExecuteQuery("SELECT typeof(log_property) FROM blog_article;").GetText(0),
              "integer");
    EXPECT_NE(PlanOf(db,
                     "SELECT * FROM [blog_article] WHERE log_property = 3 AND log_author = "
                     "'me' LIMIT 0, 9999;")
                  .find("indexauthor"),
              std::string::npos);
}

TEST_F(SchemaTest, BareBlogTableIsUpgradedKeepingArticles) {
    CppSQLite3Connection& db = OpenDb("blog.db");
    db.ExecuteUpdate(
        "CREATE TABLE blog_article (log_id INTEGER PRIMARY KEY, log_property INTEGER,"
        " log_author TEXT, log_guid TEXT, log_title TEXT, log_category TEXT, log_content TEXT,"
        " log_pubDate TEXT);"
        "INSERT INTO blog_article (log_property, log_author, log_title) VALUES (3, 'me', 'Kept');");
    ASSERT_TRUE(EnsureBlogSchema(db, m_error)) << m_error;
    EXPECT_EQ(db.ExecuteQuery("SELECT log_title FROM blog_article;").GetText(0), "Kept");
    EXPECT_EQ(Names(db, "index"), std::vector<std::string>{"indexauthor"});
}

TEST_F(SchemaTest, NewerBlogDatabaseIsRefused) {
    CppSQLite3Connection& db = OpenDb("blog.db");
    db.ExecuteUpdate("PRAGMA user_version = 3;");
    EXPECT_FALSE(EnsureBlogSchema(db, m_error));
    EXPECT_NE(m_error.find("article database"), std::string::npos) << m_error;
}

}  // namespace
}  // namespace zirvo
