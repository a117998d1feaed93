#pragma once
// The "博客" pane: one node per blog account (its description) with the five items below it,
// "已收日志", "已发日志", "草稿箱", "垃圾箱" and "我的博客". Every item carries its blog tree
// code (blog_tree_code.h) and shows its count as "[n]" when it is not 0; the account nodes open
// or closed as the registry's `expanded` says, and remember it there.
//
// The widget only shows: counts and names come from its owner (the library controller), which
// reads the store and the registry.
//
// Threading: window thread.

#include <QTreeWidget>
#include <string>
#include <vector>

#include "core/accounts/account_records.h"

namespace zirvo::gui {

class CBlogTreeWidget : public QTreeWidget {
    Q_OBJECT

public:
    explicit CBlogTreeWidget(QWidget* parent = nullptr);

    // Counts of the four article folders of account `index`, received first.
    using FolderCounts = std::vector<int>;

    void Build(const std::vector<AccountListEntry>& accounts,
               const std::vector<FolderCounts>& counts);
    // Appends the node of the account at registry position `index` (counts 0).
    void AppendAccount(int index, const AccountListEntry& account, const FolderCounts& counts);
    // Removes the account node of `code`; the accounts after it move up one position, and their
    // codes with them, as the registry's positions do.
    void RemoveAccount(int code);
    void SetAccountText(int code, const QString& description);
    // The count of a folder item; a code without an item is ignored.
    void SetCount(int code, int count);
    int Count(int code) const;

    QTreeWidgetItem* ItemOf(int code) const;
    static int CodeOf(const QTreeWidgetItem* item);
    // The shown text of an item (its name and the count), for tests.
    QString TextOf(int code) const;

signals:
    // A node was opened or closed by the user: registry position and 1/0.
    void ExpandedChanged(int position, int expanded);
    // Right click on an item.
    void ContextMenuRequested(int code, const QPoint& globalPos);

private:
    QTreeWidgetItem* MakeAccountItem(int index, const AccountListEntry& account,
                                     const FolderCounts& counts);
    void SetItemCode(QTreeWidgetItem* item, int code);
    void Redraw(QTreeWidgetItem* item);
};

}  // namespace zirvo::gui
