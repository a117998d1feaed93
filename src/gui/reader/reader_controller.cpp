#include "gui/reader/reader_controller.h"

#include <QAction>
#include <QTimer>
#include <climits>

#include "core/util/closing_flag.h"
#include "core/views/article_document.h"
#include "core/views/page_settings.h"
#include "gui/common/receive_observer_adapter.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/title_fetch.h"
#include "gui/shell/command_table.h"

namespace zirvo::gui {

namespace {

// What the page pane shows before any list: a short local page through the current skin, so a
// first start is not an empty list over a blank pane.
RssItem WelcomeItem(const QString& dataDir, bool hasChannels) {
    RssItem item;
    item.title = "欢迎使用 Zirvo";
    item.author = "Zirvo";
    const QString steps =
        hasChannels ? QStringLiteral(
                          "<p>在左侧的 <b>RSS订阅</b> 中选择一个频道或目录，它的文章就列在上方；"
                          "选中一篇文章，它就显示在这里。</p>")
                    : QStringLiteral("<p>还没有订阅任何频道。</p>");
    const QString html =
        steps +
        QStringLiteral(
            "<h3>添加频道</h3><p>选择菜单 <b>频道 &gt; 添加订阅</b> (Ctrl+N)，输入频道的地址 "
            "(例如 https://example.org/feed.xml)。频道可以放在目录里：<b>频道 &gt; 新建目录</b> "
            "(Ctrl+Shift+N)。</p>"
            "<h3>导入 OPML</h3><p>别的阅读器导出的 OPML 频道列表可以用命令行导入："
            "<code>zirvo-cli import-opml 文件.opml</code>。</p>"
            "<h3>阅读</h3><p><b>F5</b> 更新所有频道；<b>Ctrl+U</b> 跳到下一篇未读文章；"
            "在文章列表中按<b>空格</b>向下翻页，到文章末尾时跳到下一篇未读文章。</p>"
            "<h3>数据保存在哪里</h3><p>频道列表、文章和设置都保存在数据目录中：<br><code>") +
        dataDir.toHtmlEscaped() + QStringLiteral("</code><br>备份这个目录就备份了全部数据。</p>");
    item.description = html.toStdString();
    return item;
}

}  // namespace

CReaderController::CReaderController(CReaderSession& session, CCommandTable& commands,
                                     QWidget* parentForWidgets)
    : QObject(parentForWidgets),
      m_session(session),
      m_commands(commands),
      m_parentWidget(parentForWidgets) {
    ReceiveHandlers handlers;
    handlers.imageChanged = [this](NodeId node, int image) { OnImageChanged(node, image); };
    handlers.unreadChanged = [this](NodeId node, int unread) { OnUnreadChanged(node, unread); };
    handlers.newItemNotice = [this](NodeId node, int unread) { OnNewItemNotice(node, unread); };
    handlers.refreshList = [this](int feedId) { OnRefreshList(feedId); };
    handlers.statusText = [this](const std::string& text) { QueueReceiveStatus(Q(text)); };
    handlers.channelDone = [this](const ChannelReceiveOutcome& outcome) { OnChannelDone(outcome); };
    m_observer = std::make_unique<CReceiveObserverAdapter>(this, std::move(handlers));
    m_session.EnableReceiving(*m_observer);

    CreateWidgets(parentForWidgets);
    CreateActions();
    CreateSearch();
    LoadViewSettings();
    RebuildTree();
    if (m_tree->topLevelItemCount() > 0) {
        m_tree->scrollToItem(m_tree->topLevelItem(0));
    }
    // The file's `unreadnum` is only kept when the settings ask for it, and another program
    // (zirvo-cli) may have received since: the store is what the list shows, so the tree
    // takes its counts from it, counted by a job (a thousand channels of a big store take a
    // while); the file's counts show until then, and stay after a store failure.
    CChannelTree* tree = &m_session.Tree();
    m_countingAtStart = RunStoreJob(
        QStringLiteral("正在统计未读文章..."),
        [tree](CRssStore& store) {
            JobOutcome outcome;
            outcome.ok = LoadUnreadCountsWith(store, *tree, outcome.error);
            return outcome;
        },
        [this](JobOutcome outcome) {
            m_countingAtStart = false;
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法统计未读文章: ") + Q(outcome.error));
            }
            RefreshAllCounts();
            BuildSearchIndexInBackground();
            if (m_startupReceivePending) {
                m_startupReceivePending = false;
                StartScheduled(zirvo::StartupReceive(m_session.Settings().startupAutoReceive,
                                                     m_session.Settings().autoReceiveType));
            }
        });
    m_refillTimer = new QTimer(this);
    m_refillTimer->setSingleShot(true);
    // Long enough to take a burst of channels of one walk at once, short enough to look live.
    m_refillTimer->setInterval(200);
    connect(m_refillTimer, &QTimer::timeout, this, &CReaderController::RefillShownList);
    // Every repaint of the window costs a frame of its own: a burst of channels finishing
    // together (a walk's, many a second) is drawn as one change of the tree and status bar.
    m_receiveViewTimer = new QTimer(this);
    m_receiveViewTimer->setSingleShot(true);
    m_receiveViewTimer->setInterval(150);
    connect(m_receiveViewTimer, &QTimer::timeout, this, &CReaderController::ApplyReceiveViews);
    ShowWelcome();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("receiveTimer"));
    connect(m_timer, &QTimer::timeout, this, &CReaderController::OnTimerTick);
    const ChannelTreeSettings settings = m_session.Settings();
    m_timerState = ReceiveTimerState{false, settings.autoReceive, settings.autoReceiveType,
                                     settings.autoReceiveTime};
}

CReaderController::~CReaderController() {
    // The workers report to m_observer: they are joined before it goes. The session itself
    // stays open for its owner.
    Shutdown();
}

QWidget* CReaderController::TreeWidget() const {
    return m_tree;
}
QWidget* CReaderController::ListWidget() const {
    return m_list;
}
QWidget* CReaderController::PageWidget() const {
    return m_page;
}

QList<QAction*> CReaderController::PageActions() const {
    return m_page->Actions();
}

QAction* CReaderController::Action(const QString& objectName) const {
    for (const QList<QAction*>& group : {m_treeActions, m_listActions, PageActions()}) {
        for (QAction* action : group) {
            if (action->objectName() == objectName) {
                return action;
            }
        }
    }
    for (int id : m_commands.Ids()) {
        if (m_commands.Action(id)->objectName() == objectName) {
            return m_commands.Action(id);
        }
    }
    return nullptr;
}

void CReaderController::ShowWelcome() {
    bool hasChannels = false;
    for (NodeId id : m_session.Tree().Walk()) {
        const std::optional<ChannelNode> node = m_session.Tree().Node(id);
        if (node && node->IsChannel()) {
            hasChannels = true;
            break;
        }
    }
    m_page->ShowItem(WelcomeItem(Q(m_session.Root().Dir()), hasChannels));
}

bool CReaderController::TimerRunning() const {
    return m_timer->isActive();
}

int CReaderController::TimerPeriodMs() const {
    return m_timer->isActive() ? m_timer->interval() : 0;
}

// ---- building --------------------------------------------------------------------------------

void CReaderController::CreateWidgets(QWidget* parent) {
    m_tree = new CChannelTreeWidget(parent);
    m_tree->setObjectName(QStringLiteral("channelTree"));
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnTreeCurrentChanged(current); });
    connect(m_tree, &CChannelTreeWidget::ContextMenuAt, this, &CReaderController::OnTreeMenu);
    connect(m_tree, &CChannelTreeWidget::NodeDropped, this, &CReaderController::OnNodeDropped);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const NodeId id = m_tree->NodeOf(item);
        const std::optional<ChannelNode> node = m_session.Tree().Node(id);
        if (node && node->IsChannel()) {
            m_session.Receive(id, false, true);
        } else if (item != nullptr) {
            item->setExpanded(!item->isExpanded());
        }
    });
    auto trackExpansion = [this](QTreeWidgetItem* item, bool expanded) {
        if (!m_rebuilding) {
            m_session.Tree().SetExpanded(m_tree->NodeOf(item), expanded);
        }
    };
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [trackExpansion](QTreeWidgetItem* item) { trackExpansion(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [trackExpansion](QTreeWidgetItem* item) { trackExpansion(item, false); });
    connect(m_tree->itemDelegate(), &QAbstractItemDelegate::commitData, this,
            &CReaderController::OnRenameCommitted);

    m_model = new CArticleListModel(this);
    m_list = new CArticleTableView(parent);
    m_list->setObjectName(QStringLiteral("articleList"));
    m_list->SetListModel(m_model);
    connect(m_list, &CArticleTableView::RowPressed, this, &CReaderController::OnRowPressed);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_list->ChangingByMouse() && current.isValid()) {
                    OnCurrentRowChanged(current.row());
                }
            });
    connect(m_list, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenRowLink(index.row()); });
    connect(m_list, &CArticleTableView::OpenRequested, this, &CReaderController::OpenRowLink);
    connect(m_list, &CArticleTableView::PageArticleRequested, this,
            &CReaderController::PageOrNextUnread);
    connect(m_list, &CArticleTableView::ContextMenuAt, this, &CReaderController::OnListMenu);
    connect(m_list, &CArticleTableView::SortRequested, this, &CReaderController::OnSortRequested);

    std::string skin;
    if (m_session.AppConfig().ReadAppValue(kArticleStyleKey, skin) != 1 || skin.empty()) {
        skin = kDefaultSkinName;
    }
    m_page = new CArticlePage(Q(m_session.Root().Dir()), Q(skin), parent);
    m_page->setObjectName(QStringLiteral("articlePage"));
    m_page->SetRemotePictures(ReadShowWebPictures(m_session.AppConfig()));
    connect(m_page, &CArticlePage::Rendered, this, [this](const QString& error) {
        if (!error.isEmpty()) {
            emit StatusText(error);
        }
    });
    // The favourites mode shows its items on the same page: only the list shown drives it.
    connect(m_page, &CArticlePage::PreviousItemRequested, this, [this] {
        if (m_list->isVisible()) {
            m_list->MoveCurrent(-1);
        }
    });
    connect(m_page, &CArticlePage::NextItemRequested, this, [this] {
        if (m_list->isVisible()) {
            m_list->MoveCurrent(1);
        }
    });
    connect(m_page, &CArticlePage::SkinChanged, this, [this] {
        if (m_list->isVisible() && m_list->currentIndex().isValid()) {
            ShowRowItem(m_list->currentIndex().row());
        }
    });
    connect(m_page, &CArticlePage::ModeChanged, this, [this] {
        if (!m_list->isVisible()) {
            return;
        }
        if (m_shownNode != kNoNode && m_page->QuickReading()) {
            ShowNode(m_shownNode, m_page_, false);  // the page needs the bodies
        } else if (m_list->currentIndex().isValid()) {
            ShowRowItem(m_list->currentIndex().row());
        }
    });
}

// ---- messages and the end --------------------------------------------------------------------

void CReaderController::OnWindowMessage(int number, qint64 wParam, qint64 lParam) {
    switch (number) {
        case kMsgNewItemNotice:
            OnNewItemNotice(static_cast<NodeId>(wParam), static_cast<int>(lParam));
            break;
        case kMsgRefreshList:
            OnRefreshList(static_cast<int>(wParam));
            break;
        case kMsgItemReadState:
            if (wParam > 0 && wParam <= INT_MAX) {
                MarkItem(static_cast<int>(wParam), lParam == 1);
            }
            break;
        case kMsgReceiveStatus:
            if (wParam == 0) {
                emit StatusText(QString());
            }
            break;
        case kMsgMarkShownRead:
            if (m_shownNode != kNoNode && m_ownerTag != 0) {
                MarkNodeReadInBackground(m_shownNode, m_shownMaxItemId);
            }
            break;
        default:
            break;
    }
}

void CReaderController::SaveState() {
    m_session.Editor().SaveState();
    m_session.AppConfig().WriteAppValue(kArticleStyleKey, m_page->SkinName().toStdString());
}

void CReaderController::Shutdown() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    SetClosing(true);
    m_timer->stop();
    // Transfers in flight stop at the closing flag; the workers are joined here, while the
    // views they report to still exist.
    m_session.StopReceiving();
    WaitForTitleFetches();
    FinishDeletesAtClose();
    SaveState();
}

}  // namespace zirvo::gui
