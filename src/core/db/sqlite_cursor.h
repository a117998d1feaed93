#pragma once
// The rows of one query, read one at a time. A cursor owns its compiled statement; moving a
// cursor (construction or assignment) hands the statement over, so it is finalised exactly once.
// Threading: belongs to the thread of the connection that made it.

#include <string>

#include "core/db/sqlite_exception.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zirvo {

class CppSQLite3Cursor {
public:
    CppSQLite3Cursor() = default;
    // Made by CppSQLite3Connection::ExecuteQuery after the first step.
    CppSQLite3Cursor(sqlite3* db, sqlite3_stmt* statement, bool atEnd, bool ownsStatement = true);
    CppSQLite3Cursor(CppSQLite3Cursor&& other) noexcept;
    // The target first finalises its own statement (errors swallowed), then takes the source's.
    CppSQLite3Cursor& operator=(CppSQLite3Cursor&& other) noexcept;
    CppSQLite3Cursor(const CppSQLite3Cursor&) = delete;
    CppSQLite3Cursor& operator=(const CppSQLite3Cursor&) = delete;
    // Finalises an owned statement; never throws.
    virtual ~CppSQLite3Cursor();

    bool AtEnd() const;
    void NextRow();
    // Throws when SQLite reports an error on finalising; a no-op without an owned statement.
    void Finalize();

    int ColumnCount() const;
    // Exact, case-sensitive match against the result column names; the first match wins.
    int ColumnIndex(const char* name) const;
    int ColumnType(int index) const;

    // NULL columns read as `nullValue`. Texts are copied at once.
    int GetInt(int index, int nullValue = 0) const;
    int GetInt(const char* name, int nullValue = 0) const;
    std::string GetText(int index, const std::string& nullValue = std::string()) const;
    std::string GetText(const char* name, const std::string& nullValue = std::string()) const;

    bool HasStatement() const { return m_statement != nullptr; }

private:
    void CheckStatement() const;
    void CheckIndex(int index) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    bool m_atEnd = true;
    int m_columnCount = 0;
    bool m_ownsStatement = false;
};

}  // namespace zirvo
