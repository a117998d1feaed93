#pragma once
// The RSS favourites in the window: the "收藏" tree of Storage/rssFavorite.opml with its menus
// (PopMenuDir for favourites folders, PopMenuLeaf for favourite nodes), the favourites list
// (display mode 6: a click only shows the item, nothing is marked read) with its menu
// (ReportMenuForRssFavorite), and the commands of the favourites mode: new node, new folder,
// an item added by hand, import of an RSS file, export of a node as RSS, the CHM e-book of a
// node or folder, keeping an item of the article list ("RSS收藏", Ctrl+D) and dropping list rows
// onto a node. The article page is the reader's: in the favourites mode it shows the
// favourites' items.
//
// The rules (checks, files, the store's rows) are the core's CFavouriteTree; the controller
// only asks and shows. Messages of the core reach the user through the session's message
// dialog.
//
// Threading: window thread.

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/favourite_tree.h"

class QAction;
class QMenu;
class QTreeWidgetItem;
class QWidget;

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CArticleListModel;
class CArticlePage;
class CArticleTableView;
class CCommandTable;
class CEbookLauncher;
class CFavouriteTreeWidget;

class CFavouritesController : public QObject {
    Q_OBJECT
public:
    // `page` is the reader's article page, shared with the reader mode.
    CFavouritesController(CReaderSession& session, CCommandTable& commands, CArticlePage* page,
                          QWidget* parentForWidgets);
    ~CFavouritesController() override;

    QWidget* TreeWidget() const;
    QWidget* ListWidget() const;

    // Where the file dialogs of import and export point (tests answer them without a dialog):
    // `save` for a file to write, with the proposed name; an empty answer cancels.
    using FileChooser =
        std::function<QString(bool save, const QString& proposal, const QString& filter)>;
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }

    // For tests and the screenshot script.
    CFavouriteTree& Favourites() { return m_fav; }
    CFavouriteTreeWidget* Tree() const { return m_tree; }
    CArticleTableView* List() const { return m_list; }
    CArticleListModel* ListModel() const { return m_items; }
    NodeId ShownNode() const { return m_shownNode; }
    QAction* Action(const QString& objectName) const;

public slots:
    // A click on a node: its items, newest first (a folder shows nothing).
    void ShowNode(int node);
    // "添加到RSS收藏": the dialog "RSS收藏", then the item of the list (from the staging table
    // for news search results) is copied into the chosen node.
    void KeepItem(int itemId, bool fromStaging);
    // Rows of the favourites list dropped onto a node.
    void MoveItems(const QList<int>& itemIds, int node);
    void SaveState();

signals:
    void StatusText(const QString& text);

private:
    void CreateWidgets(QWidget* parent);
    void CreateActions();
    QAction* MakeAction(const QString& text, const QKeySequence& key, const char* name,
                        void (CFavouritesController::*slot)());
    void RebuildTree();
    QTreeWidgetItem* AddTreeItems(NodeId id, QTreeWidgetItem* parent);
    void SelectInTree(NodeId id);
    void OnTreeMenu(QTreeWidgetItem* item, const QPoint& globalPos);
    void OnTreeCurrentChanged(QTreeWidgetItem* current);
    void UpdateCommandState();
    // The node the tree's commands act on: the context menu's, else the current one.
    NodeId TargetNode() const;
    // Where a new node or folder goes: the target folder, a node's folder, or the top level.
    NodeId TargetFolder() const;
    bool IsFavouriteNode(NodeId id) const;
    void ShowRow(int row);
    int CurrentItemId() const;
    QString ChooseFile(bool save, const QString& proposal, const QString& filter);

    // ---- commands ----
    void CmdNewNode();
    void CmdNewFolder();
    void CmdAddItem();
    void CmdOpenHomeInside();
    void CmdOpenHomeExternal();
    void CmdMoveUp();
    void CmdMoveToRoot();
    void CmdDelete();
    void CmdProperties();
    void CmdExportFeed();
    void CmdEbook();
    void CmdImport();
    void CmdOpenItem();
    void CmdDeleteItem();
    void CmdItemProperties();

    CReaderSession& m_session;
    CCommandTable& m_commands;
    CArticlePage* m_page;
    QWidget* m_parentWidget;
    CChannelTree m_model;
    CFavouriteTree m_fav;
    FileChooser m_fileChooser;
    CEbookLauncher* m_ebook = nullptr;

    CFavouriteTreeWidget* m_tree = nullptr;
    CArticleTableView* m_list = nullptr;
    CArticleListModel* m_items = nullptr;
    QList<QAction*> m_actions;
    QMenu* m_folderMenu = nullptr;
    QMenu* m_nodeMenu = nullptr;
    QMenu* m_itemMenu = nullptr;
    NodeId m_menuNode = kNoNode;
    NodeId m_shownNode = kNoNode;
    NodeId m_lastKeptTo = kNoNode;
    bool m_rebuilding = false;
};

}  // namespace zirvo::gui
