#pragma once
// The article list's rows: one page of the feed store (50 to 1000 rows of a channel, up to 8000
// of a folder) as a table with the RSS column set:
//   0 importance (new items), 1 read state, 2 attachment (icon 8 for items with enclosures),
//   3 title, 4 publication time, 5 author, 6 group text (hidden; the channel of a folder row).
// A folder list is grouped by channel: each group starts with a header row that spans the
// table and carries the channel's caption and row count; header rows hold no item.
//
// Colours and fonts follow the appearance settings of config/appConfig.xml (unread and read
// title colours, the colour of date and author, large and bold titles).
//
// Threading: window thread.

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <vector>

#include "core/feeds/rss_item.h"

namespace zirvo::gui {

enum ArticleColumn : int {
    kColImportance = 0,
    kColReadState = 1,
    kColAttachment = 2,
    kColTitle = 3,
    kColDate = 4,
    kColAuthor = 5,
    kColGroup = 6,
    kArticleColumnCount = 7,
};

// The item id of a row (0 for a group header), for views and tests.
inline constexpr int kItemIdRole = Qt::UserRole + 1;
// True on a group header row.
inline constexpr int kGroupHeaderRole = Qt::UserRole + 2;

struct ArticleListStyle {
    QColor unreadTitle{0, 52, 154};
    QColor readTitle{0, 0, 0};
    QColor dateAndAuthor{150, 150, 150};
    bool bigTitleFont = false;
    bool boldTitleFont = false;
    QFont smallFont;  // "arial" 14 px
    QFont bigFont;    // "宋体" 16 px (a CJK serif face where that name is not installed)
};

class CArticleListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CArticleListModel(QObject* parent = nullptr);

    void SetStyle(const ArticleListStyle& style);
    // Replaces the rows. `grouped`: items are grouped by their `group` text (first appearance
    // order), each group behind a header row.
    void SetItems(std::vector<RssItem> items, bool grouped);
    // Whether a group's caption is followed by its row count: a channel's group in a folder list
    // is, a search's group is not (its heading states the count already, the true one even when
    // the list keeps only the newest rows).
    void SetCountsInHeaders(bool counted) { m_countsInHeaders = counted; }
    // The same list read again (after a receive or a read mark): rows are inserted for new
    // ids and removed for ids that left, and the rows whose flags or texts changed repaint,
    // so the view keeps its current row, selection and scroll position. A grouped list, or one
    // in a column's order, whose rows changed is replaced (SetItems).
    void RefreshItems(std::vector<RssItem> items, bool grouped);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool IsHeader(int row) const;
    int ItemId(int row) const;  // 0 for a header or a row out of range
    const RssItem* Item(int row) const;
    int RowOfItem(int itemId) const;  // -1 when not listed
    // Rows that show an item (headers left out), in order.
    int ItemRowCount() const { return m_itemCount; }
    // The header row of the group a row belongs to (-1 without groups).
    int HeaderOf(int row) const;
    bool Grouped() const { return m_grouped; }
    // Changes the read state shown for an item (the store was changed by the caller).
    void SetRead(int itemId, bool read);
    // Every listed item as read (after the shown list was marked read).
    void SetAllRead();

private:
    struct Row {
        int item = -1;  // index into m_items; -1 for a header
        QString header;
        int headerCount = 0;
    };
    QFont TitleFont(bool unread) const;
    void IndexRows();

    std::vector<RssItem> m_items;
    QHash<int, int> m_rowOfItem;  // item id -> row
    std::vector<Row> m_rows;
    int m_itemCount = 0;
    bool m_grouped = false;
    bool m_countsInHeaders = true;
    ArticleListStyle m_style;
};

}  // namespace zirvo::gui
