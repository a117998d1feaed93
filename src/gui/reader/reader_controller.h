#pragma once
// The reader's views over the core's reader session: the channel tree, the article list and
// the article page, their commands (one QAction each, shared with the main window's menus and
// tool bars), receiving with its tree images, status text, start-up receive and timer, and the
// window messages of the reader (2169 to 2173).
//
// The main window places TreeWidget(), ListWidget() and PageWidget() in its splitters, puts the
// actions of TreeActions(), ListActions() and PageActions() into its menus, drives the filter
// and paging controls through the slots, shows StatusText and NewItemsNotice, carries out the
// commands asked for by the *Requested signals, and calls Shutdown() when it closes (before the
// session goes). The session belongs to whoever opened it: the controller only stops its
// receive workers (they report to the controller), at Shutdown or at the latest when it goes.
//
// The class is one object in several files by job: reader_controller.cpp (building, window
// messages, the end), reader_actions.cpp (commands and menus), reader_tree.cpp (the channel
// tree and its commands), reader_list.cpp (the article list and its commands),
// reader_receive.cpp (receiving, the start-up receive and the timer), reader_jobs.cpp (work
// on the whole item table, run as jobs of the session, and refilling the shown list) and
// reader_opml.cpp (OPML import and export).
//
// Threading: window thread. Receive workers reach it only through CReceiveObserverAdapter; the
// session's jobs post their outcome (a value) back to it.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/integration/window_message.h"
#include "core/receive/receive_schedule.h"
#include "core/session/reader_session.h"

class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QTreeWidgetItem;
class QWidget;

namespace zirvo::gui {

class CArticleListModel;
class CArticlePage;
class CArticleTableView;
class CCommandTable;
class CChannelTreeWidget;
class CReceiveObserverAdapter;
class CSearchWindow;

class CReaderController : public QObject {
    Q_OBJECT
public:
    // `commands`: the window's command table; the reader carries out its receive-all, add
    // subscription and new folder commands and puts the table's actions into its menus.
    CReaderController(CReaderSession& session, CCommandTable& commands, QWidget* parentForWidgets);
    ~CReaderController() override;

    QWidget* TreeWidget() const;
    QWidget* ListWidget() const;
    QWidget* PageWidget() const;
    QList<QAction*> TreeActions() const { return m_treeActions; }
    QList<QAction*> ListActions() const { return m_listActions; }
    QList<QAction*> PageActions() const;
    // The reader mode's "频道" and "查看" menus of the menu bar.
    QList<QMenu*> MainMenus() const { return {m_channelMainMenu, m_viewMainMenu}; }

    // For tests and the screenshot script.
    CChannelTreeWidget* Tree() const { return m_tree; }
    CArticleTableView* List() const { return m_list; }
    CArticleListModel* ListModel() const { return m_model; }
    CArticlePage* Page() const { return m_page; }
    QAction* Action(const QString& objectName) const;
    NodeId ShownNode() const { return m_shownNode; }
    int CurrentPage() const { return m_page_; }
    int PageCount() const { return m_pageCount; }
    int Filter() const { return m_filter; }
    // The order the store lists the rows in (a header click changes it; newest first at start).
    ItemOrder Order() const { return m_order; }
    bool TimerRunning() const;
    int TimerPeriodMs() const;
    CSearchWindow* SearchWindow() const { return m_searchWindow; }
    // The list shows news search results: its ids name rows of the staging table.
    bool ListFromStaging() const { return m_fromStaging; }
    // Receive reports not drawn yet (they are drawn together, a moment later).
    bool ReceiveViewsPending() const;

public slots:
    void ReceiveAll();
    void StartupReceive();
    void ApplyReceiveSettings();
    void OnWindowMessage(int number, qint64 wParam, qint64 lParam);
    void PreviousPage();
    void NextPage();
    void GoToPage(int page);
    // ItemFilter: 0 all, 1 read, 2 unread, 3 new.
    void SetFilter(int filter);
    // The add wizard, prefilled with `url` and `title` when given.
    void OpenAddSubscription(const QString& url, const QString& title = QString());
    void OpenAddFolderWizard();
    void ShowAllUnread();
    void SaveState();
    void Shutdown();
    // Shows a node's list as if the user had selected it in the tree.
    void SelectNode(int node);
    // "下一未读": the next unread item after the current row, on later pages of the list, then
    // in the next channel with unread items (in tree order, wrapping); shows it and marks it
    // read. Says so in the status text when nothing is unread.
    void NextUnread();
    // Space in the list: pages the article down, and at its end goes to the next unread item.
    void PageOrNextUnread();
    // Rebuilds the tree items from the model and reads the shown list again (after a property
    // sheet, an import or a cleaning).
    void ReloadTree();
    // The property sheet of a channel or a folder, as "属性(&S)..." on it opens it.
    void OpenNodeProperties(int node);
    // The local welcome page (how to add a feed, import OPML, where the data lives) in the
    // page pane, through the current skin; shown before the first list.
    void ShowWelcome();
    // "添加到RSS收藏(&A)..." (Ctrl+D) keeps the list's current item through `keep`, with the
    // table its id names (the staging table for news results); disabled until it is set.
    void SetKeepHandler(std::function<void(int itemId, bool fromStaging)> keep);
    // "搜索(&F)": the search panel in front.
    void OpenSearch();
    // The panel's search (SearchScope, keyword, full text or title only, result count) on a
    // worker; the results replace the list as one page under the search's heading.
    void Search(int scope, const QString& keyword, bool fullText, const QString& count);

signals:
    void StatusText(const QString& text);
    void PagingChanged(int page, int pageCount);
    void NewItemsNotice(const QString& channel, int newCount, qint64 channelId);
    // The list's filter changed (from the menu, a key or SetFilter): the drop-down follows.
    void FilterShown(int filter);
    // "制作CHM电子书" on a channel or folder: the e-book dialog for it.
    void EbookRequested(int node);
    // "发布到博客(&P)..." on an item of the list: the blog library asks for the account and
    // starts the editor with the item.
    void PublishToBlogRequested(int itemId);
    // A search is over: `count` results listed (0: none, the list kept its rows).
    void SearchFinished(int count);

private:
    // ---- building ----
    void CreateWidgets(QWidget* parent);
    void CreateActions();
    void CreateTreeActions();
    void BuildTreeMenus();
    void CreateListActions();
    void BuildListMenus();
    QAction* MakeAction(const QString& text, const QKeySequence& key, const char* name,
                        QList<QAction*>& group, void (CReaderController::*slot)());
    // A command whose window comes later: shown, disabled, the reason as its tooltip.
    QAction* MakeUnavailable(const QString& text, const char* name, QList<QAction*>& group,
                             const char* reason);
    void BuildMainMenus();
    void UpdatePagingActions();
    // The first unread row at or after `from`; -1 when none.
    int FindUnreadRow(int from) const;
    void ShowAndMarkRow(int row);
    void LoadViewSettings();
    void CreateSearch();
    void ShowSearchResults(ItemPage found, bool fromStaging);

    // ---- tree ----
    void RebuildTree();
    // Puts the node's item (made with its subtree when missing) where the model has the node,
    // and repaints what the change touched: one node at a time, not a rebuild.
    void PlaceNode(NodeId id);
    // Re-applies the model's expansion state to an item and its subtree.
    void ApplyExpansion(QTreeWidgetItem* item);
    QTreeWidgetItem* AddTreeItems(NodeId id, QTreeWidgetItem* parent);
    void StyleTreeItem(QTreeWidgetItem* item, const ChannelNode& node);
    void UpdateCountsUpward(NodeId id);
    void RefreshAllCounts();
    void OnTreeCurrentChanged(QTreeWidgetItem* current);
    void OnTreeMenu(QTreeWidgetItem* item, const QPoint& globalPos);
    void OnNodeDropped(int node, int target);
    void OnRenameCommitted(QWidget* editor);
    NodeId TargetNode() const;
    NodeId TargetFolderForAdd() const;

    // ---- tree commands ----
    void CmdReceive();
    void CmdReceiveFolderAll();
    void CmdMarkRead();
    void CmdOpenHomeInside();
    void CmdOpenHomeExternal();
    void CmdAddChannel();
    void CmdAddFolder();
    void CmdMoveUp();
    void CmdMoveToRoot();
    void CmdClear();
    void CmdDelete();
    // A node whose items are being deleted is out of sight (a failed delete shows it again).
    void SetDeleting(NodeId id, bool deleting);
    // The outline, what is left of the items and the node; the view follows.
    void FinishDelete(NodeId id);
    // At close: the deletes whose jobs removed the items are finished (the jobs are waited for).
    void FinishDeletesAtClose();
    void CmdRename();
    void CmdProperties();
    void CmdEbook();

    // ---- "添加到IE收藏夹" (reader_links.cpp) ----
    void CmdAddToBrowserFavourites();
    // Enabled while the favourites folder exists; otherwise its tooltip says why.
    void UpdateBrowserFavouritesAction();

    // ---- OPML exchange (reader_opml.cpp) ----
    void CmdImportOpml();
    void CmdExportOpml(bool all);
    // Loads the tree again from the subscription file (after an import), counts from the store.
    void ReloadFromFile();

    // ---- list ----
    // Lists `node` (a channel's page, a folder's combined list). `selected`: the user has just
    // chosen it (the previous list may be marked read).
    void ShowNode(NodeId node, int page, bool selected);
    // `refresh`: the same list read again; rows are updated in place, the current row, the
    // scroll position and the article page stay.
    void FillList(ItemPage page, int ownerTag, bool refresh = false);
    void ClearList();
    void ShowRowItem(int row);
    void OnRowPressed(int row, int column);
    void OnCurrentRowChanged(int row);
    void OpenRowLink(int row);
    void MarkItem(int itemId, bool read);
    void OnListMenu(int row, const QPoint& globalPos);
    void CmdOpenItemInBrowser();
    void CmdItemProperties();
    void CmdPublishToBlog();
    void CmdToggleRead();
    void CmdCollapseGroups();
    void CmdExpandGroups();
    int CurrentItemId() const;
    // A header click: the shown list again, from its first page, in that column's order.
    void OnSortRequested(int column, Qt::SortOrder order);

    // ---- jobs on the session's workers ----
    struct JobOutcome {
        bool ok = false;
        std::string error;
        ItemPage page;
    };
    using StoreWork = std::function<JobOutcome(CRssStore& store)>;
    // Runs `work` as a job of the session with a store of its own, says `busyText` in the
    // status bar meanwhile, and hands the outcome to `done` on the window thread. False (and
    // `done` never runs) when the session refused the job (it is closing).
    bool RunStoreJob(const QString& busyText, StoreWork work, std::function<void(JobOutcome)> done);
    // Marks the node's items read (up to `upToItemId` when above 0) on a worker; the counts
    // and the shown list follow when it is done.
    void MarkNodeReadInBackground(NodeId node, int upToItemId);
    // A store upgraded from before the full-text index gets it on a worker, its progress in
    // the status bar; searches meanwhile read the items without it.
    void BuildSearchIndexInBackground();
    // True when the shown list holds items of `node` (or of a channel of the same address).
    bool ListShowsPartOf(NodeId node) const;
    // Refills the shown list soon, once for a burst of receives.
    void ScheduleRefill();
    void RefillShownList();
    void ShowAllUnreadPage(bool refresh);

    // ---- receiving ----
    void OnImageChanged(NodeId node, int image);
    void OnUnreadChanged(NodeId node, int unread);
    void OnNewItemNotice(NodeId node, int unread);
    void OnRefreshList(int feedId);
    // Receive reports are gathered and drawn at most every 150 ms: the changed nodes' icons,
    // counts and tooltips, and the latest status text.
    void MarkNodeChanged(NodeId node);
    void QueueReceiveStatus(const QString& text, bool failure = false);
    void ApplyReceiveViews();
    void OnChannelDone(const ChannelReceiveOutcome& outcome);
    QString ChannelToolTip(const ChannelNode& node) const;
    void ApplyTimerDecision(const TimerDecision& decision);
    void OnTimerTick();
    void StartScheduled(ScheduledReceive what);

    CReaderSession& m_session;
    CCommandTable& m_commands;
    QWidget* m_parentWidget;
    std::unique_ptr<CReceiveObserverAdapter> m_observer;
    bool m_closing = false;

    CChannelTreeWidget* m_tree = nullptr;
    CArticleTableView* m_list = nullptr;
    CArticleListModel* m_model = nullptr;
    CArticlePage* m_page = nullptr;
    bool m_rebuilding = false;
    QSet<NodeId> m_deleting;  // nodes whose items a job is deleting
    // Set by each delete job when the items are gone.
    QHash<NodeId, std::shared_ptr<std::atomic<bool>>> m_deletedItems;

    QList<QAction*> m_treeActions;
    QList<QAction*> m_listActions;
    QActionGroup* m_filterGroup = nullptr;
    QMenu* m_folderMenu = nullptr;
    QMenu* m_channelMenu = nullptr;
    QMenu* m_itemMenu = nullptr;
    QMenu* m_groupMenu = nullptr;
    QMenu* m_channelMainMenu = nullptr;
    QMenu* m_viewMainMenu = nullptr;
    NodeId m_menuNode = kNoNode;  // the node a context menu was opened on

    // What the list shows.
    NodeId m_shownNode = kNoNode;
    int m_ownerTag = 0;  // feed_id, kFolderListTag, or 0 (all unread)
    int m_page_ = 0;
    int m_pageCount = 1;
    int m_filter = kUnreadItems;
    ItemOrder m_order;                 // kept across lists, refills and filters
    std::vector<RssItem> m_pageItems;  // with bodies in quick reading
    int m_shownMaxItemId = 0;          // the shown list's ItemPage::maxItemId
    bool m_showingAllUnread = false;
    // Every read of an item by id goes to the staging table while the list shows news results.
    bool m_fromStaging = false;
    CSearchWindow* m_searchWindow = nullptr;
    // Why each channel's last fetch in this run failed; shown in its tooltip until it succeeds.
    QHash<NodeId, QString> m_fetchFailures;
    int m_listGeneration = 0;  // counts list changes: a late background list is dropped
    int m_jobsRunning = 0;
    // The counts of the store are being read at start-up; the start-up receive waits for
    // them, so that they never overwrite the counts of a receive.
    bool m_countingAtStart = false;
    bool m_startupReceivePending = false;
    QTimer* m_refillTimer = nullptr;
    QTimer* m_receiveViewTimer = nullptr;
    QSet<NodeId> m_changedNodes;
    QString m_receiveStatus;
    bool m_receiveStatusPending = false;
    bool m_receiveStatusFailure = false;  // the pending text says why a channel failed

    QTimer* m_timer = nullptr;
    ReceiveTimerState m_timerState;
};

}  // namespace zirvo::gui
