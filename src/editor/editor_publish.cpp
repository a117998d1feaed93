// The editor's saves and publishes: the document collected from the window goes into the
// article store on the window thread (one row) or to the server on a worker.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <thread>

#include "core/accounts/account_endpoint.h"
#include "core/articles/blog_store.h"
#include "core/blogapi/blogger_client.h"
#include "core/db/sqlite_exception.h"
#include "core/integration/window_message.h"
#include "core/publishing/multi_publish.h"
#include "core/publishing/publish_jobs.h"
#include "core/publishing/remote_edit.h"
#include "editor/editor_frame.h"
#include "editor/extended_options.h"
#include "editor/header_bar.h"
#include "gui/common/system_browser.h"
#include "gui/library/account_settings_sheet.h"
#include "gui/library/multi_publish_dialog.h"
#include "gui/library/publish_observer_adapter.h"

namespace zirvo::editor {

namespace {

// The wait of a job before its call, as every publishing job waits.
constexpr auto kJobStartDelay = std::chrono::milliseconds(200);

gui::LibraryContext LibraryContextOf(const EditorContext& context) {
    auto post = context.postToMainWindow;
    return gui::LibraryContext{context.root,
                               context.config,
                               context.messages,
                               context.registry,
                               context.http,
                               context.store,
                               [post](int number, qint64 wParam, qint64 lParam) {
                                   if (post) {
                                       post(number, wParam, lParam);
                                   }
                               },
                               context.caFile};
}

}  // namespace

void CEditorFrame::Collect(std::function<void(const BlogPost&)> next, int command) {
    m_busy = true;
    UpdateCommands();
    m_view->GetContent([this, next = std::move(next), command](std::optional<QString> content) {
        m_busy = false;
        if (!content) {
            Say(QString::fromUtf8(kTextGetContentFailed));
            Finished(command, false);
            return;
        }
        CollectInput input;
        input.content = content->toStdString();
        input.title = m_header->Title();
        input.category = m_header->CategoryBox()->currentText().toStdString();
        input.extended = m_extended->Values();
        BlogPost document = m_document;
        std::string refusal;
        if (!CollectDocument(m_state, input, document, refusal)) {
            Say(QString::fromStdString(refusal));
            Finished(command, false);
            return;
        }
        m_document = document;
        if (m_state.flavour != kApiBlogger) {
            // The title as it will be stored: a cut one is seen at once.
            m_header->TitleBox()->setText(QString::fromStdString(m_document.title));
        }
        next(m_document);
    });
}

void CEditorFrame::SaveDraft() {
    Collect(
        [this](const BlogPost& document) {
            bool ok = false;
            try {
                ok = m_context.store.AddArticleWithGuid(
                    kBlogFolderDrafts, m_task.account, document.serverId, document.title,
                    document.category, document.description, document.pubDate);
            } catch (const CppSQLite3Exception& e) {
                Say(QStringLiteral("保存草稿失败: ") + QString::fromStdString(e.ErrorMessage()));
            }
            if (ok) {
                m_localId = std::to_string(m_context.store.LastInsertId());
                NotifyMainWindow(kBlogFolderDrafts);
                m_state.hasLocalRow = true;
                m_view->MarkSaved();
                m_status->setText(QStringLiteral("已保存到草稿箱"));
            }
            Finished(kCmdSaveDraft, ok);
        },
        kCmdSaveDraft);
}

void CEditorFrame::SaveEdits() {
    Collect(
        [this](const BlogPost& document) {
            if (!SaveEditsWritesRow(m_state)) {
                Finished(kCmdSaveEdits, false);
                return;
            }
            const bool ok =
                m_context.store.UpdateArticleText(std::atoi(m_localId.c_str()), document.title,
                                                  document.category, document.description);
            if (ok) {
                m_state.hasLocalRow = true;
                m_view->MarkSaved();
                m_status->setText(QStringLiteral("修改已保存"));
            } else {
                Say(QStringLiteral("保存失败: ") +
                    QString::fromStdString(m_context.store.GetLastError()));
            }
            Finished(kCmdSaveEdits, ok);
        },
        kCmdSaveEdits);
}

void CEditorFrame::Publish() {
    Collect(
        [this](const BlogPost& document) {
            if (PublishEditsServerPost(m_state.taskKind)) {
                PublishEdit(document);
            } else {
                PublishNew(document);
            }
        },
        kCmdPublish);
}

void CEditorFrame::PublishNew(const BlogPost& document) {
    auto postId = std::make_shared<std::string>();
    // Only values reach the worker: the environment's references are to objects that outlive
    // the window's workers (they are joined first), and those used there are worker-safe.
    PublishEnvironment environment{m_context.store,      m_context.registry, m_context.config,
                                   m_context.Services(), *m_observer,        m_context.caFile};
    const std::string account = m_task.account;
    RunJob(
        QString::fromUtf8(kStatusPublishing),
        [environment, account, document, postId] {
            std::this_thread::sleep_for(kJobStartDelay);
            std::unique_ptr<CBloggerClient> client = MakeAccountClient(environment, account);
            return client && client->NewPost(document, *postId) ? 1 : 0;
        },
        [this, postId](int result) {
            if (result != 1) {
                Finished(kCmdPublish, false);
                return;
            }
            Say(QStringLiteral("发送成功!\n文章编号: ") + QString::fromStdString(*postId));
            m_document.serverId = *postId;
            CBlogStore& store = m_context.store;
            // After the server took the post, a failing store stays silent: the flags stay.
            if (m_state.hasLocalRow) {
                const int id = std::atoi(m_localId.c_str());
                if (store.UpdateArticleText(id, m_document.title, m_document.category,
                                            m_document.description) &&
                    store.SetArticleFolderAndGuid(id, kBlogFolderPublished, *postId)) {
                    NotifyMainWindow(kBlogFolderPublished);
                    NotifyMainWindow(kBlogFolderDrafts);
                }
            } else {
                bool added = false;
                try {
                    added = store.AddArticleWithGuid(kBlogFolderPublished, m_task.account, *postId,
                                                     m_document.title, m_document.category,
                                                     m_document.description, m_document.pubDate);
                } catch (const CppSQLite3Exception&) {
                    added = false;
                }
                if (added) {
                    m_localId = std::to_string(store.LastInsertId());
                    NotifyMainWindow(kBlogFolderPublished);
                    m_state.hasLocalRow = true;
                }
            }
            m_state.published = true;
            m_header->ExtendedButton()->setEnabled(false);
            m_extended->hide();
            m_view->MarkSaved();
            m_status->setText(QStringLiteral("已发布, 文章编号 ") +
                              QString::fromStdString(*postId));
            Finished(kCmdPublish, true);
        });
}

void CEditorFrame::PublishEdit(const BlogPost& document) {
    std::string serverId;
    const int id = std::atoi(m_localId.c_str());
    if (!m_context.store.GetArticleGuid(id, serverId)) {
        Say(QString::fromStdString(m_context.store.GetLastError()));
        Finished(kCmdPublish, false);
        return;
    }
    if (serverId.empty()) {
        Say(QString::fromUtf8(kTextNoServerId));
        Finished(kCmdPublish, false);
        return;
    }
    PublishEnvironment environment{m_context.store,      m_context.registry, m_context.config,
                                   m_context.Services(), *m_observer,        m_context.caFile};
    const std::string account = m_task.account;
    RunJob(
        QString::fromUtf8(kStatusEditing),
        [environment, account, document, serverId] {
            std::this_thread::sleep_for(kJobStartDelay);
            std::unique_ptr<CBloggerClient> client = MakeAccountClient(environment, account);
            int accepted = 0;
            if (!client || !client->EditPost(serverId, document.title, document.category,
                                             document.description, accepted)) {
                return 0;
            }
            // A server that answers false kept its copy: that is no success.
            if (!accepted) {
                environment.client.messages.ShowMessageBox(kTextServerKeptText);
                return 0;
            }
            environment.client.messages.ShowMessageBox(kTextEdited);
            return 1;
        },
        [this, id](int result) {
            if (result != 1) {
                Finished(kCmdPublish, false);
                return;
            }
            if (m_context.store.UpdateArticleText(id, m_document.title, m_document.category,
                                                  m_document.description)) {
                m_view->MarkSaved();
            }
            m_state.published = true;
            m_status->setText(QStringLiteral("服务器上的日志已经修改"));
            Finished(kCmdPublish, true);
        });
}

void CEditorFrame::PublishSeveral() {
    Collect(
        [this](const BlogPost& document) {
            MultiPublishRequest request;
            request.sourceAccount = m_task.account;
            request.sourceFolder = kBlogFolderDrafts;
            request.sourceHasLocalRow = m_state.hasLocalRow;
            request.articleId = m_state.hasLocalRow ? std::atoi(m_localId.c_str()) : 0;
            request.post = document;
            std::vector<MultiPublishRow> rows;
            if (!BuildMultiPublishRows(
                    m_context.registry, m_task.account,
                    [this](const std::string& name) { return m_verified.count(name) != 0; },
                    rows)) {
                Finished(kCmdPublishSeveral, false);
                return;
            }
            // The accounts the task names (all of them for a task from the main program).
            for (const MultiPublishRow& row : rows) {
                for (const TaskAccount& named : m_task.accounts) {
                    if (named.name == row.account) {
                        request.rows.push_back(row);
                        break;
                    }
                }
            }
            if (m_multiDialog) {
                m_multiDialog->close();
            }
            auto* dialog = new gui::CMultiPublishDialog(LibraryContextOf(m_context), *m_jobs,
                                                        std::move(request), this);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            m_multiDialog = dialog;
            dialog->show();
            Finished(kCmdPublishSeveral, true);
        },
        kCmdPublishSeveral);
}

void CEditorFrame::OpenAccountSettings() {
    gui::CAccountSettingsSheet sheet(LibraryContextOf(m_context), m_task.account, AccountTreeCode(),
                                     this);
    if (!sheet.Loaded()) {
        return;
    }
    sheet.exec();
    // The main program re-reads the account's article style.
    m_context.Post(kMsgArticleStyleChanged, 0, 0);
    std::string flavour;
    if (!sheet.Deleted() &&
        m_context.registry.ReadAccountValue(m_task.account, "blogapitype", flavour)) {
        m_state.flavour = flavour;
    }
    UpdateCommands();
}

void CEditorFrame::OpenMyBlog() {
    std::string address;
    if (!m_context.registry.ReadAccountValue(m_task.account, "blogurl", address)) {
        return;
    }
    gui::OpenInSystemBrowser(QUrl(QString::fromStdString(address)), this);
}

}  // namespace zirvo::editor
