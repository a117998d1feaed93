#pragma once
// The favourites tree control of the "收藏" pane: favourites folders and favourite nodes of
// Storage/rssFavorite.opml, each item carrying its node handle (kNodeRole) and its favourite id
// (kFavouriteIdRole, 0 for a folder). Rows of the favourites list can be dropped onto a node:
// the drop is handed to the controller (ItemsDropped), which moves the items.
//
// Threading: window thread.

#include <QList>
#include <QTreeWidget>

#include "core/subscriptions/channel_node.h"

class QMimeData;

namespace zirvo::gui {

inline constexpr int kFavouriteIdRole = Qt::UserRole + 4;
// The drag format of favourite items: their ids as decimal text, one per line.
inline constexpr char kFavouriteItemsMime[] = "application/x-zirvo-favourite-items";

// The ids a drag of favourite items carries (empty for anything else).
QList<int> FavouriteIdsOf(const QMimeData* mime);

class CFavouriteTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFavouriteTreeWidget(QWidget* parent = nullptr);

    QTreeWidgetItem* ItemOf(NodeId id) const;
    NodeId NodeOf(const QTreeWidgetItem* item) const;

signals:
    // Favourite items were dropped onto a favourite node.
    void ItemsDropped(const QList<int>& itemIds, int node);
    // Right click: the item under the cursor (null on empty space).
    void ContextMenuAt(QTreeWidgetItem* item, const QPoint& globalPos);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The favourite node under `pos` that can take a drop; null elsewhere.
    QTreeWidgetItem* DropTarget(const QPoint& pos) const;
};

}  // namespace zirvo::gui
