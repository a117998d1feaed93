// A damaged database file is found at once, in the user's words.

#include "core/db/integrity_check.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace zirvo {
namespace {

// A database with enough rows to span many pages.
void MakeDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE t (id INTEGER PRIMARY KEY, body TEXT);"
                           "CREATE INDEX tb ON t(body);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 3000) INSERT INTO t (body) SELECT printf('%0500d', i) "
                           "FROM n;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

TEST(IntegrityCheck, ASoundOrMissingFilePasses) {
    test::TempDir dir("db-check");
    std::string problem;
    EXPECT_TRUE(CheckDatabaseFile(dir.PathOf("missing.db"), problem));
    MakeDatabase(dir.PathOf("sound.db"));
    EXPECT_TRUE(CheckDatabaseFile(dir.PathOf("sound.db"), problem)) << problem;
    EXPECT_TRUE(problem.empty());
}

TEST(IntegrityCheck, DamagedPagesAndRubbishAreFound) {
    test::TempDir dir("db-check");
    const std::string path = dir.PathOf("damaged.db");
    MakeDatabase(path);
    {
        // Pages in the middle of the file overwritten; the first page (the schema) stays.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(8 * 4096);
        const std::string junk(16 * 4096, '\xA5');
        file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    std::string problem;
    EXPECT_FALSE(CheckDatabaseFile(path, problem));
    EXPECT_FALSE(problem.empty());
    const std::string message = DamagedDatabaseMessage("Storage/rss.db", problem);
    EXPECT_NE(message.find("Storage/rss.db 已损坏"), std::string::npos);
    EXPECT_NE(message.find(problem), std::string::npos);

    const std::string rubbish = dir.WriteFile("rubbish.db", std::string(8192, 'x'));
    EXPECT_FALSE(CheckDatabaseFile(rubbish, problem));
    EXPECT_FALSE(problem.empty());
}

}  // namespace
}  // namespace zirvo
