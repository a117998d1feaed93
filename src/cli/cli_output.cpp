#include "cli_output.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/util/strings.h"

namespace zirvo::cli {
namespace {

nlohmann::ordered_json ToJson(const Record& record) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [key, value] : record) {
        switch (value.GetKind()) {
            case FieldValue::Kind::Null:
                object[key] = nullptr;
                break;
            case FieldValue::Kind::Bool:
                object[key] = value.Number() != 0;
                break;
            case FieldValue::Kind::Number:
                object[key] = value.Number();
                break;
            case FieldValue::Kind::Text:
                object[key] = value.Text();
                break;
            case FieldValue::Kind::List:
                object[key] = value.List();
                break;
        }
    }
    return object;
}

std::string Dump(const nlohmann::ordered_json& json) {
    // Stored texts may hold bytes that are not UTF-8 (a feed's broken encoding): the document
    // must still parse, so they become U+FFFD.
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

std::string FieldValue::Plain() const {
    switch (m_kind) {
        case Kind::Null:
            return std::string();
        case Kind::Bool:
            return m_number ? "true" : "false";
        case Kind::Number:
            return std::to_string(m_number);
        case Kind::Text:
            return m_text;
        case Kind::List:
            return Join(m_list, ",");
    }
    return std::string();
}

FieldValue IdOrNull(int id) {
    return id == 0 ? FieldValue(nullptr) : FieldValue(id);
}

std::string RecordJson(const Record& record) {
    return Dump(ToJson(record));
}

CRecordWriter::~CRecordWriter() {
    Flush();
}

void CRecordWriter::Write(const Record& record) {
    std::lock_guard lock(m_mutex);
    if (m_json) {
        m_records.push_back(record);
        return;
    }
    std::string line;
    for (size_t i = 0; i < record.size(); ++i) {
        std::string field = record[i].second.Plain();
        for (char& c : field) {
            if (c == '\t' || c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        if (i > 0) {
            line += '\t';
        }
        line += field;
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void CRecordWriter::Note(const std::string& line) {
    std::lock_guard lock(m_mutex);
    std::fprintf(stderr, "%s\n", line.c_str());
}

void CRecordWriter::Warn(const std::string& text) {
    std::lock_guard lock(m_mutex);
    std::fprintf(stderr, "zirvo-cli: warning: %s\n", text.c_str());
}

void CRecordWriter::Raw(const std::string& text) {
    std::lock_guard lock(m_mutex);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void CRecordWriter::Flush() {
    std::lock_guard lock(m_mutex);
    if (!m_json || m_flushed) {
        return;
    }
    m_flushed = true;
    std::string out = "[";
    for (size_t r = 0; r < m_records.size(); ++r) {
        out += (r ? ",\n " : "") + Dump(ToJson(m_records[r]));
    }
    out += "]\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace zirvo::cli
