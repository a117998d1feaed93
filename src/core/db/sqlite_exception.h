#pragma once
// The one exception type of the database layer. Its message is always the formatted form
// "NAME[code]: text" (for example "SQLITE_ERROR[1]: no such table: x"); errors raised by the layer
// itself carry code 1000 ("CPPSQLITE_ERROR").
// Threading: a value; any thread may hold and copy its own instance.

namespace zirvo {

// Code of the errors that the layer raises itself (not an SQLite result code).
constexpr int kCppSQLiteError = 1000;

class CppSQLite3Exception {
public:
    // Formats "%s[%d]: %s" from the code's name, the code and `text` (empty when null). With
    // `takeOwnership` the text was allocated by SQLite and is released here.
    CppSQLite3Exception(int code, char* text, bool takeOwnership);
    CppSQLite3Exception(int code, const char* text);
    CppSQLite3Exception(const CppSQLite3Exception& other);
    CppSQLite3Exception(CppSQLite3Exception&& other) noexcept;
    CppSQLite3Exception& operator=(const CppSQLite3Exception& other);
    CppSQLite3Exception& operator=(CppSQLite3Exception&& other) noexcept;
    virtual ~CppSQLite3Exception();

    int ErrorCode() const { return m_code; }
    // Never null: an absent message reads as the empty text.
    const char* ErrorMessage() const { return m_message ? m_message : ""; }

    // "SQLITE_OK" .. "SQLITE_DONE" for SQLite's primary codes, "CPPSQLITE_ERROR" for 1000,
    // "UNKNOWN_ERROR" for anything else.
    static const char* ErrorCodeName(int code);

private:
    int m_code = 0;
    char* m_message = nullptr;  // sqlite3_mprintf'd, sqlite3_free'd
};

}  // namespace zirvo
