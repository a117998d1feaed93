#pragma once
// One connection to an SQLite database file. Statements are complete SQL text, except the few
// that run for every received item, which are compiled once per connection (Prepared) and get
// their values bound: compiling them again for each item cost more than running them. On open the
// connection waits up to its busy timeout (60000 ms unless changed) for locks held by other
// connections. Opening changes nothing in the file: the WAL journal, which lets readers and one
// writer of the same file not block each other, is asked for by EnableWriteAheadLog once the caller
// has accepted the file as its own.
//
// NOTE: a statement that does not compile raises SQLite's own reason ("no such table: x"), not
// an empty text: a message that names nothing leaves the user no way to see what is wrong.
// Threading: one thread at a time; each thread that needs the database opens its own connection.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/db/sqlite_cursor.h"
#include "core/db/sqlite_exception.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zirvo {

constexpr int kDefaultBusyTimeoutMs = 60000;

// A compiled statement that its connection keeps for repeated use. Values are bound by position
// (from 1) and copied; a text is bound as TEXT, never spliced into the statement.
class CppSQLite3Statement {
public:
    CppSQLite3Statement(sqlite3* db, sqlite3_stmt* statement) : m_db(db), m_statement(statement) {}
    CppSQLite3Statement(const CppSQLite3Statement&) = delete;
    CppSQLite3Statement& operator=(const CppSQLite3Statement&) = delete;
    ~CppSQLite3Statement();

    CppSQLite3Statement& Bind(int index, int value);
    CppSQLite3Statement& Bind(int index, long long value);
    CppSQLite3Statement& Bind(int index, const std::string& value);
    // Runs the statement to its end and returns the rows it changed. Throws on failure. Either
    // way the statement is ready again and its bindings are cleared.
    int Execute();
    // Column 0 of the first row as an integer; `fallback` without a row or for NULL.
    int QueryInt(int fallback);
    // Hands the first row to `read` (a cursor that is valid only during the call) and returns
    // true; false without a row. Throws on failure; the statement is ready again either way.
    bool QueryRow(const std::function<void(const CppSQLite3Cursor&)>& read);

private:
    void Check(int rc);
    void Reset();

    sqlite3* m_db;
    sqlite3_stmt* m_statement;
};

class CppSQLite3Connection {
public:
    CppSQLite3Connection() = default;
    CppSQLite3Connection(const CppSQLite3Connection&) = delete;
    CppSQLite3Connection& operator=(const CppSQLite3Connection&) = delete;
    // Closes the connection if it is open.
    virtual ~CppSQLite3Connection();

    // `fileName` is UTF-8. Creates the file when missing. Throws on failure.
    void Open(const std::string& fileName);
    // Switches the file to the WAL journal (kept in the file from then on) with synchronous
    // NORMAL. A file that cannot switch (read-only) keeps its journal and still reads fine.
    void EnableWriteAheadLog();
    // SQLite's result; 0 when nothing was open.
    int Close();
    bool IsOpen() const { return m_db != nullptr; }

    // Runs every statement of `sql`; returns the rows changed by the last one.
    int ExecuteUpdate(const std::string& sql);
    // Compiles `sql` and steps once: the cursor stands on the first row or at the end.
    CppSQLite3Cursor ExecuteQuery(const std::string& sql);
    // The statement `sql` (one statement, `?` for its values), compiled on its first use and
    // kept until the connection closes. Throws when it does not compile.
    CppSQLite3Statement& Prepared(const std::string& sql);

    // Copies what the WAL journal holds into the database file as far as no reader needs it
    // still, waiting for no one (a passive checkpoint). SQLite's result.
    int CheckpointWal();

    int LastRowId() const;
    void SetBusyTimeout(int milliseconds);
    int BusyTimeout() const { return m_busyTimeoutMs; }
    // False while an explicit transaction is open on this connection.
    bool IsAutoCommit() const;

private:
    void CheckOpen() const;
    sqlite3_stmt* Compile(const std::string& sql);

    sqlite3* m_db = nullptr;
    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
    std::unordered_map<std::string, std::unique_ptr<CppSQLite3Statement>> m_prepared;
};

}  // namespace zirvo
