// The blog library's context menus and the article and folder commands behind them.

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <QUrl>
#include <algorithm>

#include "core/accounts/account_rules.h"
#include "core/articles/blog_store.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/editorlink/editor_program.h"
#include "core/publishing/article_backup.h"
#include "core/publishing/article_operations.h"
#include "core/publishing/publish_jobs.h"
#include "gui/library/blog_article_model.h"
#include "gui/library/blog_article_page.h"
#include "gui/library/blog_tree_widget.h"
#include "gui/library/ebook_launcher.h"
#include "gui/library/folder_chooser_dialog.h"
#include "gui/library/library_controller.h"
#include "gui/library/multi_publish_dialog.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const char kServerDeleteOne[] = "注意：您要删除的是服务器上的内容!\n确定要删除这篇日志吗?";
const char kServerDeleteSeveral[] = "注意：您要删除的是服务器上的内容!\n确定要删除这些日志吗?";

}  // namespace

void CLibraryController::RunInBackground(std::function<BackgroundResult(CBlogStore&)> work,
                                         std::function<void(const BackgroundResult&)> done) {
    const std::string root = m_context.root.Dir();
    auto finish = [this, done](const BackgroundResult& result) {
        QMetaObject::invokeMethod(
            this,
            [this, done, result] {
                if (!m_shutdown) {
                    done(result);
                }
                emit BackgroundDone();
            },
            Qt::QueuedConnection);
    };
    const bool started = m_background.Start(
        [root, work, finish] {
            CBlogStore store(root);
            if (!store.Open()) {
                finish({false, store.GetLastError()});
                return;
            }
            finish(work(store));
        },
        [finish](const std::string& what) {
            finish({false, what});
        });
    if (!started) {
        done({false, "正在关闭, 操作没有进行"});
    }
}

// ---- tree menus ------------------------------------------------------------------------------

QMenu* CLibraryController::BuildTreeMenu(int code, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const int folder = TreeCodeFolder(code);
    switch (folder) {
        case kTreeAccountNode:
            menu->setObjectName(QStringLiteral("PopMenuAccount"));
            connect(menu->addAction(QStringLiteral("账户设置(&A)...")), &QAction::triggered, this,
                    [this, code] { OpenAccountSettings(code); });
            break;
        case kTreeReceived:
        case kTreePublished:
        case kTreeDrafts:
        case kTreeRecycleBin:
            menu->setObjectName(folder == kTreeReceived ? QStringLiteral("PopMenuRecentPosts")
                                : folder == kTreeDrafts ? QStringLiteral("PopMenuDraft")
                                                        : QStringLiteral("PopMenuFolder"));
            connect(menu->addAction(folder == kTreeReceived ? QStringLiteral("清空文章(&C)")
                                                            : QStringLiteral("清空文章(&C)...")),
                    &QAction::triggered, this, [this, code] { ClearFolder(code); });
            connect(menu->addAction(QStringLiteral("导出为XML日志(&E)...")), &QAction::triggered,
                    this, [this, code] { ExportFolder(code); });
            connect(menu->addAction(QStringLiteral("制作CHM电子书(&Z)...")), &QAction::triggered,
                    this, [this, code] { MakeEbook(code); });
            if (folder == kTreeDrafts) {
                connect(menu->addAction(QStringLiteral("导入日志(&A)...")), &QAction::triggered,
                        this, [this, code] { ImportIntoDrafts(code); });
            }
            break;
        case kTreeMyBlog:
            menu->setObjectName(QStringLiteral("PopMenuMyBlog"));
            connect(menu->addAction(QStringLiteral("在浏览器中打开我的博客(&B)")),
                    &QAction::triggered, this, [this, code] {
                        const size_t index = static_cast<size_t>(TreeCodeAccountIndex(code));
                        if (index < m_accounts.size()) {
                            QDesktopServices::openUrl(
                                QUrl(Q(MyBlogAddress(m_accounts[index].blogUrl))));
                        }
                    });
            break;
        default:
            break;
    }
    return menu;
}

void CLibraryController::ShowTreeMenu(int code, const QPoint& globalPos) {
    // A protected account's folders are not touched before its password was given.
    if (!PassLocalLogin(AccountAt(TreeCodeAccountIndex(code)))) {
        return;
    }
    QMenu* menu = BuildTreeMenu(code, m_tree);
    menu->exec(globalPos);
    menu->deleteLater();
}

// ---- list menus ------------------------------------------------------------------------------

QMenu* CLibraryController::BuildListMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const std::vector<int> ids = SelectedIds();
    const int folder = m_model->Folder();
    if (ids.empty() || !IsBlogFolder(folder)) {
        return menu;
    }
    const bool several = ids.size() > 1;
    const bool onServer = folder == kBlogFolderReceived || folder == kBlogFolderPublished;
    auto add = [menu](const QString& text, const char* name) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QAction* edit = nullptr;
    if (!(several && !onServer)) {
        edit = add(QStringLiteral("编辑(&E)..."), "articleEdit");
        if (several) {
            edit->setEnabled(false);
            edit->setToolTip(QStringLiteral("一次只能编辑一篇日志"));
        } else if (EditorProgram().empty()) {
            edit->setEnabled(false);
            edit->setToolTip(QString::fromUtf8(kTextEditorMissing));
        } else {
            connect(edit, &QAction::triggered, this, [this] { EditSelected(); });
        }
    }
    if (onServer) {
        menu->setObjectName(QStringLiteral("ReportMenu"));
        connect(add(QStringLiteral("从服务器删除(&S)"), "articleDeleteFromServer"),
                &QAction::triggered, this, &CLibraryController::DeleteSelectedFromServer);
    } else if (several) {
        menu->setObjectName(QStringLiteral("ReportMutiSelMenu"));
        connect(add(QStringLiteral("发布这些日志(&P)"), "articlePublishSeveral"),
                &QAction::triggered, this, &CLibraryController::PublishSelected);
    } else {
        menu->setObjectName(QStringLiteral("ReportMenu2"));
        connect(add(QStringLiteral("发布这篇日志(&P)"), "articlePublish"), &QAction::triggered,
                this, &CLibraryController::PublishSelected);
        connect(add(QStringLiteral("发布到多个博客(&U)..."), "articlePublishMulti"),
                &QAction::triggered, this, [this] { PublishToSeveral(); });
    }
    connect(add(QStringLiteral("复制到(&C)..."), "articleCopy"), &QAction::triggered, this,
            [this] { TransferSelected(false); });
    QAction* move = add(QStringLiteral("转移到(&M)..."), "articleMove");
    connect(move, &QAction::triggered, this, [this] { TransferSelected(true); });
    if (folder == kBlogFolderReceived) {
        move->setEnabled(false);
    }
    if (edit != nullptr && several) {
        edit->setEnabled(false);
    }
    QString deleteText = QStringLiteral("删除(&D)");
    if (several && !onServer) {
        deleteText = QStringLiteral("删除这些日志(&D)");
    } else if (!several && folder == kBlogFolderRecycleBin) {
        deleteText = QStringLiteral("彻底删除");
    }
    connect(add(deleteText, "articleDelete"), &QAction::triggered, this,
            &CLibraryController::DeleteSelectedLocally);
    connect(add(QStringLiteral("导出XML(&T)..."), "articleExport"), &QAction::triggered, this,
            &CLibraryController::ExportSelected);
    menu->setToolTipsVisible(true);
    return menu;
}

void CLibraryController::ShowListMenu(const QPoint& globalPos) {
    if (SelectedIds().empty()) {
        return;
    }
    QMenu* menu = BuildListMenu(m_list);
    menu->exec(globalPos);
    menu->deleteLater();
}

// ---- article commands ------------------------------------------------------------------------

void CLibraryController::DeleteSelectedLocally() {
    const std::vector<int> ids = SelectedIds();
    const std::string account = m_model->Account();
    const int folder = m_model->Folder();
    if (ids.empty() || account.empty()) {
        return;
    }
    const std::vector<int> failed = DeleteArticlesLocally(m_context.store, account, folder, ids);
    m_model->Reload();
    RecountFolder(account, folder);
    if (folder != kBlogFolderRecycleBin) {
        RecountFolder(account, kBlogFolderRecycleBin);
    }
    if (!failed.empty()) {
        emit StatusText(QStringLiteral("%1 篇日志没有删除: %2")
                            .arg(failed.size())
                            .arg(Q(m_context.store.GetLastError())));
    }
}

void CLibraryController::TransferSelected(bool move) {
    const std::vector<int> ids = SelectedIds();
    const std::string account = m_model->Account();
    const int folder = m_model->Folder();
    if (ids.empty() || account.empty() || (move && folder == kBlogFolderReceived)) {
        return;
    }
    CFolderChooserDialog chooser(m_context.store, m_context.messages, m_accounts, account, folder,
                                 m_window);
    if (chooser.exec() != QDialog::Accepted) {
        return;
    }
    std::string error;
    const int done =
        TransferArticles(m_context.store, move ? TransferKind::kMove : TransferKind::kCopy, folder,
                         ids, chooser.TargetAccount(), chooser.TargetFolder(), error);
    RecountFolder(chooser.TargetAccount(), chooser.TargetFolder());
    if (move) {
        m_model->Reload();
        RecountFolder(account, folder);
    }
    if (done < static_cast<int>(ids.size()) && !error.empty()) {
        Say(error);
    }
}

void CLibraryController::PublishSelected() {
    const std::vector<int> ids = SelectedIds();
    const std::string account = m_model->Account();
    const auto folder = static_cast<BlogFolder>(m_model->Folder());
    if (ids.empty() || account.empty()) {
        return;
    }
    if (ids.size() == 1) {
        m_jobs->StartPublishArticle(account, folder, ids.front());
    } else {
        m_jobs->StartPublishArticles(account, folder, ids);
    }
}

CMultiPublishDialog* CLibraryController::PublishToSeveral() {
    const std::vector<int> ids = SelectedIds();
    const std::string account = m_model->Account();
    const int folder = m_model->Folder();
    if (ids.size() != 1 || account.empty() ||
        (folder != kBlogFolderDrafts && folder != kBlogFolderRecycleBin)) {
        return nullptr;
    }
    BlogArticle article;
    if (!m_context.store.GetArticle(ids.front(), article)) {
        Say(m_context.store.GetLastError());
        return nullptr;
    }
    MultiPublishRequest request;
    request.sourceAccount = account;
    request.sourceFolder = static_cast<BlogFolder>(folder);
    request.articleId = ids.front();
    request.post = PostFromArticle(article);
    if (!BuildMultiPublishRows(
            m_context.registry, account, [this](const std::string& name) { return Verified(name); },
            request.rows)) {
        return nullptr;
    }
    if (m_multiDialog) {
        m_multiDialog->close();
    }
    auto* dialog = new CMultiPublishDialog(m_context, *m_jobs, std::move(request), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_multiDialog = dialog;
    dialog->show();
    return dialog;
}

void CLibraryController::DeleteSelectedFromServer() {
    const std::vector<int> ids = SelectedIds();
    const std::string account = m_model->Account();
    const auto folder = static_cast<BlogFolder>(m_model->Folder());
    if (ids.empty() || account.empty()) {
        return;
    }
    const auto answer = QMessageBox::question(
        m_window, QStringLiteral("删除确认"),
        QString::fromUtf8(ids.size() == 1 ? kServerDeleteOne : kServerDeleteSeveral),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    if (ids.size() == 1) {
        std::string guid;
        if (!m_context.store.GetArticleGuid(ids.front(), guid)) {
            Say(m_context.store.GetLastError());
            return;
        }
        m_jobs->StartDeleteFromServer(account, folder, ids.front(), guid);
    } else {
        m_jobs->StartDeleteArticlesFromServer(account, folder, ids);
    }
}

// ---- folder commands and backup files --------------------------------------------------------

void CLibraryController::ClearFolder(int code) {
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    const int folder = TreeCodeFolder(code);
    if (account.empty() || !IsBlogFolder(folder)) {
        return;
    }
    const auto answer =
        QMessageBox::question(m_window, QStringLiteral("确认"), Q(ClearFolderQuestion(folder)),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    emit StatusText(QStringLiteral("正在清空..."));
    RunInBackground(
        [account, folder](CBlogStore& store) {
            const bool ok = store.ClearFolder(folder, account);
            return BackgroundResult{ok, ok ? std::string() : store.GetLastError()};
        },
        [this, account, folder](const BackgroundResult& result) {
            RecountFolder(account, folder);
            if (m_model->Account() == account && m_model->Folder() == folder) {
                m_model->Reload();
                m_page->ShowBlank();
            }
            emit StatusText(QString());
            if (!result.ok) {
                Say(result.text);
            }
        });
}

void CLibraryController::MakeEbook(int code) {
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    const int folder = TreeCodeFolder(code);
    if (!account.empty() && IsBlogFolder(folder)) {
        m_ebook->OpenForBlogFolder(account, folder);
    }
}

void CLibraryController::ExportFolder(int code) {
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    const int folder = TreeCodeFolder(code);
    if (account.empty() || !IsBlogFolder(folder)) {
        return;
    }
    int count = 0;
    m_context.store.CountArticles(folder, account, count);
    if (count == 0) {
        Say(kTextNoArticlesToExport);
        return;
    }
    QString path = m_fileChooser(true, Q(DefaultBackupFileName()));
    if (!path.isEmpty() && !path.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".xml");
    }
    if (path.isEmpty()) {
        return;
    }
    emit StatusText(QStringLiteral("正在导出..."));
    const std::string target = path.toStdString();
    RunInBackground(
        [account, folder, target](CBlogStore& store) {
            BlogArticleList articles;
            std::string error;
            if (!store.ListArticles(folder, account, articles, 9999, 0)) {
                return BackgroundResult{false, store.GetLastError()};
            }
            if (articles.empty()) {
                return BackgroundResult{false, kTextNoArticlesToExport};
            }
            if (!WriteArticleBackup(target, articles, error)) {
                return BackgroundResult{false, error};
            }
            return BackgroundResult{true, ExportedMessage(static_cast<int>(articles.size()))};
        },
        [this](const BackgroundResult& result) {
            emit StatusText(QString());
            Say(result.text);
        });
}

void CLibraryController::ExportSelected() {
    const std::vector<int> ids = SelectedIds();
    if (ids.empty()) {
        Say(kTextNoArticlesToExport);
        return;
    }
    QString path = m_fileChooser(true, Q(DefaultBackupFileName()));
    if (!path.isEmpty() && !path.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".xml");
    }
    if (path.isEmpty()) {
        return;
    }
    const std::string target = path.toStdString();
    RunInBackground(
        [ids, target](CBlogStore& store) {
            BlogArticleList articles;
            for (int id : ids) {
                BlogArticle article;
                if (!store.GetArticle(id, article)) {
                    return BackgroundResult{false, store.GetLastError()};
                }
                articles.push_back(std::move(article));
            }
            std::string error;
            if (!WriteArticleBackup(target, articles, error)) {
                return BackgroundResult{false, error};
            }
            return BackgroundResult{true, ExportedMessage(static_cast<int>(articles.size()))};
        },
        [this](const BackgroundResult& result) { Say(result.text); });
}

void CLibraryController::ImportIntoDrafts(int code) {
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    if (account.empty() || !PassLocalLogin(account)) {
        return;
    }
    const QString path = m_fileChooser(false, QString());
    if (path.isEmpty()) {
        return;
    }
    emit StatusText(QStringLiteral("正在导入..."));
    const std::string source = path.toStdString();
    RunInBackground(
        [account, source](CBlogStore& store) {
            int count = 0;
            std::string error;
            if (!ImportArticleBackup(store, account, source, count, error)) {
                return BackgroundResult{false, error};
            }
            return BackgroundResult{true, ImportedMessage(count)};
        },
        [this, account](const BackgroundResult& result) {
            emit StatusText(QString());
            RecountFolder(account, kBlogFolderDrafts);
            if (m_model->Account() == account && m_model->Folder() == kBlogFolderDrafts) {
                m_model->Reload();
            }
            Say(result.text);
        });
}

}  // namespace zirvo::gui
