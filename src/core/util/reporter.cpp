#include "core/util/reporter.h"

#include <cstdio>

namespace zirvo {

CStderrReporter::CStderrReporter(std::string programName) : m_programName(std::move(programName)) {}

void CStderrReporter::ShowErrorMessage(const ErrorMessage& message) {
    std::lock_guard lock(m_mutex);
    std::string line = m_programName + ": [" + std::to_string(message.number) + "]";
    if (!message.summary.empty()) {
        line += " " + message.summary;
    }
    if (!message.description.empty()) {
        line += (message.summary.empty() ? " " : ": ") + message.description;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

void CStderrReporter::ShowMessageBox(const std::string& text) {
    std::lock_guard lock(m_mutex);
    std::fprintf(stderr, "%s: %s\n", m_programName.c_str(), text.c_str());
}

void CRecordingReporter::ShowErrorMessage(const ErrorMessage& message) {
    std::lock_guard lock(m_mutex);
    m_errors.push_back(message);
}

void CRecordingReporter::ShowMessageBox(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back(text);
}

std::vector<ErrorMessage> CRecordingReporter::ErrorMessages() const {
    std::lock_guard lock(m_mutex);
    return m_errors;
}

std::vector<std::string> CRecordingReporter::MessageBoxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::vector<int> CRecordingReporter::Numbers() const {
    std::lock_guard lock(m_mutex);
    std::vector<int> numbers;
    for (const auto& e : m_errors) {
        numbers.push_back(e.number);
    }
    return numbers;
}

void CRecordingReporter::Clear() {
    std::lock_guard lock(m_mutex);
    m_errors.clear();
    m_boxes.clear();
}

}  // namespace zirvo
