#pragma once
// The blog library of the main window: the "博客" pane (blog tree), the article list and the
// article page of the blog mode, their context menus, the account windows, and the publishing
// jobs with their progress windows. A thin layer over the core: the registry, the article
// store, the article operations and the jobs decide; this class shows and forwards.
//
// Messages: the main window hands over 2166 (blog tree update) and 2167 (article template
// changed); the controller sends 2166 and 2168 to the main window through the context's
// sendMessage, from the account windows and (through the observer adapter) from the jobs.
//
// Background work (export, import, clearing a folder) runs on the controller's tracked workers,
// each with a connection of its own; Shutdown() joins them and the jobs.
//
// Threading: window thread.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/accounts/account_records.h"
#include "core/util/worker_set.h"
#include "gui/library/library_context.h"

class QAction;
class QMenu;
class QStackedWidget;
class QTableView;
class QWidget;

namespace zirvo {
class CBlogStore;
class CPublishJobs;
}  // namespace zirvo

namespace zirvo::gui {

class CBlogArticleModel;
class CBlogArticlePage;
class CBlogTreeWidget;
class CMultiPublishDialog;
class CPublishObserverAdapter;
class CPublishProgressWindow;

// The commands of the blog mode the controller carries out (the system's ids).
struct LibraryCommands {
    QAction* getPosts = nullptr;         // 300
    QAction* composePost = nullptr;      // 302
    QAction* importPosts = nullptr;      // 304
    QAction* accountSettings = nullptr;  // 306
    QAction* newAccount = nullptr;       // 32850
};

class CEbookLauncher;

class CLibraryController : public QObject {
    Q_OBJECT

public:
    CLibraryController(const LibraryContext& context, QWidget* window, QObject* parent = nullptr);
    ~CLibraryController() override;

    QWidget* TreeWidget() const;
    QWidget* ListWidget() const;
    QWidget* PageWidget() const;
    CBlogTreeWidget* Tree() const { return m_tree; }
    QTableView* List() const { return m_list; }
    CBlogArticleModel* Model() const { return m_model; }
    CBlogArticlePage* Page() const { return m_page; }
    CPublishJobs& Jobs() { return *m_jobs; }

    // Takes the main window's actions of the blog commands and enables those it carries out.
    void BindCommands(const LibraryCommands& commands);

    const std::string& CurrentAccount() const { return m_currentAccount; }
    int CurrentFolder() const { return m_currentFolder; }
    // Selects a tree item as a click does (local login check included); false when the
    // account stayed closed.
    bool SelectCode(int code);
    // The account names in registry order.
    std::vector<std::string> AccountNames() const;
    // Whether the account passed its local login check in this run.
    bool Verified(const std::string& account) const;

    // The context menus (built for the clicked item or the list's selection; tests use them).
    QMenu* BuildTreeMenu(int code, QWidget* parent);
    QMenu* BuildListMenu(QWidget* parent);

    // The article commands on the list's selection.
    void DeleteSelectedLocally();
    void TransferSelected(bool move);
    void PublishSelected();
    // "发布到多个博客(&U)...": the dialog for the selected article (non-modal; it stays while
    // its jobs run). Null when the article cannot be loaded or the accounts cannot be read.
    CMultiPublishDialog* PublishToSeveral();
    void DeleteSelectedFromServer();
    void ExportSelected();
    // The editor program: "撰写日志" on the current account, "编辑(&E)..." (or a double click) on
    // the selected article, "发布到博客(&P)..." on a feed item (the account chosen in a dialog).
    // Each writes the editor's task and starts the editor; false when nothing started (said).
    bool ComposePost();
    bool EditSelected();
    bool PublishFeedItem(int itemId);
    // Where the editor program is; empty when there is none (the commands are then disabled).
    static std::string EditorProgram();
    // Folder commands on the tree item `code`.
    void ClearFolder(int code);
    void ExportFolder(int code);
    // "制作CHM电子书(&Z)..." on a folder of an account.
    void MakeEbook(int code);
    void ImportIntoDrafts(int code);

    // Asks for the file of an export (`save`) or an import; empty when the user cancelled. The
    // file dialogs by default; tests answer without them.
    using FileChooser = std::function<QString(bool save, const QString& proposal)>;
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }

    // Background work still running, and progress windows of running jobs (tests wait for them).
    size_t BackgroundRunning() const { return m_background.Running(); }
    size_t ProgressWindows() const { return m_progress.size(); }

public slots:
    void OnBlogTreeUpdate(qint64 wParam, qint64 lParam);
    void OnArticleStyleChanged();
    void RunNewAccountWizard();
    void OpenAccountSettings(int code);
    // A job's calls were redirected to `address`: asks (once per account and address in this
    // run, without blocking the jobs) whether the account should take the new address.
    void OfferMovedEndpoint(const QString& account, const QString& address);
    // "BLOG设置": the accounts with the wizard and their settings sheets, and diagnostic mode.
    void OpenBlogSettings();
    void StartReceive(int count);
    // The close sequence: no job or background work reports any more; all are joined.
    void Shutdown();

signals:
    void StatusText(const QString& text);
    // A background file operation ended (tests).
    void BackgroundDone();

private:
    void BuildTree();
    QWidget* BuildEmptyPane(QWidget* parent);
    // The tree, or the hint with its 新建账户 button while there is no account.
    void ShowTreeOrHint();
    std::vector<int> CountFolders(const std::string& account);
    int CodeOfAccount(const std::string& account, int folder) const;
    std::string AccountAt(int index) const;
    bool PassLocalLogin(const std::string& account);
    // Starts the editor on the task just written; says why when it cannot.
    bool StartEditor(bool taskWritten);
    void OnTreeClicked(int code);
    void ShowCurrentArticle();
    void RefreshCommands();
    void Recount(int code);
    void RecountFolder(const std::string& account, int folder);
    std::vector<int> SelectedIds() const;
    void ShowTreeMenu(int code, const QPoint& globalPos);
    void ShowListMenu(const QPoint& globalPos);
    void OpenMyBlog(int code);
    void UpdateGetPostsMenu();
    void OnJobStarted(int jobId, int kind, const QString& account, int row);
    void OnJobEnded(int jobId, int result);
    // What a background operation tells the window: whether it succeeded, and the message.
    struct BackgroundResult {
        bool ok = false;
        std::string text;
    };
    // Runs `work` on a worker with its own store; `done` on the window thread with its result.
    void RunInBackground(std::function<BackgroundResult(CBlogStore&)> work,
                         std::function<void(const BackgroundResult&)> done);
    void Say(const std::string& text);

    LibraryContext m_context;
    QWidget* m_window;
    QStackedWidget* m_treePane = nullptr;
    CBlogTreeWidget* m_tree = nullptr;
    QTableView* m_list = nullptr;
    CBlogArticleModel* m_model = nullptr;
    CBlogArticlePage* m_page = nullptr;
    CPublishObserverAdapter* m_observer = nullptr;
    CEbookLauncher* m_ebook = nullptr;
    LibraryCommands m_commands;
    QMenu* m_getPostsMenu = nullptr;
    FileChooser m_fileChooser;

    std::vector<AccountListEntry> m_accounts;
    std::set<std::string> m_verified;
    std::set<std::string> m_movedEndpointsOffered;
    std::string m_currentAccount;
    int m_currentFolder = 0;
    QString m_skinName;
    std::map<int, QPointer<CPublishProgressWindow>> m_progress;
    QPointer<CMultiPublishDialog> m_multiDialog;
    bool m_shutdown = false;

    std::unique_ptr<CPublishJobs> m_jobs;
    CWorkerSet m_background;  // last: joined before the members above go
};

}  // namespace zirvo::gui
