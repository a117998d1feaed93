#pragma once
// "从地址获取": reads a feed's channel title off the window thread. The button shows "获取中..."
// and is disabled while the fetch runs; the answer comes back to the window thread, where the
// title goes into the title field or "无法获取标题!" is shown.
//
// Threading: Start and the callback run on the window thread; the fetch runs on a pool thread
// and is aborted when the owner goes or the program closes.

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QPushButton;

namespace zirvo::gui {

class CTitleFetch : public QObject {
    Q_OBJECT
public:
    CTitleFetch(QPushButton* button, QObject* parent);
    ~CTitleFetch() override;

    // Fetches `url`'s title; `done` gets it (empty when none could be read) on the window thread.
    void Start(const QString& url, std::function<void(const QString&)> done);
    bool Running() const { return m_running; }

signals:
    void Finished();

private:
    QPointer<QPushButton> m_button;
    std::shared_ptr<std::atomic<bool>> m_abort;
    bool m_running = false;
};

// Waits for every title fetch still running (at the end of the program).
void WaitForTitleFetches();

}  // namespace zirvo::gui
