#pragma once
// The two trees of the import dialog "导入频道列表". Items carry their node handle (kNodeRole)
// in the dialog's source list or current list. A drag starts only in the source tree and carries
// the dragged node's handle as kOpmlSourceMime; the current list takes such a drop onto an item
// (the node goes in as that item's last child) or onto empty space (the top level) and leaves
// the move to the dialog. Nothing else can be dropped on it, and its own items do not move.
//
// Threading: window thread.

#include <QTreeWidget>

#include "core/subscriptions/channel_node.h"

namespace zirvo::gui {

inline constexpr const char* kOpmlSourceMime = "application/x-zirvo-opml-source-node";

class COpmlSourceTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit COpmlSourceTree(QWidget* parent = nullptr);

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    QStringList mimeTypes() const override;
};

class COpmlTargetTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit COpmlTargetTree(QWidget* parent = nullptr);

signals:
    // `node` of the source list was dropped on `target` (null: empty space).
    void SourceDropped(int node, QTreeWidgetItem* target);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace zirvo::gui
