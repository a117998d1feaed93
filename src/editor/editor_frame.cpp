#include "editor/editor_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QWebEngineView>
#include <algorithm>
#include <cstdlib>

#include "core/accounts/account_records.h"
#include "core/articles/blog_store.h"
#include "core/db/sqlite_exception.h"
#include "core/feeds/rss_store.h"
#include "core/integration/window_message.h"
#include "core/publishing/publish_jobs.h"
#include "editor/extended_options.h"
#include "editor/header_bar.h"
#include "gui/library/multi_publish_dialog.h"
#include "gui/library/publish_observer_adapter.h"
#include "gui/library/publish_progress_window.h"

namespace zirvo::editor {

namespace {

struct CommandText {
    int id;
    const char* text;
    const char* icon;  // a theme icon name for the tool bar
};

// The menu "日志" in its order; the tool bar shows the same commands.
const CommandText kCommands[] = {
    {kCmdPublish, "发布当前日志(&P)", "mail-send"},
    {kCmdPublishSeveral, "同时发布(&M)...", "mail-forward"},
    {kCmdSaveDraft, "保存为草稿(&D)", "document-save"},
    {kCmdSaveEdits, "保存编辑(&E)", "document-save-as"},
    {kCmdUploadFile, "上传文件(&U)...", "insert-image"},
    {kCmdUpdateCategories, "更新分类(&G)", "view-refresh"},
    {kCmdAccountSettings, "帐户设置(&A)...", "preferences-system"},
    {kCmdClose, "关闭(&C)", "window-close"},
};

// The default size of a window that has no stored rectangle yet.
constexpr int kDefaultWidth = 960;
constexpr int kDefaultHeight = 680;

}  // namespace

CEditorFrame::CEditorFrame(const EditorContext& context, EditorTask task, std::string flavour,
                           std::set<std::string> verified, QWidget* parent)
    : QMainWindow(parent),
      m_context(context),
      m_task(std::move(task)),
      m_verified(std::move(verified)) {
    setObjectName(QStringLiteral("CEditorFrame"));
    m_state.taskKind = m_task.processType;
    m_state.flavour = std::move(flavour);
    m_localId = m_task.index;
    setWindowTitle(QString::fromStdString(EditorWindowTitle(m_task.processType, m_task.account)));

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setChildrenCollapsible(false);
    m_header = new CHeaderBar(m_splitter);
    m_placeholder = new QWidget(m_splitter);
    m_splitter->addWidget(m_header);
    m_splitter->addWidget(m_placeholder);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    // The commands wait for the page (Start).
    m_busy = true;
    m_extended = new CExtendedOptions(this);
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status, 1);

    m_observer = new gui::CPublishObserverAdapter(this);
    m_jobs = std::make_unique<CPublishJobs>(
        PublishEnvironment{m_context.store, m_context.registry, m_context.config,
                           m_context.Services(), *m_observer, m_context.caFile});

    BuildCommands();

    const bool existing =
        m_task.processType >= kTaskEditReceived && m_task.processType <= kTaskEditRecycled;
    m_header->ExtendedButton()->setVisible(!existing);
    if (m_state.flavour == kApiBlogger) {
        m_header->ShowNoTitleOrCategory();
    }
    if (m_state.flavour != kApiMetaWeblog) {
        m_extended->FetchButton()->setEnabled(false);
        m_extended->FetchButton()->setToolTip(
            QStringLiteral("只有 MetaWeblog 类型的博客有系统分类"));
    }
    connect(m_header->ExtendedButton(), &QPushButton::clicked, this, [this] {
        m_extended->show();
        m_extended->raise();
    });
    connect(m_header->MyBlogButton(), &QPushButton::clicked, this, &CEditorFrame::OpenMyBlog);
    connect(m_extended->FetchButton(), &QPushButton::clicked, this,
            &CEditorFrame::FetchSystemCategories);

    // Every stored change of a multi-account publish is told to the main program.
    connect(m_observer, &gui::CPublishObserverAdapter::TreeRecount, this,
            [this](int code, int change) {
                if (code != 0) {
                    m_context.Post(kMsgBlogTreeUpdate, code, change);
                }
            });
    connect(m_observer, &gui::CPublishObserverAdapter::RowStatus, this,
            [this](int jobId, int row, const QString& text) {
                if (m_multiDialog) {
                    m_multiDialog->SetRowStatus(jobId, row, text);
                }
            });
    connect(m_observer, &gui::CPublishObserverAdapter::JobStarted, this,
            [this](int, int kind, const QString&, int) {
                if (kind == static_cast<int>(PublishJobKind::kMultiPublish)) {
                    m_state.published = true;
                    m_header->ExtendedButton()->setEnabled(false);
                    UpdateCommands();
                }
            });
}

CEditorFrame::~CEditorFrame() {
    m_observer->Stop();
    m_jobs->Close();
    m_workers.Close();
}

void CEditorFrame::BuildCommands() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("日志(&L)"));
    QToolBar* bar = addToolBar(QStringLiteral("Standard"));
    bar->setObjectName(QStringLiteral("Standard"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const CommandText& command : kCommands) {
        auto* action = new QAction(QIcon::fromTheme(QString::fromLatin1(command.icon)),
                                   QString::fromUtf8(command.text), this);
        action->setObjectName(QStringLiteral("cmd%1").arg(command.id));
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        m_actions[id] = action;
        if (id == kCmdAccountSettings || id == kCmdClose) {
            menu->addSeparator();
        }
        menu->addAction(action);
        if (id != kCmdClose) {
            bar->addAction(action);
        }
    }
    m_actions[kCmdPublish]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    m_actions[kCmdClose]->setShortcut(QKeySequence::Close);
    // Ctrl+S: whichever save applies now.
    m_saveShortcut = new QAction(QStringLiteral("保存"), this);
    m_saveShortcut->setShortcut(QKeySequence::Save);
    m_saveShortcut->setShortcutContext(Qt::WindowShortcut);
    addAction(m_saveShortcut);
    connect(m_saveShortcut, &QAction::triggered, this, [this] {
        if (const int command = SaveShortcutCommand(m_state); command != 0) {
            Run(command);
        }
    });
    UpdateCommands();
}

void CEditorFrame::UpdateCommands() {
    for (auto& [id, action] : m_actions) {
        const CommandRule rule = EditorCommandRule(id, m_state);
        const bool enabled = rule.enabled && (!m_busy || id == kCmdClose);
        action->setEnabled(enabled);
        QString tip = action->text().remove(QLatin1Char('&'));
        if (!rule.enabled) {
            tip += QStringLiteral(": ") + QString::fromStdString(rule.reason);
        } else if (m_busy) {
            tip += QStringLiteral(": 请等待当前的传输结束");
        }
        action->setToolTip(tip);
    }
    m_saveShortcut->setEnabled(!m_busy && SaveShortcutCommand(m_state) != 0);
}

QAction* CEditorFrame::Action(int command) const {
    auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CEditorFrame::Run(int command) {
    if (m_busy || !EditorCommandRule(command, m_state).enabled) {
        return;
    }
    switch (command) {
        case kCmdPublish:
            Publish();
            break;
        case kCmdSaveDraft:
            SaveDraft();
            break;
        case kCmdSaveEdits:
            SaveEdits();
            break;
        case kCmdPublishSeveral:
            PublishSeveral();
            break;
        case kCmdUploadFile:
            ChooseAndUpload();
            break;
        case kCmdUpdateCategories:
            UpdateCategories();
            break;
        case kCmdAccountSettings:
            OpenAccountSettings();
            break;
        case kCmdClose:
            close();
            break;
        default:
            break;
    }
}

void CEditorFrame::CreateView() {
    m_view = new CEditorHtmlView;
    m_splitter->replaceWidget(1, m_view);
    m_placeholder->deleteLater();
    m_placeholder = nullptr;
    connect(m_view, &CEditorHtmlView::picturesOffered, this, &CEditorFrame::UploadOffered);
    connect(m_view, &CEditorHtmlView::picturesRefused, this, [this](const QStringList& names) {
        m_status->setText(QStringLiteral("没有插入 %1: 不是图片, 或者大于 10 MB")
                              .arg(names.join(QStringLiteral(", "))));
    });
    connect(m_view, &CEditorHtmlView::pageLoaded, this, [this](bool ok) {
        if (!ok) {
            m_status->setText(QStringLiteral("编辑页面没有载入, 请在\"帐户设置\"中检查编辑器页面"));
        }
    });
}

void CEditorFrame::Start() {
    if (m_view != nullptr) {
        return;
    }
    CreateView();
    m_busy = false;
    UpdateCommands();
    LoadDocument();
    ShowEditorPage();
    FillCategoryBox(true);
    FillSystemCategoryBox();
}

void CEditorFrame::LoadDocument() {
    const int kind = m_task.processType;
    if (kind >= kTaskEditReceived && kind <= kTaskEditRecycled) {
        BlogArticle article;
        const int id = std::atoi(m_localId.c_str());
        if (id > 0 && m_context.store.GetArticle(id, article)) {
            m_document = DocumentFromArticle(article);
        } else {
            m_status->setText(QStringLiteral("找不到这篇日志, 编辑器从空白开始"));
        }
    } else if (kind == kTaskFromFeedItem || kind == kTaskFromStagedItem) {
        // The feed store is opened for this one read and closed again.
        CRssStore feeds(m_context.root.Dir());
        RssItem item;
        const int id = std::atoi(m_localId.c_str());
        if (id > 0 && feeds.Open() && feeds.GetItem(id, kind == kTaskFromStagedItem, item)) {
            m_document = DocumentFromFeedItem(item.title, item.link, item.description);
        } else {
            m_status->setText(QStringLiteral("找不到这条新闻, 编辑器从空白开始"));
        }
    }
    if (m_state.flavour != kApiBlogger) {
        m_header->TitleBox()->setText(QString::fromStdString(m_document.title));
    }
}

void CEditorFrame::ShowEditorPage() {
    std::string page;
    std::string input;
    std::string output;
    CAccountRegistry& registry = m_context.registry;
    if (!registry.ReadAccountValue(m_task.account, "editorindex", page) ||
        !registry.ReadAccountValue(m_task.account, "editorinputfun", input) ||
        !registry.ReadAccountValue(m_task.account, "editoroutputfun", output)) {
        return;
    }
    std::replace(page.begin(), page.end(), '\\', '/');
    while (!page.empty() && page.front() == '/') {
        page.erase(page.begin());
    }
    m_view->ShowPage(QString::fromStdString(m_context.root.Path(page)),
                     QString::fromStdString(input), QString::fromStdString(output),
                     QString::fromStdString(m_document.description));
}

void CEditorFrame::ShowAtStoredPlace() {
    EditorWindowPos pos;
    QRect rect;
    if (m_context.registry.ReadEditorWindowPos(m_task.account, pos) && pos.right > pos.left &&
        pos.bottom > pos.top) {
        rect = QRect(QPoint(pos.left, pos.top), QPoint(pos.right - 1, pos.bottom - 1));
    }
    // A rectangle from another screen layout that no screen shows any more is not restored.
    bool visible = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        visible = visible || screen->availableGeometry().intersects(rect);
    }
    if (rect.isValid() && visible) {
        setGeometry(rect);
    } else {
        resize(kDefaultWidth, kDefaultHeight);
    }
    show();
}

void CEditorFrame::closeEvent(QCloseEvent* event) {
    if (m_view == nullptr) {
        event->accept();
        return;
    }
    if (m_busy) {
        event->ignore();
        return;
    }
    if (m_closeApproved || m_state.published || m_state.hasLocalRow) {
        EditorWindowPos pos{x(), y(), x() + width(), y() + height()};
        m_context.registry.WriteEditorWindowPos(m_task.account, pos);
        m_extended->hide();
        event->accept();
        return;
    }
    event->ignore();
    if (m_closeAsked) {
        return;
    }
    m_closeAsked = true;
    m_view->GetContent([this](std::optional<QString> content) {
        m_closeAsked = false;
        const std::string text = content ? content->toStdString() : std::string();
        if (ClosingAsks(m_state, text)) {
            const auto answer = QMessageBox::question(
                this, QStringLiteral("确认"), QString::fromUtf8(kTextCloseUnsaved),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes) {
                return;
            }
        }
        m_closeApproved = true;
        close();
    });
}

void CEditorFrame::RunJob(const QString& status, std::function<int()> work,
                          std::function<void(int)> done) {
    m_busy = true;
    UpdateCommands();
    auto* progress = new gui::CPublishProgressWindow(this);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setWindowModality(Qt::WindowModal);
    progress->SetStatus(status);
    progress->show();
    m_progress = progress;
    auto finish = [this, done = std::move(done)](int result) {
        m_busy = false;
        if (m_progress) {
            m_progress->Finish();
        }
        UpdateCommands();
        done(result);
    };
    auto report = [this, finish](int result) {
        QMetaObject::invokeMethod(
            this, [finish, result] { finish(result); }, Qt::QueuedConnection);
    };
    const bool started = m_workers.Start([work = std::move(work), report] { report(work()); },
                                         [this, report](const std::string& what) {
                                             m_context.messages.ShowMessageBox(what);
                                             report(0);
                                         });
    if (!started) {
        finish(0);
    }
}

void CEditorFrame::NotifyMainWindow(int folder) {
    const int code = NotifyTreeCode(m_task, folder);
    // A stand-alone editor's codes are 0: there is nothing for the main program to recount.
    if (code != 0) {
        m_context.Post(kMsgBlogTreeUpdate, code, 1);
    }
}

void CEditorFrame::Finished(int command, bool ok) {
    UpdateCommands();
    emit CommandFinished(command, ok);
}

void CEditorFrame::Say(const QString& text) {
    m_context.messages.ShowMessageBox(text.toStdString());
}

int CEditorFrame::AccountTreeCode() const {
    for (const TaskAccount& account : m_task.accounts) {
        if (account.name == m_task.account) {
            return account.treeId;
        }
    }
    return 0;
}

}  // namespace zirvo::editor
