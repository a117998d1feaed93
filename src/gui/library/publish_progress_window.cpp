#include "gui/library/publish_progress_window.h"

#include "ui_publish_progress_window.h"

namespace zirvo::gui {

CPublishProgressWindow::CPublishProgressWindow(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CPublishProgressWindow>()) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    m_ui->statusText->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
}

CPublishProgressWindow::~CPublishProgressWindow() = default;

void CPublishProgressWindow::SetStatus(const QString& text) {
    m_ui->statusText->setText(text);
}

QString CPublishProgressWindow::Status() const {
    return m_ui->statusText->text();
}

void CPublishProgressWindow::Finish() {
    m_finished = true;
    close();
}

void CPublishProgressWindow::reject() {
    // Escape does not hide a running job's window.
    if (m_finished) {
        QDialog::reject();
    }
}

}  // namespace zirvo::gui
