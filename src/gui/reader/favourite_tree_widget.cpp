#include "gui/reader/favourite_tree_widget.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>

#include "gui/reader/channel_tree_widget.h"

namespace zirvo::gui {

namespace {

// A drag from another program may carry anything: only this many ids are read.
constexpr int kMaxDroppedItems = 10000;

}  // namespace

QList<int> FavouriteIdsOf(const QMimeData* mime) {
    QList<int> ids;
    if (mime == nullptr || !mime->hasFormat(QString::fromLatin1(kFavouriteItemsMime))) {
        return ids;
    }
    const QList<QByteArray> lines =
        mime->data(QString::fromLatin1(kFavouriteItemsMime)).split('\n');
    for (const QByteArray& line : lines) {
        bool ok = false;
        const int id = line.trimmed().toInt(&ok);
        if (ok && id > 0 && ids.size() < kMaxDroppedItems) {
            ids.append(id);
        }
    }
    return ids;
}

CFavouriteTreeWidget::CFavouriteTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
}

QTreeWidgetItem* CFavouriteTreeWidget::ItemOf(NodeId id) const {
    for (QTreeWidgetItemIterator it(const_cast<CFavouriteTreeWidget*>(this)); *it; ++it) {
        if (NodeOf(*it) == id) {
            return *it;
        }
    }
    return nullptr;
}

NodeId CFavouriteTreeWidget::NodeOf(const QTreeWidgetItem* item) const {
    return item != nullptr ? item->data(0, kNodeRole).toInt() : kNoNode;
}

QTreeWidgetItem* CFavouriteTreeWidget::DropTarget(const QPoint& pos) const {
    QTreeWidgetItem* item = itemAt(pos);
    return item != nullptr && item->data(0, kFavouriteIdRole).toInt() > 0 ? item : nullptr;
}

void CFavouriteTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kFavouriteItemsMime))) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CFavouriteTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (DropTarget(event->position().toPoint()) != nullptr &&
        event->mimeData()->hasFormat(QString::fromLatin1(kFavouriteItemsMime))) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CFavouriteTreeWidget::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* target = DropTarget(event->position().toPoint());
    const QList<int> ids = FavouriteIdsOf(event->mimeData());
    if (target == nullptr || ids.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit ItemsDropped(ids, NodeOf(target));
}

void CFavouriteTreeWidget::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(event->pos());
    if (item != nullptr) {
        setCurrentItem(item);
    }
    emit ContextMenuAt(item, event->globalPos());
}

}  // namespace zirvo::gui
