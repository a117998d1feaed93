#include "gui/reader/channel_tree_widget.h"

#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace zirvo::gui {

namespace {

constexpr char kNodeMime[] = "application/x-zirvo-channel-node";

// Draws the caption in the item's colour and the unread count behind it.
class CCountDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const int unread = index.data(kUnreadRole).toInt();
        const QString caption = opt.text;
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
        const bool selected = opt.state & QStyle::State_Selected;
        QColor captionColour = selected ? opt.palette.color(QPalette::HighlightedText)
                                        : opt.palette.color(QPalette::Text);
        const QVariant fg = index.data(Qt::ForegroundRole);
        if (!selected && fg.canConvert<QBrush>()) {
            captionColour = fg.value<QBrush>().color();
        }
        const QString badge = unread != 0 ? QStringLiteral("[%1]").arg(unread) : QString();
        QFontMetrics metrics(opt.font);
        QFont badgeFont = opt.font;
        badgeFont.setBold(true);
        QFontMetrics badgeMetrics(badgeFont);
        const int badgeWidth = badge.isEmpty() ? 0 : badgeMetrics.horizontalAdvance(badge) + 4;
        const QString shown =
            metrics.elidedText(caption, Qt::ElideRight, qMax(0, textRect.width() - badgeWidth));
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(captionColour);
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, shown);
        if (!badge.isEmpty()) {
            QRect badgeRect = textRect;
            badgeRect.setLeft(textRect.left() + metrics.horizontalAdvance(shown) + 4);
            painter->setFont(badgeFont);
            painter->setPen(selected ? captionColour : QColor(0xd0, 0x45, 0x1b));
            painter->drawText(badgeRect, Qt::AlignVCenter | Qt::AlignLeft, badge);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int unread = index.data(kUnreadRole).toInt();
        if (unread != 0) {
            QFont bold = option.font;
            bold.setBold(true);
            size.rwidth() +=
                QFontMetrics(bold).horizontalAdvance(QStringLiteral("[%1]").arg(unread)) + 8;
        }
        size.setHeight(qMax(size.height(), 22));
        return size;
    }
};

}  // namespace

CChannelTreeWidget::CChannelTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setItemDelegate(new CCountDelegate(this));
    setIconSize(QSize(16, 16));
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setAutoExpandDelay(kHoverExpandMs);
    setAutoScroll(true);
    setAutoScrollMargin(24);
    setAnimated(false);
    setExpandsOnDoubleClick(false);
    header()->setStretchLastSection(true);
}

QTreeWidgetItem* CChannelTreeWidget::ItemOf(NodeId id) const {
    return m_items.value(id, nullptr);
}

NodeId CChannelTreeWidget::NodeOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, kNodeRole).toInt() : kNoNode;
}

void CChannelTreeWidget::ClearItems() {
    m_items.clear();
    m_dragged = nullptr;
    clear();
}

void CChannelTreeWidget::Remember(NodeId id, QTreeWidgetItem* item) {
    m_items.insert(id, item);
}

void CChannelTreeWidget::RemoveItem(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        m_items.remove(NodeOf(next));
        if (next == m_dragged) {
            m_dragged = nullptr;
        }
        for (int i = 0; i < next->childCount(); ++i) {
            pending.push_back(next->child(i));
        }
    }
    delete item;  // takes it out of the tree
}

void CChannelTreeWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed.start();
    }
    QTreeWidget::mousePressEvent(event);
}

void CChannelTreeWidget::mouseMoveEvent(QMouseEvent* event) {
    // A quick flick while clicking is a click, not a drag.
    if ((event->buttons() & Qt::LeftButton) && m_pressed.isValid() &&
        m_pressed.elapsed() <= kDragStartMs) {
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CChannelTreeWidget::startDrag(Qt::DropActions supportedActions) {
    Q_UNUSED(supportedActions);
    QTreeWidgetItem* item = currentItem();
    if (item == nullptr) {
        return;
    }
    m_dragged = item;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kNodeMime), QByteArray::number(NodeOf(item)));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // The drag image: the item's icon and caption.
    const QString caption = item->text(0);
    QFontMetrics metrics(font());
    QPixmap pixmap(metrics.horizontalAdvance(caption) + 28, metrics.height() + 6);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setOpacity(0.85);
        item->icon(0).paint(&painter, QRect(2, (pixmap.height() - 16) / 2, 16, 16));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(22, 0, pixmap.width() - 22, pixmap.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, caption);
    }
    drag->setPixmap(pixmap);
    drag->exec(Qt::MoveAction);
    m_dragged = nullptr;
}

void CChannelTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == this && event->mimeData()->hasFormat(QString::fromLatin1(kNodeMime))) {
        QTreeWidget::dragEnterEvent(event);
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CChannelTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() != this) {
        event->ignore();
        return;
    }
    // The base class scrolls at the edges and opens folders after the hover delay.
    QTreeWidget::dragMoveEvent(event);
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const bool inside = target == nullptr || (m_dragged != nullptr && [&] {
                            for (QTreeWidgetItem* up = target; up != nullptr; up = up->parent()) {
                                if (up == m_dragged) {
                                    return true;
                                }
                            }
                            return false;
                        }());
    if (inside) {
        event->ignore();
    } else {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }
}

void CChannelTreeWidget::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const QByteArray payload = event->mimeData()->data(QString::fromLatin1(kNodeMime));
    bool ok = false;
    const int node = payload.toInt(&ok);
    // The control itself never moves items: the model decides, the items follow.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    if (ok && target != nullptr) {
        target->setExpanded(true);
        emit NodeDropped(node, NodeOf(target));
    }
}

void CChannelTreeWidget::focusInEvent(QFocusEvent* event) {
    // The view would make the first item current on focus, which shows (and on the next switch
    // marks read) a list the user never chose.
    if (currentItem() != nullptr) {
        QTreeWidget::focusInEvent(event);
        return;
    }
    {
        const QSignalBlocker blocker(this);
        QTreeWidget::focusInEvent(event);
    }
    const QSignalBlocker selectionBlocker(selectionModel());
    selectionModel()->clearCurrentIndex();
    viewport()->update();
}

void CChannelTreeWidget::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (event->reason() == QContextMenuEvent::Keyboard) {
        item = currentItem();
        QPoint pos = item ? visualItemRect(item).bottomLeft() : QPoint();
        emit ContextMenuAt(item, viewport()->mapToGlobal(pos));
        return;
    }
    emit ContextMenuAt(item, event->globalPos());
}

}  // namespace zirvo::gui
