#include "cli_output.h"

#include <cstdio>

#include "core/util/strings.h"

namespace zirvo::cli {

std::string JsonEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += StrFormat("\\u%04x", c);
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

CRecordWriter::~CRecordWriter() {
    Flush();
}

void CRecordWriter::Write(const Record& record) {
    if (m_json) {
        m_records.push_back(record);
        return;
    }
    std::string line;
    for (size_t i = 0; i < record.size(); ++i) {
        std::string field = record[i].second;
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
}

void CRecordWriter::Note(const std::string& line) {
    std::fprintf(m_json ? stderr : stdout, "%s\n", line.c_str());
    std::fflush(m_json ? stderr : stdout);
}

void CRecordWriter::Flush() {
    if (!m_json || m_flushed) {
        return;
    }
    m_flushed = true;
    std::string out = "[";
    for (size_t r = 0; r < m_records.size(); ++r) {
        out += r ? ",\n {" : "{";
        for (size_t i = 0; i < m_records[r].size(); ++i) {
            if (i) {
                out += ", ";
            }
            out += "\"" + JsonEscape(m_records[r][i].first) + "\": \"" +
                   JsonEscape(m_records[r][i].second) + "\"";
        }
        out += "}";
    }
    out += "]\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace zirvo::cli
