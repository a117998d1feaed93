#include "gui/library/blog_tree_widget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QStyle>

#include "core/articles/blog_article.h"
#include "core/editorlink/blog_tree_code.h"

namespace zirvo::gui {

namespace {

constexpr int kCodeRole = Qt::UserRole;
constexpr int kCountRole = Qt::UserRole + 1;
constexpr int kNameRole = Qt::UserRole + 2;

// The item colours of the system (its COLORREF values are 0x00BBGGRR).
QColor FromColorRef(unsigned value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

struct FolderLook {
    int folder;
    const char* name;
    const char* themeIcon;
    QStyle::StandardPixmap fallback;
    unsigned colour;
};

const FolderLook kAccountLook = {kTreeAccountNode, "", "user-identity", QStyle::SP_DirHomeIcon,
                                 0xC80000};
const FolderLook kFolderLooks[] = {
    {kTreeReceived, "已收日志", "mail-folder-inbox", QStyle::SP_DirOpenIcon, 0xC80000},
    {kTreePublished, "已发日志", "mail-folder-sent", QStyle::SP_DialogApplyButton, 0xC80000},
    {kTreeDrafts, "草稿箱", "document-edit", QStyle::SP_FileIcon, 0x0000EE},
    {kTreeRecycleBin, "垃圾箱", "user-trash", QStyle::SP_TrashIcon, 0x828282},
    {kTreeMyBlog, "我的博客", "applications-internet", QStyle::SP_DriveNetIcon, 0xC80000},
};

QIcon LookIcon(const FolderLook& look) {
    return QIcon::fromTheme(QString::fromLatin1(look.themeIcon),
                            QApplication::style()->standardIcon(look.fallback));
}

void Style(QTreeWidgetItem* item, const FolderLook& look) {
    item->setIcon(0, LookIcon(look));
    item->setForeground(0, FromColorRef(look.colour));
}

}  // namespace

CBlogTreeWidget::CBlogTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("blogTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { emit ExpandedChanged(indexOfTopLevelItem(item), 1); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { emit ExpandedChanged(indexOfTopLevelItem(item), 0); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* item = itemAt(pos);
        if (item == nullptr) {
            return;
        }
        setCurrentItem(item);
        emit ContextMenuRequested(CodeOf(item), viewport()->mapToGlobal(pos));
    });
}

int CBlogTreeWidget::CodeOf(const QTreeWidgetItem* item) {
    return item == nullptr ? 0 : item->data(0, kCodeRole).toInt();
}

void CBlogTreeWidget::SetItemCode(QTreeWidgetItem* item, int code) {
    item->setData(0, kCodeRole, code);
}

QTreeWidgetItem* CBlogTreeWidget::MakeAccountItem(int index, const AccountListEntry& account,
                                                  const FolderCounts& counts) {
    auto* node = new QTreeWidgetItem;
    SetItemCode(node, BlogTreeCode(index, kTreeAccountNode));
    node->setData(0, kNameRole, QString::fromStdString(account.description));
    node->setData(0, kCountRole, 0);
    node->setToolTip(0, QString::fromStdString(account.name));
    Style(node, kAccountLook);
    Redraw(node);
    for (const FolderLook& look : kFolderLooks) {
        auto* child = new QTreeWidgetItem(node);
        SetItemCode(child, BlogTreeCode(index, look.folder));
        child->setData(0, kNameRole, QString::fromUtf8(look.name));
        const size_t slot = static_cast<size_t>(look.folder - 1);
        const bool counted = IsBlogFolder(look.folder) && slot < counts.size();
        child->setData(0, kCountRole, counted ? counts[slot] : 0);
        Style(child, look);
        Redraw(child);
    }
    return node;
}

void CBlogTreeWidget::Build(const std::vector<AccountListEntry>& accounts,
                            const std::vector<FolderCounts>& counts) {
    QSignalBlocker block(this);
    clear();
    for (size_t i = 0; i < accounts.size(); ++i) {
        QTreeWidgetItem* node = MakeAccountItem(static_cast<int>(i), accounts[i],
                                                i < counts.size() ? counts[i] : FolderCounts{});
        addTopLevelItem(node);
        node->setExpanded(accounts[i].expanded != 0);
    }
}

void CBlogTreeWidget::AppendAccount(int index, const AccountListEntry& account,
                                    const FolderCounts& counts) {
    QSignalBlocker block(this);
    QTreeWidgetItem* node = MakeAccountItem(index, account, counts);
    addTopLevelItem(node);
    node->setExpanded(account.expanded != 0);
}

void CBlogTreeWidget::RemoveAccount(int code) {
    QTreeWidgetItem* node = ItemOf(TreeCodeAccountNode(code));
    if (node == nullptr) {
        return;
    }
    delete node;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* account = topLevelItem(i);
        SetItemCode(account, BlogTreeCode(i, kTreeAccountNode));
        for (int c = 0; c < account->childCount(); ++c) {
            QTreeWidgetItem* child = account->child(c);
            SetItemCode(child, BlogTreeCode(i, TreeCodeFolder(CodeOf(child))));
        }
    }
}

QTreeWidgetItem* CBlogTreeWidget::ItemOf(int code) const {
    const int index = TreeCodeAccountIndex(code);
    if (index < 0 || index >= topLevelItemCount() || code % 10 != 0) {
        return nullptr;
    }
    QTreeWidgetItem* node = topLevelItem(index);
    const int folder = TreeCodeFolder(code);
    if (folder == kTreeAccountNode) {
        return node;
    }
    for (int c = 0; c < node->childCount(); ++c) {
        if (CodeOf(node->child(c)) == code) {
            return node->child(c);
        }
    }
    return nullptr;
}

void CBlogTreeWidget::SetAccountText(int code, const QString& description) {
    if (QTreeWidgetItem* node = ItemOf(TreeCodeAccountNode(code))) {
        node->setData(0, kNameRole, description);
        Redraw(node);
    }
}

void CBlogTreeWidget::SetCount(int code, int count) {
    QTreeWidgetItem* item = ItemOf(code);
    if (item == nullptr || !IsBlogFolder(TreeCodeFolder(code))) {
        return;
    }
    item->setData(0, kCountRole, count);
    Redraw(item);
}

int CBlogTreeWidget::Count(int code) const {
    const QTreeWidgetItem* item = ItemOf(code);
    return item == nullptr ? 0 : item->data(0, kCountRole).toInt();
}

QString CBlogTreeWidget::TextOf(int code) const {
    const QTreeWidgetItem* item = ItemOf(code);
    return item == nullptr ? QString() : item->text(0);
}

void CBlogTreeWidget::Redraw(QTreeWidgetItem* item) {
    QString text = item->data(0, kNameRole).toString();
    const int count = item->data(0, kCountRole).toInt();
    if (count != 0) {
        text += QStringLiteral("[%1]").arg(count);
    }
    item->setText(0, text);
}

}  // namespace zirvo::gui
