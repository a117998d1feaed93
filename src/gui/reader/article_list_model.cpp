#include "gui/reader/article_list_model.h"

#include <QHash>
#include <algorithm>
#include <iterator>

#include "gui/reader/reader_icons.h"

namespace zirvo::gui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CArticleListModel::CArticleListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CArticleListModel::SetStyle(const ArticleListStyle& style) {
    m_style = style;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kArticleColumnCount - 1));
    }
}

void CArticleListModel::SetItems(std::vector<RssItem> items, bool grouped) {
    beginResetModel();
    m_items = std::move(items);
    m_rows.clear();
    m_grouped = grouped;
    m_itemCount = static_cast<int>(m_items.size());
    if (!grouped) {
        m_rows.reserve(m_items.size());
        for (int i = 0; i < m_itemCount; ++i) {
            m_rows.push_back(Row{i, {}, 0});
        }
    } else {
        // Groups in the order their channel first appears (the list is newest first), rows
        // inside a group keeping the store's order.
        std::vector<std::string> order;
        QHash<QString, std::vector<int>> members;
        for (int i = 0; i < m_itemCount; ++i) {
            const QString key = Text(m_items[i].group);
            auto found = members.find(key);
            if (found == members.end()) {
                order.push_back(m_items[i].group);
                members.insert(key, {i});
            } else {
                found->push_back(i);
            }
        }
        m_rows.reserve(m_items.size() + order.size());
        for (const std::string& group : order) {
            const std::vector<int>& rows = members[Text(group)];
            m_rows.push_back(Row{-1, Text(group), static_cast<int>(rows.size())});
            for (int i : rows) {
                m_rows.push_back(Row{i, {}, 0});
            }
        }
    }
    IndexRows();
    endResetModel();
}

void CArticleListModel::IndexRows() {
    m_rowOfItem.clear();
    m_rowOfItem.reserve(static_cast<qsizetype>(m_rows.size()));
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
        if (m_rows[row].item >= 0) {
            m_rowOfItem.insert(m_items[m_rows[row].item].id, row);
        }
    }
}

namespace {

bool SameRow(const RssItem& a, const RssItem& b) {
    return a.isNew == b.isNew && a.read == b.read && a.title == b.title && a.date == b.date &&
           a.author == b.author && a.group == b.group && a.link == b.link &&
           a.description == b.description;
}

}  // namespace

void CArticleListModel::RefreshItems(std::vector<RssItem> items, bool grouped) {
    const auto newestFirst = [](const std::vector<RssItem>& list) {
        return std::is_sorted(list.begin(), list.end(),
                              [](const RssItem& a, const RssItem& b) { return a.id > b.id; });
    };
    // The walk below merges two lists newest first; a list in a column's order is kept only
    // when it holds the same rows in the same order.
    if (grouped || m_grouped || !newestFirst(items) || !newestFirst(m_items)) {
        bool same = grouped == m_grouped && items.size() == m_items.size();
        for (size_t i = 0; same && i < items.size(); ++i) {
            same = items[i].id == m_items[i].id && items[i].group == m_items[i].group;
        }
        if (!same) {
            SetItems(std::move(items), grouped);
            return;
        }
        for (size_t i = 0; i < items.size(); ++i) {
            if (!SameRow(items[i], m_items[i])) {
                m_items[i] = std::move(items[i]);
                const int row = m_rowOfItem.value(m_items[i].id, -1);
                emit dataChanged(index(row, 0), index(row, kArticleColumnCount - 1));
            }
        }
        return;
    }
    // Both lists are newest first (ids descending): one walk finds the runs to insert and to
    // remove. Ungrouped rows mirror m_items one to one.
    size_t r = 0;
    size_t j = 0;
    auto reindexFrom = [this](size_t from) {
        m_rows.resize(m_items.size());
        m_itemCount = static_cast<int>(m_items.size());
        for (size_t k = from; k < m_items.size(); ++k) {
            m_rows[k] = Row{static_cast<int>(k), {}, 0};
        }
    };
    while (r < m_items.size() || j < items.size()) {
        if (j < items.size() && (r == m_items.size() || items[j].id > m_items[r].id)) {
            size_t end = j;
            while (end < items.size() && (r == m_items.size() || items[end].id > m_items[r].id)) {
                ++end;
            }
            const int count = static_cast<int>(end - j);
            beginInsertRows(QModelIndex(), static_cast<int>(r), static_cast<int>(r) + count - 1);
            m_items.insert(
                m_items.begin() + static_cast<std::ptrdiff_t>(r),
                std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(j)),
                std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(end)));
            reindexFrom(r);
            endInsertRows();
            r += static_cast<size_t>(count);
            j = end;
        } else if (j == items.size() || m_items[r].id > items[j].id) {
            size_t end = r;
            while (end < m_items.size() && (j == items.size() || m_items[end].id > items[j].id)) {
                ++end;
            }
            beginRemoveRows(QModelIndex(), static_cast<int>(r), static_cast<int>(end) - 1);
            m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(r),
                          m_items.begin() + static_cast<std::ptrdiff_t>(end));
            reindexFrom(r);
            endRemoveRows();
        } else {
            if (!SameRow(items[j], m_items[r])) {
                m_items[r] = std::move(items[j]);
                emit dataChanged(index(static_cast<int>(r), 0),
                                 index(static_cast<int>(r), kArticleColumnCount - 1));
            }
            ++r;
            ++j;
        }
    }
    m_itemCount = static_cast<int>(m_items.size());
    IndexRows();
}

void CArticleListModel::Clear() {
    SetItems({}, false);
}

int CArticleListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CArticleListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kArticleColumnCount;
}

bool CArticleListModel::IsHeader(int row) const {
    return row >= 0 && row < rowCount() && m_rows[row].item < 0;
}

const RssItem* CArticleListModel::Item(int row) const {
    if (row < 0 || row >= rowCount() || m_rows[row].item < 0) {
        return nullptr;
    }
    return &m_items[m_rows[row].item];
}

int CArticleListModel::ItemId(int row) const {
    const RssItem* item = Item(row);
    return item ? item->id : 0;
}

int CArticleListModel::RowOfItem(int itemId) const {
    return m_rowOfItem.value(itemId, -1);
}

int CArticleListModel::HeaderOf(int row) const {
    if (!m_grouped) {
        return -1;
    }
    for (int r = row; r >= 0; --r) {
        if (IsHeader(r)) {
            return r;
        }
    }
    return -1;
}

void CArticleListModel::SetRead(int itemId, bool read) {
    const int row = RowOfItem(itemId);
    if (row < 0) {
        return;
    }
    RssItem& item = m_items[m_rows[row].item];
    item.read = read ? 1 : 0;
    item.isNew = 0;
    emit dataChanged(index(row, 0), index(row, kArticleColumnCount - 1));
}

void CArticleListModel::SetAllRead() {
    for (RssItem& item : m_items) {
        item.read = 1;
        item.isNew = 0;
    }
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kArticleColumnCount - 1));
    }
}

QFont CArticleListModel::TitleFont(bool unread) const {
    QFont font = m_style.bigTitleFont ? m_style.bigFont : m_style.smallFont;
    font.setBold(unread && m_style.boldTitleFont);
    return font;
}

QVariant CArticleListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = m_rows[index.row()];
    if (row.item < 0) {
        switch (role) {
            case Qt::DisplayRole:
                // The header spans the row, so the view paints its first cell.
                if (index.column() != 0 && index.column() != kColTitle) {
                    return QVariant();
                }
                return m_countsInHeaders
                           ? QStringLiteral("%1  (%2)").arg(row.header).arg(row.headerCount)
                           : row.header;
            case Qt::BackgroundRole:
                return QColor(0xe9, 0xed, 0xf3);
            case Qt::ForegroundRole:
                return QColor(0x33, 0x3a, 0x45);
            case Qt::TextAlignmentRole:
                return int(Qt::AlignVCenter | Qt::AlignLeft);
            case Qt::FontRole: {
                QFont font = m_style.smallFont;
                font.setBold(true);
                return font;
            }
            case kGroupHeaderRole:
                return true;
            case kItemIdRole:
                return 0;
            default:
                return {};
        }
    }
    const RssItem& item = m_items[row.item];
    const bool unread = item.read == 0;
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case kColTitle:
                    return Text(item.title).simplified();
                case kColDate:
                    return Text(item.date);
                case kColAuthor:
                    return Text(item.author).simplified();
                case kColGroup:
                    return Text(item.group);
                default:
                    return {};
            }
        case Qt::DecorationRole:
            if (index.column() == kColImportance && item.isNew == 1) {
                return ListStateIcon(ListIcon::NewItem);
            }
            if (index.column() == kColReadState) {
                return ListStateIcon(unread ? ListIcon::Unread : ListIcon::Read);
            }
            if (index.column() == kColAttachment && !item.enclosures.empty()) {
                return ListStateIcon(ListIcon::Attachment);
            }
            return {};
        case Qt::ToolTipRole:
            if (index.column() == kColReadState) {
                return unread ? QStringLiteral("未读 (点击标记为已读)")
                              : QStringLiteral("已读 (点击标记为未读)");
            }
            if (index.column() == kColTitle) {
                return Text(item.title);
            }
            if (index.column() == kColAttachment && !item.enclosures.empty()) {
                return QStringLiteral("附件: %1").arg(static_cast<int>(item.enclosures.size()));
            }
            return {};
        case Qt::ForegroundRole:
            if (index.column() == kColTitle) {
                return unread ? m_style.unreadTitle : m_style.readTitle;
            }
            if (index.column() == kColDate || index.column() == kColAuthor) {
                return m_style.dateAndAuthor;
            }
            return {};
        case Qt::FontRole:
            if (index.column() == kColTitle) {
                return TitleFont(unread);
            }
            return m_style.smallFont;
        case Qt::TextAlignmentRole:
            if (index.column() <= kColAttachment) {
                return int(Qt::AlignCenter);
            }
            return int(Qt::AlignVCenter | Qt::AlignLeft);
        case kItemIdRole:
            return item.id;
        case kGroupHeaderRole:
            return false;
        default:
            return {};
    }
}

QVariant CArticleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        switch (section) {
            case kColTitle:
                return QStringLiteral("文章标题");
            case kColDate:
                return QStringLiteral("发表时间");
            case kColAuthor:
                return QStringLiteral("作者");
            default:
                return QString();
        }
    }
    if (role == Qt::InitialSortOrderRole) {
        // A first click puts what matters first: new, unread, with attachments, the latest.
        return section == kColReadState || section == kColTitle || section == kColAuthor
                   ? Qt::AscendingOrder
                   : Qt::DescendingOrder;
    }
    if (role == Qt::DecorationRole) {
        switch (section) {
            case kColImportance:
                return ListStateIcon(ListIcon::Importance);
            case kColReadState:
                return ListStateIcon(ListIcon::ReadState);
            case kColAttachment:
                return ListStateIcon(ListIcon::Attachment);
            default:
                return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        switch (section) {
            case kColImportance:
                return QStringLiteral("优先级");
            case kColReadState:
                return QStringLiteral("图标");
            case kColAttachment:
                return QStringLiteral("附件");
            default:
                return {};
        }
    }
    return {};
}

Qt::ItemFlags CArticleListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (IsHeader(index.row())) {
        return Qt::ItemIsEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace zirvo::gui
