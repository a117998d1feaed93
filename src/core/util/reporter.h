#pragma once
// How the core reaches the user. The core never shows anything itself: each front end
// implements IMessageReporter (the GUI with dialogs on the window thread, zirvo-cli on stderr,
// tests by recording) and hands it to the objects that may need to speak.
//
// Threading: implementations must accept calls from any thread. A GUI implementation called
// from a worker blocks the worker until the user has closed the dialog, as the worker expects.

#include <mutex>
#include <string>
#include <vector>

namespace zirvo {

// One numbered message as the message dialog ("提示信息") shows it. `pos` is the place of the
// fault: 0 local, 1 server side, 2 network, -1 when unknown (the number has no catalogue entry).
struct ErrorMessage {
    int number = 0;
    int pos = -1;
    std::string summary;
    std::string description;
};

class IMessageReporter {
public:
    virtual ~IMessageReporter() = default;
    // The numbered message dialog.
    virtual void ShowErrorMessage(const ErrorMessage& message) = 0;
    // A plain message box with one line of text.
    virtual void ShowMessageBox(const std::string& text) = 0;
};

// Writes each message as one line to stderr: "zirvo: [7001] summary: description".
class CStderrReporter : public IMessageReporter {
public:
    explicit CStderrReporter(std::string programName = "zirvo");
    void ShowErrorMessage(const ErrorMessage& message) override;
    void ShowMessageBox(const std::string& text) override;

private:
    std::string m_programName;
    std::mutex m_mutex;
};

// Keeps every message, for tests and for front ends that show them later.
class CRecordingReporter : public IMessageReporter {
public:
    void ShowErrorMessage(const ErrorMessage& message) override;
    void ShowMessageBox(const std::string& text) override;

    std::vector<ErrorMessage> ErrorMessages() const;
    std::vector<std::string> MessageBoxes() const;
    // Numbers of the error messages in the order they were shown.
    std::vector<int> Numbers() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<ErrorMessage> m_errors;
    std::vector<std::string> m_boxes;
};

}  // namespace zirvo
