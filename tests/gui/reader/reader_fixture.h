#pragma once
// What the reader's window tests share: a seeded temporary data root with a subscription file
// of the test's own (channels on the loopback feed server), a reader session and controller over
// it, answering modal dialogs, reading the OPML file, and a recorder for the links the views
// hand to the system's browser (so no browser is ever started).

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/session/reader_session.h"
#include "core/util/reporter.h"
#include "gui/reader/reader_controller.h"
#include "support/feed_server.h"
#include "support/temp_dir.h"

class QWidget;

namespace zirvo::test {

// Receives QDesktopServices::openUrl for http and https.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    CUrlRecorder();
    ~CUrlRecorder() override;
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

// One outline of the test's subscription file.
struct TestOutline {
    std::string title;
    std::string xmlUrl;  // empty: a folder
    std::vector<TestOutline> children;
};

class CReaderFixture {
public:
    CReaderFixture();
    ~CReaderFixture();

    CFeedServer& Server() { return *m_server; }
    TempDir& Root() { return m_root; }
    // Writes Storage/rssreader.opml; call before Open.
    void WriteOpml(const std::vector<TestOutline>& top);
    // Sets one element of config/appConfig.xml below /app/rss/.
    void SetRssSetting(const std::string& key, const std::string& value);
    // Opens the session and builds the controller with its widgets in a shown window.
    void Open();
    void Close();

    CReaderSession& Session() { return *m_session; }
    gui::CReaderController& Controller() { return *m_controller; }
    QWidget* Window() { return m_window.get(); }
    CRecordingReporter& Reporter() { return m_reporter; }

    NodeId Find(const std::string& captionPath);
    // The count drawn behind a node's caption in the tree control.
    int ShownUnread(NodeId id);
    // Receives a node and waits until its workers are done and their reports handled.
    void ReceiveAndWait(NodeId id);
    std::string OpmlText();
    // Captions of the OPML file in document order, with their depth ("  " per level).
    std::vector<std::string> OpmlOutline();

private:
    TempDir m_root{"gui-reader"};
    std::unique_ptr<CFeedServer> m_server;
    CRecordingReporter m_reporter;
    std::unique_ptr<CReaderSession> m_session;
    std::unique_ptr<QWidget> m_window;
    gui::CReaderController* m_controller = nullptr;
};

// Runs `answer` on the next modal dialog once it is shown (a QTimer polls for it).
void AnswerNextModal(std::function<void(QWidget*)> answer);
// Lets queued calls (worker reports) run.
void Pump();

}  // namespace zirvo::test
