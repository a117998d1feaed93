#pragma once
// "从地址获取": looks an address up off the window thread (CFeedFetcher::LookUpFeed): a feed gives
// its channel title and home page; a web page the feed it names, or the list of them when it
// names several. The button shows "获取中..." and is disabled while the fetch runs; the answer
// comes back to the window thread.
//
// Threading: Start and the callback run on the window thread; the fetch runs on a pool thread
// and is aborted when the owner goes or the program closes.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class QPushButton;

namespace zirvo::gui {

// What the look-up found, on the window thread.
struct FeedLookupAnswer {
    QString feedUrl;  // the feed to subscribe; empty when a page names several or none
    QString title;    // its channel title, one line; may be empty
    QString homePage;
    QStringList candidateUrls;  // the feeds a page names, when it names several
    QStringList candidateTitles;
};

class CTitleFetch : public QObject {
    Q_OBJECT
public:
    CTitleFetch(QPushButton* button, QObject* parent);
    ~CTitleFetch() override;

    // Looks `url` up; `done` gets the answer on the window thread (all empty when nothing
    // could be read).
    void Start(const QString& url, std::function<void(const FeedLookupAnswer&)> done);
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
