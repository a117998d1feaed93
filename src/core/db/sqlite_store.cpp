#include "core/db/sqlite_store.h"

#include <utility>

#include "core/util/strings.h"

namespace zirvo {

CSQLiteStore::~CSQLiteStore() {
    Close();
}

bool CSQLiteStore::Open(const std::string& path) {
    try {
        m_db.Open(path);
        return true;
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
        return false;
    }
}

bool CSQLiteStore::OpenWithSchema(const std::string& path, SchemaEnsurer ensure) {
    if (!Open(path)) {
        return false;
    }
    std::string error;
    if (!ensure(m_db, error)) {
        m_lastError = error;
        m_db.Close();
        return false;
    }
    // Only a file the schema accepted is switched: a refused one must stay as it was.
    m_db.EnableWriteAheadLog();
    return true;
}

void CSQLiteStore::Close() {
    m_reading = false;
    m_db.Close();
}

bool CSQLiteStore::Execute(const std::string& sql) {
    try {
        m_db.ExecuteUpdate(sql);
        return true;
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
        return false;
    }
}

void CSQLiteStore::BeginTransaction() {
    if (m_group) {
        return;
    }
    try {
        m_db.ExecuteUpdate("begin transaction;");
    } catch (const CppSQLite3Exception&) {
        // Callers treat a failed begin like no transaction: each statement commits alone.
    }
}

void CSQLiteStore::CommitTransaction() {
    if (m_group) {
        return;
    }
    try {
        m_db.ExecuteUpdate("commit transaction;");
    } catch (const CppSQLite3Exception&) {
        // Nothing to commit, or the failure surfaces on the next statement.
    }
}

void CSQLiteStore::CommitAfterFailure() {
    CommitTransaction();
    RollBackIfOpen();
}

void CSQLiteStore::RollBackIfOpen() {
    if (m_db.IsAutoCommit()) {
        return;
    }
    try {
        m_db.ExecuteUpdate("rollback transaction;");
    } catch (const CppSQLite3Exception&) {
        // The connection is beyond help (SQLite rolls back when it closes); the failure the
        // caller already has is the one that matters.
    }
}

void CSQLiteStore::Quote(std::string& text) {
    ReplaceAll(text, "'", "''");
}

std::string CSQLiteStore::Quoted(std::string text) {
    Quote(text);
    return text;
}

int CSQLiteStore::LastInsertId() {
    try {
        return m_db.LastRowId();
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
        return 0;
    }
}

// NOTE: a write transaction takes the write lock when it begins. Begun deferred, a statement
// whose triggers feed the full-text index reads first and then asks for the lock without
// SQLite's busy handler: under another connection's write it failed at once with "database is
// locked" instead of waiting out the busy timeout.
bool CSQLiteStore::RunInTransaction(const std::function<void()>& body) {
    if (m_group) {
        // What succeeded stays in the group, which commits it with the rest.
        try {
            body();
            return true;
        } catch (const CppSQLite3Exception& e) {
            m_lastError = e.ErrorMessage();
            return false;
        }
    }
    try {
        m_db.ExecuteUpdate("begin immediate transaction;");
        body();
        m_db.ExecuteUpdate("commit transaction;");
        return true;
    } catch (const CppSQLite3Exception& e) {
        CommitAfterFailure();
        m_lastError = e.ErrorMessage();
        return false;
    }
}

bool CSQLiteStore::RunAtomically(const std::function<void()>& body) {
    if (m_group) {
        try {
            m_db.ExecuteUpdate("savepoint atomic;");
            body();
            m_db.ExecuteUpdate("release atomic;");
            return true;
        } catch (const CppSQLite3Exception& e) {
            m_lastError = e.ErrorMessage();
            if (!m_db.IsAutoCommit()) {
                try {
                    m_db.ExecuteUpdate("rollback to atomic; release atomic;");
                } catch (const CppSQLite3Exception&) {
                    // The group's end finds the connection as it is and says so.
                }
            }
            return false;
        }
    }
    try {
        m_db.ExecuteUpdate("begin immediate transaction;");
        body();
        m_db.ExecuteUpdate("commit transaction;");
        return true;
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
        RollBackIfOpen();
        return false;
    }
}

bool CSQLiteStore::BeginGroup() {
    if (m_group || m_reading || !Begin("begin immediate transaction;")) {
        return false;
    }
    m_group = true;
    return true;
}

bool CSQLiteStore::EndGroup() {
    if (!m_group) {
        return false;
    }
    m_group = false;
    if (m_db.IsAutoCommit()) {
        return false;  // rolled back by SQLite on the way: nothing of the group is stored
    }
    try {
        m_db.ExecuteUpdate("commit transaction;");
        return true;
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
    }
    RollBackIfOpen();
    return false;
}

void CSQLiteStore::AbandonGroup() {
    if (!m_group) {
        return;
    }
    m_group = false;
    RollBackIfOpen();
}

bool CSQLiteStore::BeginReading() {
    if (m_group || m_reading || !m_db.IsAutoCommit() || !Begin("begin deferred transaction;")) {
        return false;
    }
    m_reading = true;
    return true;
}

bool CSQLiteStore::Begin(const char* statement) {
    try {
        m_db.ExecuteUpdate(statement);
        return true;
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
        return false;
    }
}

void CSQLiteStore::EndReading() {
    if (!m_reading) {
        return;
    }
    m_reading = false;
    if (!m_db.IsAutoCommit()) {
        try {
            m_db.ExecuteUpdate("commit transaction;");
        } catch (const CppSQLite3Exception&) {
            RollBackIfOpen();
        }
    }
}

bool CSQLiteStore::CheckpointWal() {
    if (m_group || m_reading || !m_db.IsOpen() || !m_db.IsAutoCommit()) {
        return false;
    }
    return m_db.CheckpointWal() == 0;
}

bool CSQLiteStore::RunRead(const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const CppSQLite3Exception& e) {
        m_lastError = e.ErrorMessage();
        return false;
    }
}

void CSQLiteStore::ReadCount(const std::string& sql, int& out) {
    CppSQLite3Cursor cursor = m_db.ExecuteQuery(sql);
    if (!cursor.AtEnd()) {
        out = cursor.GetInt(0, 0);
    }
}

}  // namespace zirvo
