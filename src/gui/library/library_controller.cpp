// The blog library: tree, list, page, the window messages and the local login check.

#include "gui/library/library_controller.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/accounts/account_endpoint.h"
#include "core/accounts/account_messages.h"
#include "core/accounts/account_rules.h"
#include "core/accounts/local_login.h"
#include "core/articles/blog_store.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/editorlink/editor_program.h"
#include "core/integration/window_message.h"
#include "core/publishing/publish_jobs.h"
#include "core/views/blog_article_document.h"
#include "gui/library/account_settings_sheet.h"
#include "gui/library/account_wizard.h"
#include "gui/library/blog_article_model.h"
#include "gui/library/blog_article_page.h"
#include "gui/library/blog_settings_dialog.h"
#include "gui/library/blog_tree_widget.h"
#include "gui/library/ebook_launcher.h"
#include "gui/library/local_login_dialog.h"
#include "gui/library/multi_publish_dialog.h"
#include "gui/library/publish_observer_adapter.h"
#include "gui/library/publish_progress_window.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr qint64 kAccountAdded = 99997;
constexpr qint64 kAccountChanged = 99998;
constexpr qint64 kAccountDeleted = 99999;

const char kNeedAccount[] = "请先在左侧的博客树中选择一个账户";

}  // namespace

CLibraryController::CLibraryController(const LibraryContext& context, QWidget* window,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_window(window) {
    m_ebook = new CEbookLauncher(m_context.root, nullptr, window);
    m_treePane = new QStackedWidget(window);
    m_treePane->setObjectName(QStringLiteral("blogTreePane"));
    m_tree = new CBlogTreeWidget(m_treePane);
    m_treePane->addWidget(m_tree);
    m_treePane->addWidget(BuildEmptyPane(m_treePane));
    m_model = new CBlogArticleModel(m_context.store, this);
    m_list = new QTableView(window);
    m_list->setObjectName(QStringLiteral("blogList"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setAlternatingRowColors(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    m_list->horizontalHeader()->setSectionResizeMode(CBlogArticleModel::kTitle,
                                                     QHeaderView::Stretch);
    m_list->horizontalHeader()->resizeSection(CBlogArticleModel::kCategory, 120);
    m_list->horizontalHeader()->resizeSection(CBlogArticleModel::kDate, 150);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_page = new CBlogArticlePage(Q(m_context.root.Dir()), window);
    m_fileChooser = [window](bool save, const QString& proposal) {
        return save ? QFileDialog::getSaveFileName(window, QStringLiteral("导出为XML日志"),
                                                   proposal, QStringLiteral("*.xml"))
                    : QFileDialog::getOpenFileName(window, QStringLiteral("导入日志"), QString(),
                                                   QStringLiteral("*.xml"));
    };

    m_observer = new CPublishObserverAdapter(this);
    m_jobs = std::make_unique<CPublishJobs>(
        PublishEnvironment{m_context.store, m_context.registry, m_context.config,
                           m_context.Services(), *m_observer, m_context.caFile});

    connect(m_tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { OnTreeClicked(CBlogTreeWidget::CodeOf(item)); });
    connect(m_tree, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { OnTreeClicked(CBlogTreeWidget::CodeOf(item)); });
    connect(m_tree, &CBlogTreeWidget::ExpandedChanged, this, [this](int position, int expanded) {
        m_context.registry.SetAccountExpanded(position, expanded);
    });
    connect(m_tree, &CBlogTreeWidget::ContextMenuRequested, this,
            &CLibraryController::ShowTreeMenu);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowCurrentArticle(); });
    connect(m_list, &QAbstractItemView::activated, this, [this] { EditSelected(); });
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowListMenu(m_list->viewport()->mapToGlobal(pos)); });

    connect(m_observer, &CPublishObserverAdapter::JobStarted, this,
            &CLibraryController::OnJobStarted);
    connect(m_observer, &CPublishObserverAdapter::JobStatus, this,
            [this](int jobId, const QString& text) {
                auto it = m_progress.find(jobId);
                if (it != m_progress.end() && it->second) {
                    it->second->SetStatus(text);
                }
                emit StatusText(text);
            });
    connect(m_observer, &CPublishObserverAdapter::TreeRecount, this,
            [this](int code, int change) { m_context.Send(kMsgBlogTreeUpdate, code, change); });
    connect(m_observer, &CPublishObserverAdapter::JobNotice, this,
            [this](int notice) { m_context.Send(kMsgJobFinished, 0, notice); });
    connect(m_observer, &CPublishObserverAdapter::ArticlesChanged, this,
            [this](const QString& account, int folder) {
                if (account.toStdString() == m_model->Account() && folder == m_model->Folder()) {
                    m_model->Reload();
                }
            });
    connect(m_observer, &CPublishObserverAdapter::JobEnded, this, &CLibraryController::OnJobEnded);
    connect(m_observer, &CPublishObserverAdapter::EndpointMoved, this,
            &CLibraryController::OfferMovedEndpoint);
    connect(m_observer, &CPublishObserverAdapter::RowStatus, this,
            [this](int jobId, int row, const QString& text) {
                if (m_multiDialog) {
                    m_multiDialog->SetRowStatus(jobId, row, text);
                }
            });

    BuildTree();
}

CLibraryController::~CLibraryController() {
    Shutdown();
}

QWidget* CLibraryController::TreeWidget() const {
    return m_treePane;
}

QWidget* CLibraryController::BuildEmptyPane(QWidget* parent) {
    // Without an account the pane would be a blank box and every blog command disabled; it says
    // where to begin instead.
    auto* pane = new QWidget(parent);
    pane->setObjectName(QStringLiteral("noAccountsPane"));
    auto* layout = new QVBoxLayout(pane);
    auto* text = new QLabel(QStringLiteral("还没有博客账户。\n\n新建一个账户后, 这里会列出它的"
                                           "已收日志、已发日志、草稿箱和垃圾箱。"),
                            pane);
    text->setWordWrap(true);
    auto* button = new QPushButton(QStringLiteral("新建账户(&N)..."), pane);
    button->setObjectName(QStringLiteral("noAccountsNewButton"));
    connect(button, &QPushButton::clicked, this, &CLibraryController::RunNewAccountWizard);
    layout->addWidget(text);
    layout->addWidget(button, 0, Qt::AlignLeft);
    layout->addStretch();
    return pane;
}

void CLibraryController::ShowTreeOrHint() {
    m_treePane->setCurrentIndex(m_accounts.empty() ? 1 : 0);
}

QWidget* CLibraryController::ListWidget() const {
    return m_list;
}

QWidget* CLibraryController::PageWidget() const {
    return m_page;
}

void CLibraryController::Shutdown() {
    if (m_shutdown) {
        return;
    }
    m_shutdown = true;
    m_observer->Stop();
    m_jobs->Close();
    m_background.Close();
    for (auto& [id, window] : m_progress) {
        if (window) {
            window->Finish();
        }
    }
    m_progress.clear();
}

void CLibraryController::Say(const std::string& text) {
    m_context.messages.ShowMessageBox(text);
}

std::vector<int> CLibraryController::CountFolders(const std::string& account) {
    std::vector<int> counts;
    for (int folder = kBlogFolderReceived; folder <= kBlogFolderRecycleBin; ++folder) {
        int count = 0;
        m_context.store.CountArticles(folder, account, count);
        counts.push_back(count);
    }
    return counts;
}

void CLibraryController::BuildTree() {
    m_accounts.clear();
    m_context.registry.ListAccounts(m_accounts);
    std::vector<CBlogTreeWidget::FolderCounts> counts;
    m_context.store.BeginTransaction();
    for (const AccountListEntry& account : m_accounts) {
        counts.push_back(CountFolders(account.name));
    }
    m_context.store.CommitTransaction();
    m_tree->Build(m_accounts, counts);
    ShowTreeOrHint();
}

std::string CLibraryController::AccountAt(int index) const {
    return index >= 0 && index < static_cast<int>(m_accounts.size())
               ? m_accounts[static_cast<size_t>(index)].name
               : std::string();
}

int CLibraryController::CodeOfAccount(const std::string& account, int folder) const {
    for (size_t i = 0; i < m_accounts.size(); ++i) {
        if (m_accounts[i].name == account) {
            return BlogTreeCode(static_cast<int>(i), folder);
        }
    }
    return 0;
}

std::vector<std::string> CLibraryController::AccountNames() const {
    std::vector<std::string> names;
    for (const AccountListEntry& account : m_accounts) {
        names.push_back(account.name);
    }
    return names;
}

bool CLibraryController::Verified(const std::string& account) const {
    return m_verified.count(account) != 0;
}

void CLibraryController::OnBlogTreeUpdate(qint64 wParam, qint64 lParam) {
    if (m_shutdown) {
        return;
    }
    const int code = static_cast<int>(wParam);
    if (lParam == kAccountAdded) {
        std::vector<AccountListEntry> accounts;
        if (m_context.registry.ListAccounts(accounts) && accounts.size() > m_accounts.size()) {
            const int index = static_cast<int>(accounts.size()) - 1;
            m_accounts = accounts;
            m_tree->AppendAccount(index, accounts.back(), CountFolders(accounts.back().name));
        }
    } else if (lParam == kAccountChanged) {
        const std::string name = AccountAt(TreeCodeAccountIndex(code));
        std::string description;
        if (!name.empty() &&
            m_context.registry.ReadAccountValue(name, "description", description)) {
            m_accounts[static_cast<size_t>(TreeCodeAccountIndex(code))].description = description;
            m_tree->SetAccountText(code, Q(description));
        }
    } else if (lParam == kAccountDeleted) {
        const std::string name = AccountAt(TreeCodeAccountIndex(code));
        if (name.empty()) {
            return;
        }
        m_tree->RemoveAccount(code);
        m_accounts.erase(m_accounts.begin() + TreeCodeAccountIndex(code));
        m_verified.erase(name);
        if (m_currentAccount == name) {
            m_currentAccount.clear();
            m_currentFolder = 0;
            m_model->Clear();
            m_page->ShowBlank();
        }
    } else {
        Recount(code);
    }
    ShowTreeOrHint();
    RefreshCommands();
}

void CLibraryController::Recount(int code) {
    const int folder = TreeCodeFolder(code);
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    if (account.empty() || !IsBlogFolder(folder) || code % 10 != 0) {
        return;
    }
    int count = 0;
    m_context.store.CountArticles(folder, account, count);
    m_tree->SetCount(code, count);
    // Whoever changed the folder (the editor, a job), a list showing it shows the change.
    if (m_model->Account() == account && m_model->Folder() == folder && m_model->Total() != count) {
        m_model->Reload();
    }
}

void CLibraryController::RecountFolder(const std::string& account, int folder) {
    const int code = CodeOfAccount(account, folder);
    if (code != 0) {
        Recount(code);
    }
}

bool CLibraryController::PassLocalLogin(const std::string& account) {
    if (Verified(account)) {
        return true;
    }
    LoginSettings settings;
    if (!m_context.registry.ReadLoginSettings(account, settings)) {
        return false;
    }
    if (!NeedsLocalLogin(settings)) {
        m_verified.insert(account);
        return true;
    }
    std::string entered;
    if (!AskLocalPassword(m_context.messages, Q(account), m_window, entered)) {
        return false;
    }
    const LoginCheck check = VerifyLocalLogin(settings, entered);
    if (check.verdict != LoginVerdict::kPass) {
        Say(check.message);
        return false;
    }
    m_verified.insert(account);
    return true;
}

bool CLibraryController::SelectCode(int code) {
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    if (account.empty()) {
        return false;
    }
    if (QTreeWidgetItem* item = m_tree->ItemOf(code)) {
        m_tree->setCurrentItem(item);
    }
    if (!PassLocalLogin(account)) {
        return false;
    }
    m_currentAccount = account;
    const int folder = TreeCodeFolder(code);
    if (IsBlogFolder(folder)) {
        m_currentFolder = folder;
        std::string skin;
        m_skinName = m_context.registry.ReadAccountValue(account, "logxsl", skin)
                         ? Q(skin)
                         : QString::fromUtf8(kDefaultLogSkinName);
        m_model->Show(account, folder);
        m_page->ShowBlank();
        if (!m_model->Error().empty()) {
            emit StatusText(Q(m_model->Error()));
        }
    } else if (folder == kTreeMyBlog) {
        OpenMyBlog(code);
    }
    RefreshCommands();
    return true;
}

void CLibraryController::OnTreeClicked(int code) {
    SelectCode(code);
}

void CLibraryController::OpenMyBlog(int code) {
    const size_t index = static_cast<size_t>(TreeCodeAccountIndex(code));
    if (index >= m_accounts.size()) {
        return;
    }
    m_page->OpenUrl(Q(MyBlogAddress(m_accounts[index].blogUrl)));
}

void CLibraryController::OnArticleStyleChanged() {
    if (m_currentAccount.empty()) {
        return;
    }
    std::string skin;
    if (m_context.registry.ReadAccountValue(m_currentAccount, "logxsl", skin)) {
        m_skinName = Q(skin);
    }
    ShowCurrentArticle();
}

void CLibraryController::ShowCurrentArticle() {
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    if (!current.isValid()) {
        return;
    }
    BlogArticle article;
    if (!m_context.store.GetArticle(m_model->IdAt(current.row()), article)) {
        return;
    }
    m_page->ShowArticle(article, m_skinName);
}

std::vector<int> CLibraryController::SelectedIds() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    std::vector<int> ids;
    for (int row : rows) {
        ids.push_back(m_model->IdAt(row));
    }
    return ids;
}

void CLibraryController::BindCommands(const LibraryCommands& commands) {
    m_commands = commands;
    connect(commands.newAccount, &QAction::triggered, this,
            &CLibraryController::RunNewAccountWizard);
    connect(commands.accountSettings, &QAction::triggered, this,
            [this] { OpenAccountSettings(CodeOfAccount(m_currentAccount, kTreeAccountNode)); });
    connect(commands.importPosts, &QAction::triggered, this,
            [this] { ImportIntoDrafts(CodeOfAccount(m_currentAccount, kTreeDrafts)); });
    connect(commands.getPosts, &QAction::triggered, this, [this] { StartReceive(0); });

    m_getPostsMenu = new QMenu(m_window);
    m_getPostsMenu->setObjectName(QStringLiteral("getPostsMenu"));
    auto* group = new QActionGroup(m_getPostsMenu);
    for (int count : {1, 3, 5, 10, 20, 999}) {
        QAction* action = m_getPostsMenu->addAction(QStringLiteral("%1篇").arg(count));
        action->setCheckable(true);
        action->setData(count);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, count] { StartReceive(count); });
    }
    QAction* custom = m_getPostsMenu->addAction(QStringLiteral("自定义的数量"));
    custom->setCheckable(true);
    custom->setData(0);
    group->addAction(custom);
    connect(custom, &QAction::triggered, this, [this] { StartReceive(0); });
    connect(m_getPostsMenu, &QMenu::aboutToShow, this, &CLibraryController::UpdateGetPostsMenu);
    commands.getPosts->setMenu(m_getPostsMenu);

    connect(commands.composePost, &QAction::triggered, this, [this] { ComposePost(); });
    RefreshCommands();
}

void CLibraryController::UpdateGetPostsMenu() {
    std::string stored;
    int number = 0;
    if (!m_currentAccount.empty() &&
        m_context.registry.ReadAccountValue(m_currentAccount, "getrecentpostsnum", stored)) {
        number = std::atoi(stored.c_str());
    }
    bool matched = false;
    const QList<QAction*> actions = m_getPostsMenu->actions();
    for (QAction* action : actions) {
        const int count = action->data().toInt();
        action->setChecked(count != 0 && count == number);
        matched = matched || (count != 0 && count == number);
    }
    if (!matched && !actions.isEmpty()) {
        actions.back()->setChecked(true);
    }
}

void CLibraryController::RefreshCommands() {
    if (m_commands.getPosts == nullptr) {
        return;
    }
    const bool account = !m_currentAccount.empty();
    const QString why = QString::fromUtf8(kNeedAccount);
    const bool receiving = account && m_jobs->IsReceiving(m_currentAccount);
    m_commands.getPosts->setEnabled(account && !receiving);
    m_commands.getPosts->setToolTip(!account    ? why
                                    : receiving ? QStringLiteral("正在获取日志...")
                                                : QStringLiteral("获取日志"));
    m_getPostsMenu->setEnabled(account && !receiving);
    m_commands.importPosts->setEnabled(account);
    m_commands.importPosts->setToolTip(account ? QStringLiteral("导入日志到草稿箱") : why);
    m_commands.accountSettings->setEnabled(account);
    m_commands.accountSettings->setToolTip(account ? QStringLiteral("账户设置") : why);
    m_commands.newAccount->setEnabled(true);
    const bool editor = !EditorProgram().empty();
    m_commands.composePost->setEnabled(account && editor);
    m_commands.composePost->setToolTip(!account  ? why
                                       : !editor ? QString::fromUtf8(kTextEditorMissing)
                                                 : QStringLiteral("撰写日志"));
}

void CLibraryController::RunNewAccountWizard() {
    CAccountWizard wizard(m_context, m_window);
    wizard.exec();
}

void CLibraryController::OpenAccountSettings(int code) {
    const std::string account = AccountAt(TreeCodeAccountIndex(code));
    if (account.empty() || !PassLocalLogin(account)) {
        return;
    }
    CAccountSettingsSheet sheet(m_context, account, TreeCodeAccountNode(code), m_window);
    if (!sheet.Loaded()) {
        return;
    }
    sheet.exec();
}

void CLibraryController::OfferMovedEndpoint(const QString& account, const QString& address) {
    // Once per account and address in a run: every call of a job (and every job of a
    // multi-publish) may meet the same redirect.
    const QString key = account + QLatin1Char('\n') + address;
    if (!m_movedEndpointsOffered.insert(key.toStdString()).second) {
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("博客服务器已迁移"),
                                QStringLiteral("账户“%1”的博客服务器从新地址回答了:\n%2\n\n"
                                               "要把账户的XML-RPC地址和端口改为这个新地址吗?")
                                    .arg(account, address),
                                QMessageBox::Yes | QMessageBox::No, m_window);
    box->setObjectName(QStringLiteral("movedEndpointQuestion"));
    box->setDefaultButton(QMessageBox::Yes);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Not exec(): the jobs report through the window thread and must not wait for the answer.
    connect(box, &QMessageBox::finished, this, [this, account, address](int answer) {
        if (answer != QMessageBox::Yes) {
            return;
        }
        if (MoveAccountEndpoint(m_context.registry, account.toStdString(), address.toStdString()) !=
            0) {
            emit StatusText(QStringLiteral("账户“%1”的XML-RPC地址已改为 %2").arg(account, address));
        }
    });
    box->open();
}

void CLibraryController::OpenBlogSettings() {
    CBlogSettingsDialog dialog(
        m_context.config, m_context.registry, [this] { RunNewAccountWizard(); },
        [this](const std::string& account) {
            OpenAccountSettings(CodeOfAccount(account, kTreeAccountNode));
        },
        m_window);
    dialog.exec();
}

void CLibraryController::StartReceive(int count) {
    const std::string account = m_currentAccount;
    if (account.empty() || !PassLocalLogin(account)) {
        return;
    }
    if (count > 0) {
        m_jobs->StartReceiveCount(account, count);
    } else {
        m_jobs->StartReceive(account);
    }
    RefreshCommands();
}

void CLibraryController::OnJobStarted(int jobId, int kind, const QString&, int row) {
    if (row < 0) {
        auto* window = new CPublishProgressWindow(m_window);
        window->setObjectName(QStringLiteral("publishProgress%1").arg(jobId));
        window->show();
        m_progress[jobId] = window;
    }
    if (kind == static_cast<int>(PublishJobKind::kReceive)) {
        RefreshCommands();
    }
}

void CLibraryController::OnJobEnded(int jobId, int) {
    auto it = m_progress.find(jobId);
    if (it != m_progress.end()) {
        if (it->second) {
            it->second->Finish();
        }
        m_progress.erase(it);
    }
    RefreshCommands();
}

}  // namespace zirvo::gui
