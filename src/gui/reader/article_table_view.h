#pragma once
// The article list's view: a table over CArticleListModel with the RSS column widths, group
// header rows spanning the table, and the keys of the list (arrows move and show the item,
// Enter opens it, Space pages the article). It tells whether the current row changed by a
// mouse press (a click marks the row read) or by the keyboard (the row is only shown).
// A click on a column header asks for the list in that column's order (SortRequested); the
// view never sorts rows itself, since a page holds only part of the list.
//
// Threading: window thread.

#include <QTableView>

namespace zirvo::gui {

class CArticleListModel;

class CArticleTableView : public QTableView {
    Q_OBJECT
public:
    explicit CArticleTableView(QWidget* parent = nullptr);

    void SetListModel(CArticleListModel* model);
    // Spans the group header rows and hides the rows of collapsed groups.
    void ApplyGroups();
    void SetAllGroupsCollapsed(bool collapsed);
    bool ChangingByMouse() const { return m_mouseChange; }
    // Moves the current row by `delta` item rows (skipping headers and hidden rows).
    void MoveCurrent(int delta);
    // What an empty list says in its middle.
    void SetEmptyText(const QString& text);
    // Makes the date column as wide as a stored date ("%d-%.2d-%.2d %.2d:%.2d:%.2d") drawn in
    // `font`, and its header, need.
    void FitDateColumn(const QFont& font);
    // The header's sort indicator, without asking for a sort; column -1 shows none.
    void ShowSortIndicator(int column, Qt::SortOrder order);

signals:
    void SortRequested(int column, Qt::SortOrder order);
    void RowPressed(int row, int column);
    void OpenRequested(int row);
    void PageArticleRequested();
    void ContextMenuAt(int row, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_emptyText;
    CArticleListModel* m_model = nullptr;
    bool m_mouseChange = false;
    QSet<int> m_collapsed;  // header rows of collapsed groups
};

}  // namespace zirvo::gui
