#include "core/db/sqlite_cursor.h"

#include <sqlite3.h>

#include <cstring>
#include <utility>

namespace zirvo {

CppSQLite3Cursor::CppSQLite3Cursor(sqlite3* db, sqlite3_stmt* statement, bool atEnd,
                                   bool ownsStatement)
    : m_db(db),
      m_statement(statement),
      m_atEnd(atEnd),
      m_columnCount(statement ? sqlite3_column_count(statement) : 0),
      m_ownsStatement(ownsStatement) {}

CppSQLite3Cursor::CppSQLite3Cursor(CppSQLite3Cursor&& other) noexcept
    : m_db(other.m_db),
      m_statement(std::exchange(other.m_statement, nullptr)),
      m_atEnd(other.m_atEnd),
      m_columnCount(other.m_columnCount),
      m_ownsStatement(other.m_ownsStatement) {}

CppSQLite3Cursor& CppSQLite3Cursor::operator=(CppSQLite3Cursor&& other) noexcept {
    if (this != &other) {
        try {
            Finalize();
        } catch (const CppSQLite3Exception&) {
            // The old statement is gone either way; its error belongs to nobody now.
        }
        m_db = other.m_db;
        m_statement = std::exchange(other.m_statement, nullptr);
        m_atEnd = other.m_atEnd;
        m_columnCount = other.m_columnCount;
        m_ownsStatement = other.m_ownsStatement;
    }
    return *this;
}

CppSQLite3Cursor::~CppSQLite3Cursor() {
    try {
        Finalize();
    } catch (const CppSQLite3Exception&) {
        // Destructors never throw; a failed finalise has already released the statement.
    }
}

void CppSQLite3Cursor::CheckStatement() const {
    if (!m_statement) {
        throw CppSQLite3Exception(kCppSQLiteError, "Null Virtual Machine pointer");
    }
}

void CppSQLite3Cursor::CheckIndex(int index) const {
    if (index < 0 || index > m_columnCount - 1) {
        throw CppSQLite3Exception(kCppSQLiteError, "Invalid field index requested");
    }
}

bool CppSQLite3Cursor::AtEnd() const {
    CheckStatement();
    return m_atEnd;
}

void CppSQLite3Cursor::NextRow() {
    CheckStatement();
    int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_DONE) {
        m_atEnd = true;
    } else if (rc == SQLITE_ROW) {
        m_atEnd = false;
    } else {
        rc = sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_atEnd = true;
        throw CppSQLite3Exception(rc, sqlite3_errmsg(m_db));
    }
}

void CppSQLite3Cursor::Finalize() {
    if (m_statement && m_ownsStatement) {
        int rc = sqlite3_finalize(m_statement);
        m_statement = nullptr;
        if (rc != SQLITE_OK) {
            throw CppSQLite3Exception(rc, sqlite3_errmsg(m_db));
        }
    }
}

int CppSQLite3Cursor::ColumnCount() const {
    CheckStatement();
    return m_columnCount;
}

int CppSQLite3Cursor::ColumnIndex(const char* name) const {
    CheckStatement();
    if (name) {
        for (int i = 0; i < m_columnCount; ++i) {
            const char* column = sqlite3_column_name(m_statement, i);
            if (column && std::strcmp(name, column) == 0) {
                return i;
            }
        }
    }
    throw CppSQLite3Exception(kCppSQLiteError, "Invalid field name requested");
}

int CppSQLite3Cursor::ColumnType(int index) const {
    CheckStatement();
    CheckIndex(index);
    return sqlite3_column_type(m_statement, index);
}

int CppSQLite3Cursor::GetInt(int index, int nullValue) const {
    if (ColumnType(index) == SQLITE_NULL) {
        return nullValue;
    }
    return sqlite3_column_int(m_statement, index);
}

int CppSQLite3Cursor::GetInt(const char* name, int nullValue) const {
    return GetInt(ColumnIndex(name), nullValue);
}

std::string CppSQLite3Cursor::GetText(int index, const std::string& nullValue) const {
    if (ColumnType(index) == SQLITE_NULL) {
        return nullValue;
    }
    const unsigned char* text = sqlite3_column_text(m_statement, index);
    if (!text) {
        return nullValue;
    }
    // NOTE: read the byte count after the text so that the count is that of the UTF-8 form.
    int bytes = sqlite3_column_bytes(m_statement, index);
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
}

std::string CppSQLite3Cursor::GetText(const char* name, const std::string& nullValue) const {
    return GetText(ColumnIndex(name), nullValue);
}

}  // namespace zirvo
