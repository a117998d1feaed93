#pragma once
// The channel tree control: folders and channels of the subscription tree with their state
// images, caption colours and the unread count drawn as "[n]" behind the caption (nothing for
// 0). Each item carries its node handle (kNodeRole); the model itself is the core's
// CChannelTree, which the controller mirrors into the items.
//
// Drag and drop moves nodes inside the tree only: a drag starts when the left button has been
// down for more than 100 ms, an item under the cursor opens after 500 ms, and the view scrolls
// near its upper and lower edges. The drop is not carried out here: NodeDropped asks the
// controller, which changes the file and the model and rebuilds the items.
//
// Threading: window thread.

#include <QElapsedTimer>
#include <QTreeWidget>

#include "core/subscriptions/channel_node.h"

namespace zirvo::gui {

inline constexpr int kNodeRole = Qt::UserRole + 1;
inline constexpr int kUnreadRole = Qt::UserRole + 2;
inline constexpr int kIsFolderRole = Qt::UserRole + 3;

// The time the left button must be down before a drag may start.
inline constexpr int kDragStartMs = 100;
// The time the cursor must rest on an item before a drag opens it.
inline constexpr int kHoverExpandMs = 500;

class CChannelTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit CChannelTreeWidget(QWidget* parent = nullptr);

    QTreeWidgetItem* ItemOf(NodeId id) const;
    NodeId NodeOf(const QTreeWidgetItem* item) const;
    // Forgets every item (before a rebuild).
    void ClearItems();
    void Remember(NodeId id, QTreeWidgetItem* item);
    // Removes one item with its subtree (a deleted node).
    void RemoveItem(QTreeWidgetItem* item);

signals:
    // A node was dropped onto another (controller: MoveOnto).
    void NodeDropped(int node, int target);
    // Right click: the item under the cursor (null on empty space).
    void ContextMenuAt(QTreeWidgetItem* item, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QElapsedTimer m_pressed;
    QTreeWidgetItem* m_dragged = nullptr;
    QHash<int, QTreeWidgetItem*> m_items;
};

}  // namespace zirvo::gui
