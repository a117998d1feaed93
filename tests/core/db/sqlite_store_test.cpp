// The store base: boolean results with the cause kept, quoting, and the write pattern that
// commits what succeeded.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/db/sqlite_store.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using test::TempDir;

// Exposes the protected write pattern the way a derived store uses it.
class CProbeStore : public CSQLiteStore {
public:
    using CSQLiteStore::Connection;
    using CSQLiteStore::CSQLiteStore;
    using CSQLiteStore::RunInTransaction;

    int Count(const std::string& table) {
        int n = -1;
        RunRead([&] { ReadCount("SELECT COUNT(*) FROM " + table + ";", n); });
        return n;
    }
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.Open(m_dir.PathOf("store.db"))) << m_store.GetLastError();
        ASSERT_TRUE(m_store.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT UNIQUE);"));
    }

    TempDir m_dir{"db-store"};
    CProbeStore m_store;
};

TEST(QuoteTest, DoublesEverySingleQuote) {
    std::string text = "it's 'quoted''";
    CSQLiteStore::Quote(text);
    EXPECT_EQ(text, "it''s ''quoted''''");
    EXPECT_EQ(CSQLiteStore::Quoted("none"), "none");
}

TEST(StoreOpenTest, FailureKeepsTheMessage) {
    TempDir dir("db-store-open");
    CSQLiteStore store;
    EXPECT_FALSE(store.Open(dir.PathOf("missing/x.db")));
    EXPECT_EQ(store.GetLastError(), "SQLITE_CANTOPEN[14]: unable to open database file");
    EXPECT_FALSE(store.Execute("SELECT 1;"));
    EXPECT_EQ(store.GetLastError(), "CPPSQLITE_ERROR[1000]: Database not open");
}

TEST_F(StoreTest, QuotedTextIsStoredIntact) {
    std::string value = "O'Reilly's \"book\"";
    ASSERT_TRUE(
        m_store.Execute("INSERT INTO t (v) VALUES ('" + CSQLiteStore::Quoted(value) + "');"));
    EXPECT_EQ(m_store.LastInsertId(), 1);
    CppSQLite3Cursor cursor = m_store.Connection().ExecuteQuery("SELECT v FROM t;");
    EXPECT_EQ(cursor.GetText("v"), value);
}

TEST_F(StoreTest, ExecuteFailureBecomesLastError) {
    EXPECT_FALSE(m_store.Execute("INSERT INTO nowhere VALUES (1);"));
    EXPECT_EQ(m_store.GetLastError(), "SQLITE_ERROR[1]: no such table: nowhere");
}

TEST_F(StoreTest, FailedWriteCommitsTheStatementsBeforeIt) {
    bool ok = m_store.RunInTransaction([&] {
        m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('a');");
        m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('a');");  // duplicate
        m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('b');");
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(m_store.GetLastError(), "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.v");
    EXPECT_EQ(m_store.Count("t"), 1);
    // No transaction is left open: the next write starts its own.
    EXPECT_TRUE(m_store.RunInTransaction(
        [&] { m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('c');"); }));
    CProbeStore other;
    ASSERT_TRUE(other.Open(m_dir.PathOf("store.db")));
    other.Connection().SetBusyTimeout(100);
    EXPECT_TRUE(other.Execute("INSERT INTO t (v) VALUES ('d');")) << other.GetLastError();
}

// A group: one transaction around operations that each run their own write pattern.
TEST_F(StoreTest, AGroupCommitsItsOperationsTogetherOrNotAtAll) {
    ASSERT_TRUE(m_store.BeginGroup());
    EXPECT_TRUE(m_store.InGroup());
    EXPECT_FALSE(m_store.BeginGroup());
    EXPECT_TRUE(m_store.RunInTransaction(
        [&] { m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('a');"); }));
    // A failing operation keeps what it did before the failure, as on its own, but commits
    // nothing by itself: the group is still open and intact.
    EXPECT_FALSE(m_store.RunInTransaction([&] {
        m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('b');");
        m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('a');");
    }));
    EXPECT_TRUE(m_store.GroupIntact());
    CProbeStore other;
    ASSERT_TRUE(other.Open(m_dir.PathOf("store.db")));
    EXPECT_EQ(other.Count("t"), 0);
    EXPECT_TRUE(m_store.EndGroup());
    EXPECT_FALSE(m_store.InGroup());
    EXPECT_EQ(other.Count("t"), 2);

    ASSERT_TRUE(m_store.BeginGroup());
    EXPECT_TRUE(m_store.Execute("INSERT INTO t (v) VALUES ('c');"));
    m_store.AbandonGroup();
    EXPECT_EQ(other.Count("t"), 2);
    EXPECT_EQ(m_store.Count("t"), 2);
}

TEST_F(StoreTest, ReadingTogetherSeesOneStateOfTheFileAndBlocksNoWriter) {
    ASSERT_TRUE(m_store.Execute("INSERT INTO t (v) VALUES ('a');"));
    CProbeStore writer;
    ASSERT_TRUE(writer.Open(m_dir.PathOf("store.db")));
    writer.Connection().SetBusyTimeout(100);
    ASSERT_TRUE(m_store.Connection().IsAutoCommit());
    // The file is in WAL mode, as every store of the programs: a reader keeps its snapshot.
    ASSERT_TRUE(m_store.Execute("PRAGMA journal_mode=WAL;"));

    ASSERT_TRUE(m_store.BeginReading());
    EXPECT_FALSE(m_store.BeginReading());
    EXPECT_FALSE(m_store.BeginGroup());
    EXPECT_EQ(m_store.Count("t"), 1);
    EXPECT_TRUE(writer.Execute("INSERT INTO t (v) VALUES ('b');")) << writer.GetLastError();
    EXPECT_EQ(m_store.Count("t"), 1);
    m_store.EndReading();
    EXPECT_TRUE(m_store.Connection().IsAutoCommit());
    EXPECT_EQ(m_store.Count("t"), 2);
    m_store.EndReading();  // once is enough

    // Inside a group there is no reading of its own: the group's transaction is the view.
    ASSERT_TRUE(m_store.BeginGroup());
    EXPECT_FALSE(m_store.BeginReading());
    m_store.EndReading();
    EXPECT_TRUE(m_store.GroupIntact());
    EXPECT_TRUE(m_store.EndGroup());
}

TEST_F(StoreTest, ACheckpointCopiesTheJournalIntoTheFileOutsideTransactionsOnly) {
    ASSERT_TRUE(m_store.Execute("PRAGMA journal_mode=WAL;"));
    // The connection's own automatic checkpoint would blur what this one does.
    ASSERT_TRUE(m_store.Execute("PRAGMA wal_autocheckpoint=0;"));
    const std::string file = m_dir.PathOf("store.db");
    const auto sizeBefore = std::filesystem::file_size(file);
    ASSERT_TRUE(m_store.Execute("INSERT INTO t (v) VALUES (hex(randomblob(200000)));"));
    EXPECT_EQ(std::filesystem::file_size(file), sizeBefore);

    ASSERT_TRUE(m_store.BeginGroup());
    EXPECT_FALSE(m_store.CheckpointWal());
    EXPECT_TRUE(m_store.EndGroup());
    ASSERT_TRUE(m_store.BeginReading());
    EXPECT_FALSE(m_store.CheckpointWal());
    m_store.EndReading();
    EXPECT_EQ(std::filesystem::file_size(file), sizeBefore);

    EXPECT_TRUE(m_store.CheckpointWal());
    EXPECT_GT(std::filesystem::file_size(file), sizeBefore + 200000);
    EXPECT_EQ(m_store.Count("t"), 1);
}

TEST_F(StoreTest, AGroupThatSqliteRolledBackIsNoLongerIntactAndEndsAsAFailure) {
    ASSERT_TRUE(
        m_store.Execute("CREATE TRIGGER t_poison BEFORE INSERT ON t WHEN NEW.v = 'poison' BEGIN "
                        "SELECT RAISE(ROLLBACK, 'poisoned'); END;"));
    ASSERT_TRUE(m_store.BeginGroup());
    EXPECT_TRUE(m_store.Execute("INSERT INTO t (v) VALUES ('a');"));
    EXPECT_FALSE(m_store.Execute("INSERT INTO t (v) VALUES ('poison');"));
    EXPECT_FALSE(m_store.GroupIntact());
    EXPECT_FALSE(m_store.EndGroup());
    EXPECT_EQ(m_store.Count("t"), 0);
    // The connection is usable again, outside any group.
    EXPECT_TRUE(m_store.RunInTransaction(
        [&] { m_store.Connection().ExecuteUpdate("INSERT INTO t (v) VALUES ('b');"); }));
    EXPECT_EQ(m_store.Count("t"), 1);
}

}  // namespace
}  // namespace zirvo
