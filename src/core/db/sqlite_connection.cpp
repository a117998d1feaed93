#include "core/db/sqlite_connection.h"

#include <sqlite3.h>

#include <cstdint>

#include "core/db/rare_trigrams.h"
#include "core/db/sparse_trigrams.h"

namespace zirvo {

CppSQLite3Connection::~CppSQLite3Connection() {
    Close();
}

void CppSQLite3Connection::Open(const std::string& fileName) {
    Close();
    sqlite3* db = nullptr;
    int rc = sqlite3_open(fileName.c_str(), &db);
    if (rc != SQLITE_OK) {
        CppSQLite3Exception error(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);  // a handle is returned even when opening fails
        throw error;
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    // A feed store of schema version 8 holds a full-text index made with this tokenizer; the
    // upgrade's drop of it needs the tokenizer too.
    RegisterSparseTrigramTokenizer(m_db);
    RegisterRareTrigramTokenizer(m_db);
}

void CppSQLite3Connection::EnableWriteAheadLog() {
    CheckOpen();
    // NOTE: the result is ignored on purpose. A read-only file cannot switch to WAL and still
    // reads fine.
    sqlite3_exec(m_db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    // In WAL mode NORMAL keeps the file consistent after a crash or power loss; only the last
    // commits before a power loss may be lost, and those are received items that the next
    // receive brings again. FULL would cost two disk syncs per commit, three commits a channel.
    sqlite3_exec(m_db, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
}

int CppSQLite3Connection::Close() {
    if (!m_db) {
        return SQLITE_OK;
    }
    // Statements still compiled would keep the connection from closing.
    m_prepared.clear();
    int rc = sqlite3_close(m_db);
    m_db = nullptr;
    return rc;
}

void CppSQLite3Connection::CheckOpen() const {
    if (!m_db) {
        throw CppSQLite3Exception(kCppSQLiteError, "Database not open");
    }
}

int CppSQLite3Connection::ExecuteUpdate(const std::string& sql) {
    CheckOpen();
    char* error = nullptr;
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        throw CppSQLite3Exception(rc, error, true);
    }
    return sqlite3_changes(m_db);
}

sqlite3_stmt* CppSQLite3Connection::Compile(const std::string& sql) {
    CheckOpen();
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr);
    if (rc != SQLITE_OK) {
        throw CppSQLite3Exception(rc, sqlite3_errmsg(m_db));
    }
    if (!statement) {
        // Only blanks or comments: there is nothing to step, which is a misuse of a query.
        throw CppSQLite3Exception(SQLITE_MISUSE, static_cast<const char*>(nullptr));
    }
    return statement;
}

CppSQLite3Cursor CppSQLite3Connection::ExecuteQuery(const std::string& sql) {
    CheckOpen();
    sqlite3_stmt* statement = Compile(sql);
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE) {
        return CppSQLite3Cursor(m_db, statement, true);
    }
    if (rc == SQLITE_ROW) {
        return CppSQLite3Cursor(m_db, statement, false);
    }
    rc = sqlite3_finalize(statement);
    throw CppSQLite3Exception(rc, sqlite3_errmsg(m_db));
}

CppSQLite3Statement& CppSQLite3Connection::Prepared(const std::string& sql) {
    auto found = m_prepared.find(sql);
    if (found != m_prepared.end()) {
        return *found->second;
    }
    sqlite3_stmt* statement = Compile(sql);
    auto prepared = std::make_unique<CppSQLite3Statement>(m_db, statement);
    CppSQLite3Statement& kept = *prepared;
    m_prepared.emplace(sql, std::move(prepared));
    return kept;
}

CppSQLite3Statement::~CppSQLite3Statement() {
    sqlite3_finalize(m_statement);
}

void CppSQLite3Statement::Reset() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void CppSQLite3Statement::Check(int rc) {
    if (rc != SQLITE_OK) {
        CppSQLite3Exception error(rc, sqlite3_errmsg(m_db));
        Reset();
        throw error;
    }
}

CppSQLite3Statement& CppSQLite3Statement::Bind(int index, int value) {
    Check(sqlite3_bind_int(m_statement, index, value));
    return *this;
}

CppSQLite3Statement& CppSQLite3Statement::Bind(int index, long long value) {
    Check(sqlite3_bind_int64(m_statement, index, value));
    return *this;
}

CppSQLite3Statement& CppSQLite3Statement::Bind(int index, const std::string& value) {
    if (value.size() > static_cast<size_t>(INT32_MAX)) {
        Check(SQLITE_TOOBIG);
    }
    Check(sqlite3_bind_text(m_statement, index, value.data(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT));
    return *this;
}

int CppSQLite3Statement::Execute() {
    int rc = sqlite3_step(m_statement);
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(m_statement);
    }
    if (rc != SQLITE_DONE) {
        Check(rc);
    }
    const int changed = sqlite3_changes(m_db);
    Reset();
    return changed;
}

int CppSQLite3Statement::QueryInt(int fallback) {
    const int rc = sqlite3_step(m_statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        Check(rc);
    }
    int value = fallback;
    if (rc == SQLITE_ROW && sqlite3_column_type(m_statement, 0) != SQLITE_NULL) {
        value = sqlite3_column_int(m_statement, 0);
    }
    Reset();
    return value;
}

bool CppSQLite3Statement::QueryRow(const std::function<void(const CppSQLite3Cursor&)>& read) {
    const int rc = sqlite3_step(m_statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        Check(rc);
    }
    if (rc == SQLITE_DONE) {
        Reset();
        return false;
    }
    try {
        read(CppSQLite3Cursor(m_db, m_statement, false, false));
    } catch (...) {
        Reset();
        throw;
    }
    Reset();
    return true;
}

int CppSQLite3Connection::CheckpointWal() {
    CheckOpen();
    return sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

int CppSQLite3Connection::LastRowId() const {
    CheckOpen();
    return static_cast<int>(sqlite3_last_insert_rowid(m_db));
}

void CppSQLite3Connection::SetBusyTimeout(int milliseconds) {
    m_busyTimeoutMs = milliseconds;
    if (m_db) {
        sqlite3_busy_timeout(m_db, milliseconds);
    }
}

bool CppSQLite3Connection::IsAutoCommit() const {
    return !m_db || sqlite3_get_autocommit(m_db) != 0;
}

}  // namespace zirvo
