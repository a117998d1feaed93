// The thin layer over SQLite: messages, cursor ownership and the failures callers rely on.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "core/db/sqlite_connection.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using test::TempDir;

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.Open(m_dir.PathOf("layer.db"));
        m_db.EnableWriteAheadLog();
        m_db.ExecuteUpdate("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, n INTEGER);");
    }

    TempDir m_dir{"db-layer"};
    CppSQLite3Connection m_db;
};

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CppSQLite3Exception& e) {
        return e.ErrorMessage();
    }
    return "(no exception)";
}

TEST(ExceptionTest, MessageCarriesCodeNameCodeAndText) {
    CppSQLite3Exception error(1, "no such table: x");
    EXPECT_EQ(error.ErrorCode(), 1);
    EXPECT_STREQ(error.ErrorMessage(), "SQLITE_ERROR[1]: no such table: x");
    EXPECT_STREQ(CppSQLite3Exception(101, "").ErrorMessage(), "SQLITE_DONE[101]: ");
    EXPECT_STREQ(CppSQLite3Exception(1000, "x").ErrorMessage(), "CPPSQLITE_ERROR[1000]: x");
    EXPECT_STREQ(CppSQLite3Exception(26, "file is not a database").ErrorMessage(),
                 "UNKNOWN_ERROR[26]: file is not a database");
    EXPECT_STREQ(CppSQLite3Exception(-1, static_cast<const char*>(nullptr)).ErrorMessage(),
                 "UNKNOWN_ERROR[-1]: ");
}

TEST(ExceptionTest, CopiesOwnTheirMessage) {
    auto original = std::make_unique<CppSQLite3Exception>(5, "database is locked");
    CppSQLite3Exception copy(*original);
    CppSQLite3Exception assigned(0, "");
    assigned = *original;
    original.reset();
    EXPECT_STREQ(copy.ErrorMessage(), "SQLITE_BUSY[5]: database is locked");
    EXPECT_STREQ(assigned.ErrorMessage(), "SQLITE_BUSY[5]: database is locked");
    EXPECT_EQ(assigned.ErrorCode(), 5);
}

TEST(ConnectionStateTest, StatementsBeforeOpenRaiseDatabaseNotOpen) {
    CppSQLite3Connection db;
    EXPECT_EQ(db.Close(), 0);  // never opened: nothing to close, nothing raised
    EXPECT_EQ(MessageOf([&] { db.ExecuteUpdate("SELECT 1;"); }),
              "CPPSQLITE_ERROR[1000]: Database not open");
    EXPECT_EQ(MessageOf([&] { db.ExecuteQuery("SELECT 1;"); }),
              "CPPSQLITE_ERROR[1000]: Database not open");
    EXPECT_EQ(MessageOf([&] { db.LastRowId(); }), "CPPSQLITE_ERROR[1000]: Database not open");
}

TEST(ConnectionStateTest, OpenInMissingFolderFailsWithSqliteText) {
    TempDir dir("db-missing");
    CppSQLite3Connection db;
    EXPECT_EQ(MessageOf([&] { db.Open(dir.PathOf("no/such/folder/x.db")); }),
              "SQLITE_CANTOPEN[14]: unable to open database file");
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(ConnectionTest, FreshConnectionWaitsSixtySecondsAndUsesWal) {
    EXPECT_EQ(m_db.BusyTimeout(), 60000);
    CppSQLite3Cursor cursor = m_db.ExecuteQuery("PRAGMA journal_mode;");
    EXPECT_EQ(cursor.GetText(0), "wal");
}

TEST(ConnectionStateTest, OpeningAloneLeavesTheJournalAsItWas) {
    TempDir dir("db-journal");
    CppSQLite3Connection db;
    db.Open(dir.PathOf("plain.db"));
    EXPECT_EQ(db.ExecuteQuery("PRAGMA journal_mode;").GetText(0), "delete");
}

TEST_F(ConnectionTest, FailuresCarrySqliteTextCompileFailuresToo) {
    EXPECT_EQ(MessageOf([&] { m_db.ExecuteUpdate("INSERT INTO missing VALUES (1);"); }),
              "SQLITE_ERROR[1]: no such table: missing");
    EXPECT_EQ(MessageOf([&] { m_db.ExecuteQuery("SELEC nonsense;"); }),
              "SQLITE_ERROR[1]: near \"SELEC\": syntax error");
    EXPECT_EQ(MessageOf([&] { m_db.ExecuteQuery("SELECT * FROM missing;"); }),
              "SQLITE_ERROR[1]: no such table: missing");
}

TEST_F(ConnectionTest, StepFailureInQueryCarriesSqliteText) {
    m_db.ExecuteUpdate("CREATE TABLE u (v TEXT UNIQUE);");
    m_db.ExecuteUpdate("INSERT INTO u VALUES ('x');");
    EXPECT_EQ(MessageOf([&] { m_db.ExecuteQuery("INSERT INTO u VALUES ('x') RETURNING v;"); }),
              "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: u.v");
}

TEST_F(ConnectionTest, WriterGivesUpAfterItsBusyTimeoutWhileAnotherHoldsTheLock) {
    CppSQLite3Connection other;
    other.Open(m_dir.PathOf("layer.db"));
    other.SetBusyTimeout(50);
    m_db.ExecuteUpdate("BEGIN IMMEDIATE; INSERT INTO t (name) VALUES ('held');");
    EXPECT_EQ(MessageOf([&] { other.ExecuteUpdate("INSERT INTO t (name) VALUES ('x');"); }),
              "SQLITE_BUSY[5]: database is locked");
    // Readers are not blocked by the writer (WAL), and see only committed rows.
    EXPECT_EQ(other.ExecuteQuery("SELECT COUNT(*) FROM t;").GetInt(0), 0);
    m_db.ExecuteUpdate("COMMIT;");
    EXPECT_EQ(other.ExecuteUpdate("INSERT INTO t (name) VALUES ('x');"), 1);
}

TEST_F(ConnectionTest, QueryWithoutRowsIsAtEndAtOnce) {
    CppSQLite3Cursor cursor = m_db.ExecuteQuery("SELECT * FROM t;");
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(cursor.ColumnCount(), 3);
}

TEST_F(ConnectionTest, CursorWalksRowsAndReadsByName) {
    m_db.ExecuteUpdate(
        "INSERT INTO t (name, n) VALUES ('it''s', 3); INSERT INTO t (n) VALUES (4);");
    CppSQLite3Cursor cursor = m_db.ExecuteQuery("SELECT id, name, n FROM t ORDER BY id;");
    ASSERT_FALSE(cursor.AtEnd());
    EXPECT_EQ(cursor.GetText("name"), "it's");
    EXPECT_EQ(cursor.GetInt("n"), 3);
    cursor.NextRow();
    ASSERT_FALSE(cursor.AtEnd());
    EXPECT_EQ(cursor.GetText("name", "none"), "none");  // NULL reads as the caller's value
    EXPECT_EQ(cursor.GetInt("name", -5), -5);
    EXPECT_EQ(cursor.GetInt(2), 4);
    cursor.NextRow();
    EXPECT_TRUE(cursor.AtEnd());
}

TEST_F(ConnectionTest, ColumnLookupIsExactAndChecked) {
    m_db.ExecuteUpdate("INSERT INTO t (name) VALUES ('a');");
    CppSQLite3Cursor cursor = m_db.ExecuteQuery("SELECT id, name FROM t;");
    EXPECT_EQ(cursor.ColumnIndex("name"), 1);
    EXPECT_EQ(MessageOf([&] { cursor.ColumnIndex("Name"); }),
              "CPPSQLITE_ERROR[1000]: Invalid field name requested");
    EXPECT_EQ(MessageOf([&] { cursor.ColumnIndex(nullptr); }),
              "CPPSQLITE_ERROR[1000]: Invalid field name requested");
    EXPECT_EQ(MessageOf([&] { cursor.GetInt(2); }),
              "CPPSQLITE_ERROR[1000]: Invalid field index requested");
    EXPECT_EQ(MessageOf([&] { cursor.ColumnType(-1); }),
              "CPPSQLITE_ERROR[1000]: Invalid field index requested");
}

TEST_F(ConnectionTest, AssignedCursorLeavesSourceWithoutStatement) {
    m_db.ExecuteUpdate("INSERT INTO t (name) VALUES ('a'); INSERT INTO t (name) VALUES ('b');");
    CppSQLite3Cursor target = m_db.ExecuteQuery("SELECT name FROM t ORDER BY id;");
    CppSQLite3Cursor source = m_db.ExecuteQuery("SELECT name FROM t ORDER BY id DESC;");
    target = std::move(source);
    EXPECT_FALSE(source.HasStatement());
    EXPECT_EQ(MessageOf([&] { source.AtEnd(); }),
              "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");
    EXPECT_EQ(MessageOf([&] { source.NextRow(); }),
              "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");
    EXPECT_NO_THROW(source.Finalize());
    EXPECT_EQ(target.GetText("name"), "b");
    target.Finalize();
    EXPECT_FALSE(target.HasStatement());
    // Both statements are gone: the connection closes cleanly (SQLITE_BUSY if one leaked).
    EXPECT_EQ(m_db.Close(), 0);
}

TEST_F(ConnectionTest, PreparedStatementsBindValuesAsTheyAreAndRunAgain) {
    CppSQLite3Statement& insert = m_db.Prepared("INSERT INTO t (name, n) VALUES (?1, ?2);");
    // A quote, an empty text and bytes SQL would treat specially all arrive as given.
    const std::string texts[] = {"it's", "", "a;b -- c", std::string("nul\0inside", 11)};
    for (const std::string& text : texts) {
        EXPECT_EQ(insert.Bind(1, text).Bind(2, static_cast<int>(text.size())).Execute(), 1);
    }
    EXPECT_EQ(&m_db.Prepared("INSERT INTO t (name, n) VALUES (?1, ?2);"), &insert);
    CppSQLite3Statement& length =
        m_db.Prepared("SELECT length(CAST(name AS BLOB)) FROM t WHERE n = ?1;");
    EXPECT_EQ(length.Bind(1, 11).QueryInt(-1), 11);
    EXPECT_EQ(m_db.Prepared("SELECT COUNT(*) FROM t WHERE name = '' AND typeof(name) = 'text';")
                  .QueryInt(-1),
              1);
    EXPECT_EQ(m_db.Prepared("SELECT COUNT(*) FROM t WHERE name IS NULL;").QueryInt(-1), 0);
    // No row, and NULL, read as the fallback.
    EXPECT_EQ(length.Bind(1, 99).QueryInt(-1), -1);
    EXPECT_EQ(m_db.Prepared("SELECT NULL;").QueryInt(7), 7);
}

TEST_F(ConnectionTest, APreparedQueryHandsOverItsFirstRowAndRunsAgain) {
    m_db.ExecuteUpdate("INSERT INTO t (name, n) VALUES ('a''b', 1), ('c', 2);");
    CppSQLite3Statement& select = m_db.Prepared("SELECT name, n FROM t WHERE n >= ?1 ORDER BY n;");
    std::string name;
    int n = 0;
    auto read = [&](const CppSQLite3Cursor& row) {
        name = row.GetText("name");
        n = row.GetInt("n");
    };
    EXPECT_TRUE(select.Bind(1, 1).QueryRow(read));
    EXPECT_EQ(name, "a'b");
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(select.Bind(1, 2).QueryRow(read));
    EXPECT_EQ(name, "c");
    name.clear();
    EXPECT_FALSE(select.Bind(1, 3).QueryRow(read));
    EXPECT_TRUE(name.empty());
    // A reader that throws leaves the statement ready for the next use.
    EXPECT_THROW(select.Bind(1, 1).QueryRow(
                     [](const CppSQLite3Cursor& row) { row.GetText("missing column"); }),
                 CppSQLite3Exception);
    EXPECT_TRUE(select.Bind(1, 2).QueryRow(read));
    EXPECT_EQ(n, 2);
    // The statement is the connection's: closing is clean.
    EXPECT_EQ(m_db.Close(), 0);
}

TEST_F(ConnectionTest, AFailedPreparedStatementCarriesSqliteTextAndStaysUsable) {
    m_db.ExecuteUpdate("CREATE UNIQUE INDEX t_name ON t (name);");
    CppSQLite3Statement& insert = m_db.Prepared("INSERT INTO t (name) VALUES (?1);");
    insert.Bind(1, std::string("once")).Execute();
    EXPECT_EQ(MessageOf([&] { insert.Bind(1, std::string("once")).Execute(); }),
              "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.name");
    EXPECT_EQ(insert.Bind(1, std::string("twice")).Execute(), 1);
    EXPECT_EQ(MessageOf([&] { m_db.Prepared("SELECT * FROM missing;"); }),
              "SQLITE_ERROR[1]: no such table: missing");
    // Statements kept by the connection do not keep it from closing.
    EXPECT_EQ(m_db.Close(), 0);
}

}  // namespace
}  // namespace zirvo
