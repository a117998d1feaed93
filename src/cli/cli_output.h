#pragma once
// Output that scripts can parse: one record a line with tab-separated fields, or, with --json,
// one JSON array of objects printed when the command ends. Field texts have tabs and line
// breaks turned into blanks in the tab-separated form.

#include <string>
#include <utility>
#include <vector>

namespace zirvo::cli {

using Record = std::vector<std::pair<std::string, std::string>>;

class CRecordWriter {
public:
    explicit CRecordWriter(bool json) : m_json(json) {}
    ~CRecordWriter();
    CRecordWriter(const CRecordWriter&) = delete;
    CRecordWriter& operator=(const CRecordWriter&) = delete;

    bool Json() const { return m_json; }
    // Writes (or, in JSON mode, collects) one record.
    void Write(const Record& record);
    // A human line (progress, summaries): stdout in text mode, stderr in JSON mode so that
    // stdout stays one JSON document.
    void Note(const std::string& line);
    // Prints the collected JSON array now (also done by the destructor).
    void Flush();

private:
    bool m_json;
    bool m_flushed = false;
    std::vector<Record> m_records;
};

std::string JsonEscape(const std::string& text);

}  // namespace zirvo::cli
