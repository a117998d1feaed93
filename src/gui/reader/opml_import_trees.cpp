#include "gui/reader/opml_import_trees.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "gui/reader/channel_tree_widget.h"

namespace zirvo::gui {

namespace {

QString SourceMime() {
    return QString::fromLatin1(kOpmlSourceMime);
}

// The dragged node, or kNoNode when the drag is not one of ours.
NodeId DraggedNode(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasFormat(SourceMime())) {
        return kNoNode;
    }
    bool ok = false;
    const int node = QString::fromLatin1(mime->data(SourceMime())).toInt(&ok);
    return ok && node >= 0 ? node : kNoNode;
}

}  // namespace

COpmlSourceTree::COpmlSourceTree(QWidget* parent) : QTreeWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QStringList COpmlSourceTree::mimeTypes() const {
    return {SourceMime()};
}

QMimeData* COpmlSourceTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty()) {
        return nullptr;
    }
    auto* mime = new QMimeData;
    mime->setData(SourceMime(), QByteArray::number(items.first()->data(0, kNodeRole).toInt()));
    return mime;
}

COpmlTargetTree::COpmlTargetTree(QWidget* parent) : QTreeWidget(parent) {
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void COpmlTargetTree::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedNode(event->mimeData()) == kNoNode) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void COpmlTargetTree::dragMoveEvent(QDragMoveEvent* event) {
    if (DraggedNode(event->mimeData()) == kNoNode) {
        event->ignore();
        return;
    }
    // Shows where it would land, without QTreeWidget's own move of items.
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    setCurrentItem(item);
    event->acceptProposedAction();
}

void COpmlTargetTree::dropEvent(QDropEvent* event) {
    const NodeId node = DraggedNode(event->mimeData());
    if (node == kNoNode) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit SourceDropped(node, itemAt(event->position().toPoint()));
}

}  // namespace zirvo::gui
