#include "gui/reader/article_table_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>

#include "gui/reader/article_list_model.h"

namespace zirvo::gui {

CArticleTableView::CArticleTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(qMax(22, fontMetrics().height() + 8));
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(18);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    // Arrival order (newest first) is no column's order: no indicator until a header is clicked.
    horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                if (column >= 0 && column < kColGroup) {
                    emit SortRequested(column, order);
                }
            });
    setIconSize(QSize(16, 16));
}

void CArticleTableView::FitDateColumn(const QFont& font) {
    // Every stored date has one shape; the widest digit leaves room for any of them. The cell
    // adds the style's text margins on both sides, the header its label and sort arrow.
    const int text = QFontMetrics(font).horizontalAdvance(QStringLiteral("8888-88-88 88:88:88"));
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const int label =
        horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("发表时间")) +
        horizontalHeader()->fontMetrics().height() * 2;
    setColumnWidth(kColDate, std::max(text + margin + 6, label));
}

void CArticleTableView::ShowSortIndicator(int column, Qt::SortOrder order) {
    const QSignalBlocker blocker(horizontalHeader());
    horizontalHeader()->setSortIndicator(column, order);
}

void CArticleTableView::SetListModel(CArticleListModel* model) {
    m_model = model;
    setModel(model);
    QHeaderView* header = horizontalHeader();
    for (int column : {kColImportance, kColReadState, kColAttachment}) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        setColumnWidth(column, 24);
    }
    header->setSectionResizeMode(kColTitle, QHeaderView::Stretch);
    header->setSectionResizeMode(kColDate, QHeaderView::Interactive);
    header->setSectionResizeMode(kColAuthor, QHeaderView::Interactive);
    setColumnWidth(kColTitle, 300);
    FitDateColumn(font());
    setColumnWidth(kColAuthor, 110);
    setColumnHidden(kColGroup, true);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_collapsed.clear();
        ApplyGroups();
    });
}

void CArticleTableView::ApplyGroups() {
    clearSpans();
    if (m_model == nullptr || !m_model->Grouped()) {
        return;
    }
    bool hidden = false;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        bool hide = false;
        if (m_model->IsHeader(row)) {
            setSpan(row, 0, 1, kColGroup);
            hidden = m_collapsed.contains(row);
        } else {
            hide = hidden;
        }
        // NOTE: only rows that change are touched; hiding rows one by one relays the header
        // out each time, which a folder list of 8000 rows would feel.
        if (isRowHidden(row) != hide) {
            setRowHidden(row, hide);
        }
    }
}

void CArticleTableView::SetAllGroupsCollapsed(bool collapsed) {
    m_collapsed.clear();
    if (collapsed && m_model != nullptr) {
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (m_model->IsHeader(row)) {
                m_collapsed.insert(row);
            }
        }
    }
    ApplyGroups();
}

void CArticleTableView::MoveCurrent(int delta) {
    if (m_model == nullptr || m_model->rowCount() == 0) {
        return;
    }
    int row =
        currentIndex().isValid() ? currentIndex().row() : (delta > 0 ? -1 : m_model->rowCount());
    const int step = delta > 0 ? 1 : -1;
    for (int next = row + step; next >= 0 && next < m_model->rowCount(); next += step) {
        if (!m_model->IsHeader(next) && !isRowHidden(next)) {
            setCurrentIndex(m_model->index(next, kColTitle));
            return;
        }
    }
}

void CArticleTableView::SetEmptyText(const QString& text) {
    m_emptyText = text;
    viewport()->update();
}

void CArticleTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (m_model != nullptr && m_model->rowCount() == 0 && !m_emptyText.isEmpty()) {
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(viewport()->rect(), Qt::AlignCenter, m_emptyText);
    }
}

void CArticleTableView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (m_model != nullptr && index.isValid() && m_model->IsHeader(index.row()) &&
        event->button() == Qt::LeftButton) {
        // A header row opens or closes its group.
        const int row = index.row();
        if (!m_collapsed.remove(row)) {
            m_collapsed.insert(row);
        }
        ApplyGroups();
        return;
    }
    m_mouseChange = true;
    QTableView::mousePressEvent(event);
    m_mouseChange = false;
    if (index.isValid() && event->button() == Qt::LeftButton) {
        emit RowPressed(index.row(), index.column());
    }
}

void CArticleTableView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentIndex().isValid()) {
                emit OpenRequested(currentIndex().row());
            }
            return;
        case Qt::Key_Space:
            emit PageArticleRequested();
            return;
        case Qt::Key_Up:
            if (event->modifiers() == Qt::NoModifier) {
                MoveCurrent(-1);
                return;
            }
            break;
        case Qt::Key_Down:
            if (event->modifiers() == Qt::NoModifier) {
                MoveCurrent(1);
                return;
            }
            break;
        default:
            break;
    }
    QTableView::keyPressEvent(event);
}

void CArticleTableView::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    QPoint pos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        index = currentIndex();
        pos = viewport()->mapToGlobal(visualRect(index).bottomLeft());
    }
    if (index.isValid() && m_model != nullptr && !m_model->IsHeader(index.row())) {
        selectRow(index.row());
        emit ContextMenuAt(index.row(), pos);
    } else {
        emit ContextMenuAt(-1, pos);
    }
}

}  // namespace zirvo::gui
