#include "core/db/sqlite_exception.h"

#include <sqlite3.h>

#include <utility>

namespace zirvo {

namespace {

char* Duplicate(const char* message) {
    return message ? sqlite3_mprintf("%s", message) : nullptr;
}

}  // namespace

CppSQLite3Exception::CppSQLite3Exception(int code, char* text, bool takeOwnership) : m_code(code) {
    m_message = sqlite3_mprintf("%s[%d]: %s", ErrorCodeName(code), code, text ? text : "");
    if (takeOwnership && text) {
        sqlite3_free(text);
    }
}

CppSQLite3Exception::CppSQLite3Exception(int code, const char* text) : m_code(code) {
    m_message = sqlite3_mprintf("%s[%d]: %s", ErrorCodeName(code), code, text ? text : "");
}

CppSQLite3Exception::CppSQLite3Exception(const CppSQLite3Exception& other)
    : m_code(other.m_code), m_message(Duplicate(other.m_message)) {}

CppSQLite3Exception::CppSQLite3Exception(CppSQLite3Exception&& other) noexcept
    : m_code(other.m_code), m_message(std::exchange(other.m_message, nullptr)) {}

CppSQLite3Exception& CppSQLite3Exception::operator=(const CppSQLite3Exception& other) {
    if (this != &other) {
        char* copy = Duplicate(other.m_message);
        sqlite3_free(m_message);
        m_message = copy;
        m_code = other.m_code;
    }
    return *this;
}

CppSQLite3Exception& CppSQLite3Exception::operator=(CppSQLite3Exception&& other) noexcept {
    if (this != &other) {
        sqlite3_free(m_message);
        m_message = std::exchange(other.m_message, nullptr);
        m_code = other.m_code;
    }
    return *this;
}

CppSQLite3Exception::~CppSQLite3Exception() {
    sqlite3_free(m_message);
}

const char* CppSQLite3Exception::ErrorCodeName(int code) {
    static const char* const kPrimaryNames[] = {
        "SQLITE_OK",       "SQLITE_ERROR",     "SQLITE_INTERNAL", "SQLITE_PERM",
        "SQLITE_ABORT",    "SQLITE_BUSY",      "SQLITE_LOCKED",   "SQLITE_NOMEM",
        "SQLITE_READONLY", "SQLITE_INTERRUPT", "SQLITE_IOERR",    "SQLITE_CORRUPT",
        "SQLITE_NOTFOUND", "SQLITE_FULL",      "SQLITE_CANTOPEN", "SQLITE_PROTOCOL",
        "SQLITE_EMPTY",    "SQLITE_SCHEMA",    "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
        "SQLITE_MISMATCH", "SQLITE_MISUSE",    "SQLITE_NOLFS",    "SQLITE_AUTH",
        "SQLITE_FORMAT",   "SQLITE_RANGE",
    };
    if (code >= 0 && code < static_cast<int>(sizeof kPrimaryNames / sizeof kPrimaryNames[0])) {
        return kPrimaryNames[code];
    }
    switch (code) {
        case SQLITE_ROW:
            return "SQLITE_ROW";
        case SQLITE_DONE:
            return "SQLITE_DONE";
        case kCppSQLiteError:
            return "CPPSQLITE_ERROR";
        default:
            return "UNKNOWN_ERROR";
    }
}

}  // namespace zirvo
