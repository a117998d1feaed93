#pragma once
// The core's IMessageReporter for the windows: the numbered message dialog and plain message
// boxes, always shown on the window thread.
//
// Threading: any thread. A call from the window thread shows the dialog at once. A call from a
// worker is queued to the window thread and the worker waits until the user has closed the
// dialog (as a worker expects of SendMessage). Once Shutdown() has run (the close sequence),
// waiting workers are released and later messages go to stderr, so no worker can block the
// join at close.

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "core/util/reporter.h"

class QWidget;

namespace zirvo::gui {

class CQtMessageReporter : public QObject, public IMessageReporter {
    Q_OBJECT

public:
    explicit CQtMessageReporter(QObject* parent = nullptr);

    // The window the dialogs are modal to; may be null.
    void SetParentWindow(QWidget* window);

    void ShowErrorMessage(const ErrorMessage& message) override;
    void ShowMessageBox(const std::string& text) override;

    // Releases every waiting worker and sends later messages to stderr.
    void Shutdown();

signals:
    // Emitted on the window thread just before a dialog or box is shown (tests, status line).
    void MessageShown(const QString& text);

private:
    void Deliver(std::function<void()> show, const std::string& fallbackLine);
    void ShowErrorNow(const ErrorMessage& message);
    void ShowBoxNow(const std::string& text);

    QWidget* m_parentWindow = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_shutdown = false;
};

}  // namespace zirvo::gui
