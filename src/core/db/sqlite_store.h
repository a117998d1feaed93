#pragma once
// Base of the program's SQLite stores (feed store, article store). A store turns database
// exceptions into a boolean result and remembers the cause as text (GetLastError). Writes run
// between "begin transaction;" and "commit transaction;"; when a statement fails, what already
// succeeded is committed (there is no rollback), as the stores' callers expect.
//
// Every statement is complete SQL text: each text value is passed through Quote and written
// between single quotes; numbers are written with "%d". Nothing else is spliced into SQL.
//
// Threading: one instance belongs to one thread. Threads that need the same database file each
// construct and open their own store; SQLite's locking with the connection's busy timeout
// (60000 ms) is the only coordination between them.

#include <functional>
#include <string>

#include "core/db/sqlite_connection.h"

namespace zirvo {

class CSQLiteStore {
public:
    // Checks and, when needed, creates or upgrades the tables of a freshly opened database.
    // False with `error` set when the file cannot be used.
    using SchemaEnsurer = bool (*)(CppSQLite3Connection& db, std::string& error);

    CSQLiteStore() = default;
    explicit CSQLiteStore(std::string path) : m_path(std::move(path)) {}
    CSQLiteStore(const CSQLiteStore&) = delete;
    CSQLiteStore& operator=(const CSQLiteStore&) = delete;
    virtual ~CSQLiteStore();

    // Opens the database file at `path` (UTF-8). False with the last error set on failure.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_db.IsOpen(); }

    // Runs `sql`; a database failure becomes the last error and gives false.
    bool Execute(const std::string& sql);
    // Run "begin transaction;" / "commit transaction;"; failures are swallowed.
    void BeginTransaction();
    void CommitTransaction();

    // One transaction around many operations (a folder walk stores several channels at once:
    // one commit instead of a few per channel). While the group is open, the operations' own
    // begin and commit do nothing, a failed operation commits nothing by itself, and an atomic
    // one becomes a savepoint. BeginGroup: false, and no group, when the write lock cannot be
    // had, or while reading (BeginReading). EndGroup commits; false when that fails, the group
    // being rolled back then.
    bool BeginGroup();
    bool EndGroup();
    // Rolls the whole group back.
    void AbandonGroup();
    bool InGroup() const { return m_group; }
    // False once SQLite itself rolled the group's transaction back (disk full, I/O error, a
    // trigger's RAISE(ROLLBACK)): what the group stored so far is gone, and the statements
    // since ran on their own.
    bool GroupIntact() const { return m_group && !m_db.IsAutoCommit(); }

    // Many reads as one (the counts of every channel): one read transaction instead of one per
    // statement, and one view of the file for all of them. Nothing may be written before
    // EndReading. False (and reads go on one by one) inside a transaction or when it fails.
    bool BeginReading();
    void EndReading();

    // Moves what the WAL journal holds into the file while there is time for it (a walk waiting
    // for the network), so that closing the last connection has little left to copy. Waits for
    // no one; false when nothing could be copied (inside a transaction, busy, not WAL).
    bool CheckpointWal();

    // Doubles every single quote, in place.
    static void Quote(std::string& text);
    // The quoted copy of `text`, for building statements.
    static std::string Quoted(std::string text);

    int LastInsertId();
    std::string GetLastError() const { return m_lastError; }
    const std::string& Path() const { return m_path; }

protected:
    // Opens `path` and lets `ensure` prepare the tables; on failure the connection is closed
    // again and the last error says why.
    bool OpenWithSchema(const std::string& path, SchemaEnsurer ensure);

    // The write pattern of every store operation: "begin transaction;", `body`, "commit
    // transaction;". A CppSQLite3Exception from any of them commits what succeeded, becomes
    // the last error and gives false.
    bool RunInTransaction(const std::function<void()>& body);
    // For the few writes that must never stay half done (a channel deleted with its items, a
    // received post replaced by its new copy): the same, but a failure rolls everything back.
    bool RunAtomically(const std::function<void()>& body);
    // A read: a CppSQLite3Exception from `body` becomes the last error and gives false.
    bool RunRead(const std::function<void()>& body);
    // Column 0 of the first row of `sql` into `out`; `out` stays untouched without a row.
    // Throws on database errors (for use inside RunRead / RunInTransaction).
    void ReadCount(const std::string& sql, int& out);

    CppSQLite3Connection& Connection() { return m_db; }
    void SetLastError(std::string text) { m_lastError = std::move(text); }

    std::string m_path;

private:
    // After a failure inside a transaction: commit what succeeded; if even that fails, roll
    // back so that the connection is not left inside a transaction that blocks every later one.
    void CommitAfterFailure();
    // Rolls back the open transaction, if any; a failure of the rollback itself is dropped.
    void RollBackIfOpen();
    // Runs a "begin ..." statement; its failure becomes the last error and gives false.
    bool Begin(const char* statement);

    std::string m_lastError;
    CppSQLite3Connection m_db;
    bool m_group = false;
    bool m_reading = false;
};

}  // namespace zirvo
