#include "gui/common/qt_message_reporter.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <cstdio>
#include <memory>

#include "gui/common/error_msg_dialog.h"

namespace zirvo::gui {

CQtMessageReporter::CQtMessageReporter(QObject* parent) : QObject(parent) {}

void CQtMessageReporter::SetParentWindow(QWidget* window) {
    m_parentWindow = window;
}

void CQtMessageReporter::ShowErrorMessage(const ErrorMessage& message) {
    Deliver(
        [this, message] { ShowErrorNow(message); },
        "[" + std::to_string(message.number) + "] " + message.summary + ": " + message.description);
}

void CQtMessageReporter::ShowMessageBox(const std::string& text) {
    Deliver([this, text] { ShowBoxNow(text); }, text);
}

void CQtMessageReporter::Shutdown() {
    std::lock_guard lock(m_mutex);
    m_shutdown = true;
    m_done.notify_all();
}

void CQtMessageReporter::Deliver(std::function<void()> show, const std::string& fallbackLine) {
    {
        std::lock_guard lock(m_mutex);
        if (m_shutdown) {
            std::fprintf(stderr, "zirvo: %s\n", fallbackLine.c_str());
            return;
        }
    }
    if (QThread::currentThread() == thread()) {
        show();
        return;
    }
    // A worker: queue the dialog and wait for it, or for the close sequence to release us.
    auto finished = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, show = std::move(show), finished] {
            bool skip = false;
            {
                std::lock_guard lock(m_mutex);
                skip = m_shutdown;
            }
            if (!skip) {
                show();
            }
            std::lock_guard lock(m_mutex);
            *finished = true;
            m_done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this, &finished] { return *finished || m_shutdown; });
}

void CQtMessageReporter::ShowErrorNow(const ErrorMessage& message) {
    emit MessageShown(QString::fromStdString(message.summary));
    CErrorMsgDialog dialog(message, m_parentWindow);
    dialog.exec();
}

void CQtMessageReporter::ShowBoxNow(const std::string& text) {
    emit MessageShown(QString::fromStdString(text));
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok, m_parentWindow);
    box.exec();
}

}  // namespace zirvo::gui
