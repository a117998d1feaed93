#pragma once
// The small modeless progress window of one publishing job: a running animation and the job's
// status text ("传输进度" until the job sets one). It closes when the job ends; the user cannot
// close it under a running job.
//
// Threading: window thread.

#include <QDialog>
#include <memory>

namespace Ui {
class CPublishProgressWindow;
}

namespace zirvo::gui {

class CPublishProgressWindow : public QDialog {
    Q_OBJECT

public:
    explicit CPublishProgressWindow(QWidget* parent = nullptr);
    ~CPublishProgressWindow() override;

    void SetStatus(const QString& text);
    QString Status() const;
    // The job has ended: the window goes.
    void Finish();

    void reject() override;

private:
    std::unique_ptr<Ui::CPublishProgressWindow> m_ui;
    bool m_finished = false;
};

}  // namespace zirvo::gui
