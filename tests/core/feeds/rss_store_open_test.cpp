// Opening the feed store on good, missing, foreign, old and newer files, and two stores on one
// file at once.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/db/schema.h"
#include "rss_store_fixture.h"
#include "support/test_env.h"

namespace zirvo::test {
namespace {

TEST(RssStoreOpenTest, OpensTheFileBelowTheDataRoot) {
    TempDir root("rss-open");
    root.MakeDir("Storage");
    CRssStore store(root.Path());
    EXPECT_EQ(store.Path(), root.PathOf("Storage/rss.db"));
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    EXPECT_TRUE(std::filesystem::exists(root.PathOf("Storage/rss.db")));
}

// Reads the store's own connection settings.
class CSettingsProbe : public CRssStore {
public:
    using CRssStore::CRssStore;
    int Synchronous() { return Connection().ExecuteQuery("PRAGMA synchronous;").GetInt(0, -1); }
};

TEST(RssStoreOpenTest, ItemsAreNotSyncedOnEveryCommit) {
    // Received rows come back with the next receive: one sync per checkpoint is enough.
    TempDir root("rss-open");
    root.MakeDir("Storage");
    CSettingsProbe store(root.Path());
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    EXPECT_EQ(store.Synchronous(), 1);  // NORMAL
}

TEST(RssStoreOpenTest, MissingStorageFolderFailsWithAMessage) {
    TempDir root("rss-open");
    CRssStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_EQ(store.GetLastError(), "SQLITE_CANTOPEN[14]: unable to open database file");
    int id = 0;
    EXPECT_FALSE(store.AddFeed("http://a/", id));
    EXPECT_EQ(store.GetLastError(), "CPPSQLITE_ERROR[1000]: Database not open");
}

TEST(RssStoreOpenTest, StorageThatIsAFileFailsWithAMessage) {
    TempDir root("rss-open");
    root.WriteFile("Storage", "not a folder");
    CRssStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_NE(store.GetLastError().find("SQLITE_CANTOPEN"), std::string::npos)
        << store.GetLastError();
}

TEST(RssStoreOpenTest, FileThatIsNotADatabaseIsRefused) {
    TempDir root("rss-open");
    root.WriteFile("Storage/rss.db", "<?xml version=\"1.0\"?><opml/>" + std::string(2000, ' '));
    CRssStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_EQ(store.GetLastError(),
              "The feed database is not an SQLite database (UNKNOWN_ERROR[26]: file is not a "
              "database). It has been left untouched; move it away to start a new one.");
    EXPECT_FALSE(store.IsOpen());
}

TEST(RssStoreOpenTest, NewerDatabaseIsRefused) {
    TempDir root("rss-open");
    root.MakeDir("Storage");
    {
        CppSQLite3Connection db;
        db.Open(root.PathOf("Storage/rss.db"));
        db.ExecuteUpdate("PRAGMA user_version = " + std::to_string(RssSchemaVersion() + 1) + ";");
    }
    CRssStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_NE(store.GetLastError().find("newer version of Zirvo"), std::string::npos)
        << store.GetLastError();
    EXPECT_FALSE(store.IsOpen());
}

TEST(RssStoreOpenTest, OldFileWithBareTablesIsUpgradedAndItsItemsStayUsable) {
    TempDir root("rss-open");
    root.MakeDir("Storage");
    {
        CppSQLite3Connection db;
        db.Open(root.PathOf("Storage/rss.db"));
        db.ExecuteUpdate(
            "CREATE TABLE feed_data (feed_id INTEGER PRIMARY KEY, feed_url TEXT, feed_rssrank "
            "INTEGER, feed_storagetype INTEGER, feed_storagenum INTEGER, feed_autoupdate INTEGER, "
            "feed_newitemshowtip INTEGER);"
            "CREATE TABLE rss_data (item_id INTEGER PRIMARY KEY, item_feedid INTEGER, item_new "
            "INTEGER, item_read INTEGER, item_link TEXT, item_title TEXT, item_author TEXT, "
            "item_description TEXT, item_pubDate TEXT);"
            "CREATE TABLE rsstemp_data (item_id INTEGER PRIMARY KEY, item_feedid INTEGER, "
            "item_new INTEGER, item_read INTEGER, item_link TEXT, item_title TEXT, item_author "
            "TEXT, item_description TEXT, item_pubDate TEXT);"
            "INSERT INTO feed_data VALUES (3, 'http://old/', 1, 2, 10, 1, 0);"
            "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title) "
            "VALUES (3, 0, 1, 'http://old/1', 'kept');");
    }
    CRssStore store(root.Path());
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    FeedSettings settings;
    int id = 0;
    ASSERT_TRUE(store.GetFeedSettings("http://old/", id, settings));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(settings.storageNum, 10);
    ASSERT_TRUE(store.SaveReceivedItems(3, {RssStoreTest::Item("http://old/2")}, 2, 10));
    std::vector<RssItem> items;
    int total = 0;
    ASSERT_TRUE(store.ListItems(3, kAllItems, false, items, total, 10, 0));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].title, "kept");
    EXPECT_EQ(items[1].read, 1);
    int folder = 0;
    EXPECT_TRUE(store.AddFavouriteFolder(folder));  // the missing favourites tables were made
}

// Makes a current database below `root`, with one channel holding one item.
void MakeDatabase(const TempDir& root) {
    root.MakeDir("Storage");
    CRssStore store(root.Path());
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    int id = 0;
    ASSERT_TRUE(store.AddFeed("http://a/", id));
    ASSERT_TRUE(store.SaveReceivedItems(id, {RssStoreTest::Item("x")}, 3, 0));
}

TEST(RssStoreOpenTest, ReadOnlyFileInWritableFolderReadsButRefusesWrites) {
    CPermissionsBind bind;
    if (!bind.Active()) {
        GTEST_SKIP() << bind.Reason();
    }
    TempDir root("rss-open");
    MakeDatabase(root);
    namespace fs = std::filesystem;
    fs::permissions(root.PathOf("Storage/rss.db"), fs::perms::owner_read);
    CRssStore store(root.Path());
    ASSERT_TRUE(store.Open()) << store.GetLastError();
    int total = 0;
    int unread = 0;
    ASSERT_TRUE(store.CountFeed(1, total, unread)) << store.GetLastError();
    EXPECT_EQ(total, 1);
    EXPECT_FALSE(store.SetFeedRead(1, 1));
    EXPECT_EQ(store.GetLastError(), "SQLITE_READONLY[8]: attempt to write a readonly database");
}

TEST(RssStoreOpenTest, ReadOnlyStorageFolderFailsWithAMessage) {
    CPermissionsBind bind;
    if (!bind.Active()) {
        GTEST_SKIP() << bind.Reason();
    }
    namespace fs = std::filesystem;
    {
        // No database yet: it cannot be created.
        TempDir root("rss-open");
        fs::permissions(root.MakeDir("Storage"), fs::perms::owner_read | fs::perms::owner_exec);
        CRssStore store(root.Path());
        EXPECT_FALSE(store.Open());
        EXPECT_EQ(store.GetLastError(), "SQLITE_CANTOPEN[14]: unable to open database file");
    }
    {
        // A WAL database cannot even be read where its index file cannot be made.
        TempDir root("rss-open");
        MakeDatabase(root);
        fs::permissions(root.PathOf("Storage/rss.db"), fs::perms::owner_read);
        fs::permissions(root.PathOf("Storage"), fs::perms::owner_read | fs::perms::owner_exec);
        CRssStore store(root.Path());
        EXPECT_FALSE(store.Open());
        EXPECT_EQ(store.GetLastError(),
                  "Cannot prepare the feed database: SQLITE_READONLY[8]: attempt to write a "
                  "readonly database");
    }
}

TEST(RssStoreConcurrencyTest, SecondStoreWaitsForTheFirstOnesWriteLock) {
    TempDir root("rss-two");
    root.MakeDir("Storage");
    CRssStore window(root.Path());
    ASSERT_TRUE(window.Open()) << window.GetLastError();
    int id = 0;
    ASSERT_TRUE(window.AddFeed("http://a/", id));

    // The window's store holds the write lock inside an open transaction.
    window.BeginTransaction();
    ASSERT_TRUE(window.Execute("UPDATE feed_data SET feed_rssrank = 1;"));

    std::atomic<bool> released{false};
    bool workerOk = false;
    bool releasedBeforeWorkerFinished = false;
    std::string workerError;
    std::thread worker([&] {
        CRssStore own(root.Path());  // a worker opens a store of its own
        if (!own.Open()) {
            workerError = own.GetLastError();
            return;
        }
        workerOk = own.SaveReceivedItems(id, {RssStoreTest::Item("w1")}, 3, 0);
        releasedBeforeWorkerFinished = released.load();
        workerError = own.GetLastError();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    released = true;
    window.CommitTransaction();
    worker.join();

    EXPECT_TRUE(workerOk) << workerError;
    EXPECT_TRUE(releasedBeforeWorkerFinished);
    int total = 0;
    int unread = 0;
    ASSERT_TRUE(window.CountFeed(id, total, unread));
    EXPECT_EQ(total, 1);
}

}  // namespace
}  // namespace zirvo::test
