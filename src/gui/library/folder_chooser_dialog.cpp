#include "gui/library/folder_chooser_dialog.h"

#include <QApplication>
#include <QStyle>

#include "core/articles/blog_store.h"
#include "core/config/error_msg_dialog.h"
#include "core/publishing/article_operations.h"
#include "ui_folder_chooser_dialog.h"

namespace zirvo::gui {

namespace {

constexpr int kAccountRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;

}  // namespace

CFolderChooserDialog::CFolderChooserDialog(CBlogStore& store, zirvo::CErrorMsgDialog& messages,
                                           const std::vector<AccountListEntry>& accounts,
                                           const std::string& listAccount, int listFolder,
                                           QWidget* parent)
    : QDialog(parent), m_messages(messages), m_ui(std::make_unique<Ui::CFolderChooserDialog>()) {
    m_ui->setupUi(this);
    QStyle* style = QApplication::style();
    for (const AccountListEntry& account : accounts) {
        auto* node =
            new QTreeWidgetItem(m_ui->folderTree, {QString::fromStdString(account.description)});
        node->setIcon(0, style->standardIcon(QStyle::SP_DirHomeIcon));
        node->setFlags(node->flags() & ~Qt::ItemIsSelectable);
        node->setToolTip(0, QString::fromStdString(account.name));
        for (int folder :
             {static_cast<int>(kBlogFolderDrafts), static_cast<int>(kBlogFolderRecycleBin)}) {
            if (!IsTransferTarget(listAccount, listFolder, account.name, folder)) {
                continue;
            }
            int count = 0;
            store.CountArticles(folder, account.name, count);
            auto* item =
                new QTreeWidgetItem(node, {QStringLiteral("%1  (%2)")
                                               .arg(QString::fromUtf8(BlogFolderName(folder)))
                                               .arg(count)});
            item->setData(0, kAccountRole, QString::fromStdString(account.name));
            item->setData(0, kFolderRole, folder);
            item->setIcon(0,
                          style->standardIcon(folder == kBlogFolderDrafts ? QStyle::SP_FileIcon
                                                                          : QStyle::SP_TrashIcon));
        }
        node->setExpanded(true);
    }
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CFolderChooserDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &CFolderChooserDialog::reject);
    connect(m_ui->folderTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, kFolderRole).toInt() != 0) {
            accept();
        }
    });
}

CFolderChooserDialog::~CFolderChooserDialog() = default;

bool CFolderChooserDialog::Choose(const std::string& account, int folder) {
    const QString name = QString::fromStdString(account);
    for (int i = 0; i < m_ui->folderTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = m_ui->folderTree->topLevelItem(i);
        for (int c = 0; c < node->childCount(); ++c) {
            QTreeWidgetItem* item = node->child(c);
            if (item->data(0, kAccountRole).toString() == name &&
                item->data(0, kFolderRole).toInt() == folder) {
                m_ui->folderTree->setCurrentItem(item);
                return true;
            }
        }
    }
    return false;
}

void CFolderChooserDialog::accept() {
    QTreeWidgetItem* item = m_ui->folderTree->currentItem();
    const int folder = item == nullptr ? 0 : item->data(0, kFolderRole).toInt();
    if (folder == 0) {
        m_messages.ShowMessageBox("请选择一个文件夹!");
        return;
    }
    m_account = item->data(0, kAccountRole).toString().toStdString();
    m_folder = folder;
    QDialog::accept();
}

}  // namespace zirvo::gui
