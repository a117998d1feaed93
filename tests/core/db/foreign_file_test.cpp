// A file in the store's place that is not ours: the open is refused with a message that says
// what the file is, and the file is left exactly as it was (no tables added, no WAL switch).

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/articles/blog_store.h"
#include "core/db/sqlite_connection.h"
#include "core/feeds/rss_store.h"
#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using test::TempDir;

std::string Bytes(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes));
    return bytes;
}

// A database of another program, written with SQLite's plain C API in rollback-journal mode.
void MakeForeignDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
                           "INSERT INTO moz_places (url) VALUES ('http://example.com/');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

TEST(ForeignFile, AnotherProgramsDatabaseIsNamedAndLeftUntouched) {
    TempDir root("foreign-db");
    root.MakeDir("Storage");
    const std::string path = root.PathOf("Storage/rss.db");
    MakeForeignDatabase(path);
    const std::string before = Bytes(path);

    CRssStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_NE(store.GetLastError().find("another program"), std::string::npos)
        << store.GetLastError();
    EXPECT_NE(store.GetLastError().find("moz_places"), std::string::npos);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_FALSE(FileExists(path + "-wal"));
}

TEST(ForeignFile, TextFileIsNotADatabaseAndStaysAsItWas) {
    TempDir root("foreign-text");
    root.MakeDir("Storage");
    const std::string text = "these are my notes, not a database\n";
    const std::string path = root.WriteFile("Storage/blog.db", text);

    CBlogStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_NE(store.GetLastError().find("not an SQLite database"), std::string::npos)
        << store.GetLastError();
    EXPECT_EQ(Bytes(path), text);
}

TEST(ForeignFile, OurOwnFilesStillOpenAndSwitchToWal) {
    TempDir root("own-db");
    root.MakeDir("Storage");
    {
        CRssStore store(root.Path());
        ASSERT_TRUE(store.Open()) << store.GetLastError();
    }
    CppSQLite3Connection db;
    db.Open(root.PathOf("Storage/rss.db"));
    EXPECT_EQ(db.ExecuteQuery("PRAGMA journal_mode;").GetText(0), "wal");
}

}  // namespace
}  // namespace zirvo
