#pragma once
// One connection to an SQLite database file. Every statement is complete SQL text; nothing is
// bound. On open the connection waits up to its busy timeout (60000 ms unless changed) for locks
// held by other connections. Opening changes nothing in the file: the WAL journal, which lets
// readers and one writer of the same file not block each other, is asked for by
// EnableWriteAheadLog once the caller has accepted the file as its own.
//
// NOTE: a statement that does not compile raises SQLite's own reason ("no such table: x"), not
// an empty text: a message that names nothing leaves the user no way to see what is wrong.
// Threading: one thread at a time; each thread that needs the database opens its own connection.

#include <string>

#include "core/db/sqlite_cursor.h"
#include "core/db/sqlite_exception.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zirvo {

constexpr int kDefaultBusyTimeoutMs = 60000;

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
};

}  // namespace zirvo
