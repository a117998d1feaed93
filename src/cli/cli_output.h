#pragma once
// Records on stdout, everything else on stderr. A record is one line of tab-separated fields,
// or, with --json, one object of the JSON array printed when the command ends (numbers as
// numbers, booleans as booleans, null for "none", and valid UTF-8 always: bytes that are not
// UTF-8 become U+FFFD). Headings, notes, warnings and progress go to stderr in both modes, so
// that stdout holds records alone. A record that reports a failure carries "ok": false and
// "error".
//
// Threading: Write and Note may be called from any thread (receive workers report through
// them); the writer serialises them.

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zirvo::cli {

class FieldValue {
public:
    enum class Kind { Null, Bool, Number, Text, List };

    FieldValue(std::nullptr_t) {}
    FieldValue(bool value) : m_kind(Kind::Bool), m_number(value ? 1 : 0) {}
    FieldValue(int value) : m_kind(Kind::Number), m_number(value) {}
    FieldValue(long value) : m_kind(Kind::Number), m_number(value) {}
    FieldValue(long long value) : m_kind(Kind::Number), m_number(value) {}
    FieldValue(unsigned long value)
        : m_kind(Kind::Number), m_number(static_cast<long long>(value)) {}
    FieldValue(const char* text) : m_kind(Kind::Text), m_text(text) {}
    FieldValue(std::string text) : m_kind(Kind::Text), m_text(std::move(text)) {}
    FieldValue(std::vector<std::string> list) : m_kind(Kind::List), m_list(std::move(list)) {}

    Kind GetKind() const { return m_kind; }
    long long Number() const { return m_number; }
    const std::string& Text() const { return m_text; }
    const std::vector<std::string>& List() const { return m_list; }
    // The field as the tab-separated form shows it.
    std::string Plain() const;

private:
    Kind m_kind = Kind::Null;
    long long m_number = 0;
    std::string m_text;
    std::vector<std::string> m_list;
};

using Record = std::vector<std::pair<std::string, FieldValue>>;

// null for 0 ("no id"), else the number.
FieldValue IdOrNull(int id);

class CRecordWriter {
public:
    explicit CRecordWriter(bool json) : m_json(json) {}
    ~CRecordWriter();
    CRecordWriter(const CRecordWriter&) = delete;
    CRecordWriter& operator=(const CRecordWriter&) = delete;

    bool Json() const { return m_json; }
    // Writes (or, in JSON mode, collects) one record.
    void Write(const Record& record);
    // A line for people, on stderr.
    void Note(const std::string& line);
    // "zirvo-cli: warning: TEXT" on stderr.
    void Warn(const std::string& text);
    // Text printed as it is on stdout: the readable form of one record (show).
    void Raw(const std::string& text);
    // Prints the collected JSON array now (also done by the destructor).
    void Flush();

private:
    bool m_json;
    bool m_flushed = false;
    std::mutex m_mutex;
    std::vector<Record> m_records;
};

// The JSON text of one record (an object), valid UTF-8.
std::string RecordJson(const Record& record);

}  // namespace zirvo::cli
