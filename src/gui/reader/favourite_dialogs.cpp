#include "gui/reader/favourite_dialogs.h"

#include <QDateTime>
#include <QPushButton>
#include <QTreeWidgetItemIterator>

#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/favourite_tree.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/subscription_dialogs.h"
#include "ui_favourite_item_dialog.h"
#include "ui_favourite_node_dialog.h"
#include "ui_keep_favourite_dialog.h"

namespace zirvo::gui {

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace

// ---- name and home page --------------------------------------------------------------------

CFavouriteNodeDialog::CFavouriteNodeDialog(Kind kind, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_ui(std::make_unique<Ui::CFavouriteNodeDialog>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("favouriteNodeDialog"));
    const bool folder = kind == Kind::NewFolder || kind == Kind::FolderProperties;
    const bool adding = kind == Kind::NewNode || kind == Kind::NewFolder;
    setWindowTitle(adding ? (folder ? QStringLiteral("收藏夹") : QStringLiteral("收藏节点"))
                          : QStringLiteral("属性"));
    m_ui->toRoot->setVisible(adding);
    m_ui->buttons->button(QDialogButtonBox::Ok)
        ->setText(adding ? QStringLiteral("添加") : QStringLiteral("确定"));
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CFavouriteNodeDialog::~CFavouriteNodeDialog() = default;

void CFavouriteNodeDialog::SetValues(const QString& title, const QString& homeUrl) {
    m_ui->titleEdit->setText(title);
    m_ui->homeEdit->setText(homeUrl);
}

QString CFavouriteNodeDialog::Title() const {
    return m_ui->titleEdit->text().trimmed();
}

QString CFavouriteNodeDialog::HomeUrl() const {
    return m_ui->homeEdit->text().trimmed();
}

bool CFavouriteNodeDialog::ToRoot() const {
    return m_ui->toRoot->isVisible() && m_ui->toRoot->isChecked();
}

void CFavouriteNodeDialog::accept() {
    const bool folder = m_kind == Kind::NewFolder || m_kind == Kind::FolderProperties;
    const FieldCheck check = folder ? CheckFolderFields(S(Title()), S(HomeUrl()))
                                    : CheckFavouriteNodeFields(S(Title()), S(HomeUrl()));
    if (!check.ok) {
        ShowReaderMessage(this, QString::fromStdString(check.message));
        (check.field == DialogField::HomeUrl ? m_ui->homeEdit : m_ui->titleEdit)->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- an item by hand -------------------------------------------------------------------------

CFavouriteItemDialog::CFavouriteItemDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFavouriteItemDialog>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("favouriteItemDialog"));
    m_ui->timeEdit->setText(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    m_ui->buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("添加"));
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CFavouriteItemDialog::~CFavouriteItemDialog() = default;

void CFavouriteItemDialog::SetValues(const QString& title, const QString& link,
                                     const QString& author, const QString& summary) {
    m_ui->titleEdit->setText(title);
    m_ui->linkEdit->setText(link);
    m_ui->authorEdit->setText(author);
    m_ui->summaryEdit->setPlainText(summary);
}

QString CFavouriteItemDialog::Title() const {
    return m_ui->titleEdit->text().trimmed();
}
QString CFavouriteItemDialog::Link() const {
    return m_ui->linkEdit->text().trimmed();
}
QString CFavouriteItemDialog::Time() const {
    return m_ui->timeEdit->text().trimmed();
}
QString CFavouriteItemDialog::Author() const {
    return m_ui->authorEdit->text().trimmed();
}
QString CFavouriteItemDialog::Summary() const {
    return m_ui->summaryEdit->toPlainText();
}

void CFavouriteItemDialog::accept() {
    const FieldCheck check =
        CheckFavouriteItemFields(S(Title()), S(Link()), S(Time()), S(Author()), S(Summary()));
    if (!check.ok) {
        ShowReaderMessage(this, QString::fromStdString(check.message));
        QWidget* field = m_ui->titleEdit;
        switch (check.field) {
            case DialogField::Link:
                field = m_ui->linkEdit;
                break;
            case DialogField::Time:
                field = m_ui->timeEdit;
                break;
            case DialogField::Author:
                field = m_ui->authorEdit;
                break;
            case DialogField::Summary:
                field = m_ui->summaryEdit;
                break;
            default:
                break;
        }
        field->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- where to keep an item -----------------------------------------------------------------

CKeepFavouriteDialog::CKeepFavouriteDialog(CFavouriteTree& favourites, NodeId preselect,
                                           QWidget* parent)
    : QDialog(parent),
      m_favourites(favourites),
      m_ui(std::make_unique<Ui::CKeepFavouriteDialog>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("keepFavouriteDialog"));
    m_ui->buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("收藏"));
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (NodeId id : m_favourites.Tree().Children(kNoNode)) {
        AddItems(id, nullptr);
    }
    m_ui->places->expandAll();
    connect(m_ui->places, &QTreeWidget::currentItemChanged, this,
            &CKeepFavouriteDialog::UpdateButton);
    connect(m_ui->places, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (Chosen() != kNoNode) {
            accept();
        }
    });
    Choose(preselect);
    UpdateButton();
}

CKeepFavouriteDialog::~CKeepFavouriteDialog() = default;

void CKeepFavouriteDialog::AddItems(NodeId id, QTreeWidgetItem* parent) {
    const std::optional<ChannelNode> node = m_favourites.Tree().Node(id);
    if (!node) {
        return;
    }
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_ui->places);
    item->setText(0, QString::fromStdString(node->caption));
    item->setData(0, kNodeRole, id);
    const bool isNode = CFavouriteTree::FolderIdOf(*node) != 0;
    item->setIcon(0, TreeImage(isNode ? kImageChannel : kImageFolder));
    for (NodeId child : node->children) {
        AddItems(child, item);
    }
}

NodeId CKeepFavouriteDialog::Chosen() const {
    const QTreeWidgetItem* item = m_ui->places->currentItem();
    if (item == nullptr) {
        return kNoNode;
    }
    const NodeId id = item->data(0, kNodeRole).toInt();
    return m_favourites.FolderIdOf(id) != 0 ? id : kNoNode;
}

void CKeepFavouriteDialog::Choose(NodeId node) {
    for (QTreeWidgetItemIterator it(m_ui->places); *it; ++it) {
        if ((*it)->data(0, kNodeRole).toInt() == node) {
            m_ui->places->setCurrentItem(*it);
            return;
        }
    }
}

void CKeepFavouriteDialog::UpdateButton() {
    m_ui->buttons->button(QDialogButtonBox::Ok)->setEnabled(Chosen() != kNoNode);
}

}  // namespace zirvo::gui
