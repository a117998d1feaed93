#pragma once
// The editor's main window: one article of one account. The header bar (title, category) sits
// over the account's editing page; the menu "日志" and the tool bar carry the commands, each
// disabled with its reason while it does not apply. Saving writes the shared article store;
// publishing, category fetches and uploads run on a worker while the small progress window
// stays modal; the main program hears of every stored change (message 2166).
//
// The text typed is never lost on a failure: nothing is written back into the page unless a
// picture is appended.
//
// Threading: window thread. Workers get copies of what they need and report back through
// queued calls; they are joined when the window goes.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "core/blogapi/blog_post.h"
#include "core/editorlink/editor_document.h"
#include "core/editorlink/editor_task.h"
#include "core/util/worker_set.h"
#include "editor/editor_context.h"
#include "editor/view/editor_html_view.h"
#include "gui/library/multi_publish_dialog.h"

class QAction;
class QCloseEvent;
class QLabel;
class QSplitter;

namespace zirvo {
class CPublishJobs;
}

namespace zirvo::gui {
class CPublishObserverAdapter;
class CPublishProgressWindow;
}  // namespace zirvo::gui

namespace zirvo::editor {

class CExtendedOptions;
class CHeaderBar;

class CEditorFrame : public QMainWindow {
    Q_OBJECT

public:
    // `verified`: the accounts whose local password was given at start.
    CEditorFrame(const EditorContext& context, EditorTask task, std::string flavour,
                 std::set<std::string> verified = {}, QWidget* parent = nullptr);
    ~CEditorFrame() override;

    // Creates the editing page's view (the web engine starts here, so a window shown before
    // has appeared at once), loads the task's article or feed item into it and fills the
    // category boxes. Call once; until then the commands wait.
    void Start();
    void ShowAtStoredPlace();

    // The commands by id (EditorCommandId); tests and the tool bar.
    QAction* Action(int command) const;
    void Run(int command);
    // The upload of one file (what "上传文件" does after its file dialog).
    void UploadPath(const QString& path);
    // Pictures dropped or pasted into the page.
    void UploadOffered(const QList<OfferedPicture>& pictures);

    const EditorState& State() const { return m_state; }
    const std::string& LocalId() const { return m_localId; }
    const BlogPost& Document() const { return m_document; }
    CHeaderBar* HeaderBar() const { return m_header; }
    CExtendedOptions* ExtendedOptionsWindow() const { return m_extended; }
    // Null until Start().
    CEditorHtmlView* View() const { return m_view; }
    // A worker runs (its progress window is up).
    bool Busy() const { return m_busy; }

signals:
    // A save, publish, fetch or upload has finished (whatever its outcome); tests wait for it.
    void CommandFinished(int command, bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildCommands();
    void CreateView();
    void UpdateCommands();
    void LoadDocument();
    void ShowEditorPage();

    // Collects the document (editor_document.h) and hands it on; says why not otherwise.
    void Collect(std::function<void(const BlogPost&)> next, int command);
    void SaveDraft();
    void SaveEdits();
    void Publish();
    void PublishNew(const BlogPost& document);
    void PublishEdit(const BlogPost& document);
    void PublishSeveral();
    void OpenAccountSettings();
    void OpenMyBlog();

    // Categories and pictures.
    void FillCategoryBox(bool firstTime);
    void UpdateCategories();
    void FillSystemCategoryBox();
    void FetchSystemCategories();
    void ChooseAndUpload();
    void UploadNext();
    void InsertPicture(const std::string& url);

    // Runs `work` on a worker while the progress window shows `status`; `done` gets its result
    // on the window thread.
    void RunJob(const QString& status, std::function<int()> work, std::function<void(int)> done);
    void NotifyMainWindow(int folder);
    void Finished(int command, bool ok);
    void Say(const QString& text);
    int AccountTreeCode() const;

    EditorContext m_context;
    EditorTask m_task;
    EditorState m_state;
    std::string m_localId;
    BlogPost m_document;
    std::set<std::string> m_verified;

    CHeaderBar* m_header = nullptr;
    CExtendedOptions* m_extended = nullptr;
    CEditorHtmlView* m_view = nullptr;
    QLabel* m_status = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_placeholder = nullptr;
    std::map<int, QAction*> m_actions;
    QAction* m_saveShortcut = nullptr;
    QPointer<gui::CPublishProgressWindow> m_progress;
    QPointer<gui::CMultiPublishDialog> m_multiDialog;
    gui::CPublishObserverAdapter* m_observer = nullptr;
    std::unique_ptr<CPublishJobs> m_jobs;
    std::deque<OfferedPicture> m_pending;  // offered pictures waiting for their upload
    bool m_busy = false;
    bool m_closeApproved = false;
    bool m_closeAsked = false;
    CWorkerSet m_workers;  // last: joined before the members above go
};

}  // namespace zirvo::editor
