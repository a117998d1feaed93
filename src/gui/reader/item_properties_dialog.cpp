#include "gui/reader/item_properties_dialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zirvo::gui {

QString ItemPropertiesText(const RssItem& item) {
    return QString::fromStdString(item.title) + QStringLiteral("\n\n作者: ") +
           QString::fromStdString(item.author) + QStringLiteral("\n\n") +
           QString::fromStdString(item.date) + QStringLiteral("\n\n") +
           QString::fromStdString(item.link);
}

CItemPropertiesDialog::CItemPropertiesDialog(const RssItem& item, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Rss Item 属性"));
    setObjectName(QStringLiteral("itemPropertiesDialog"));
    auto* text = new QPlainTextEdit(ItemPropertiesText(item), this);
    text->setObjectName(QStringLiteral("itemPropertiesText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(460, 260);
}

}  // namespace zirvo::gui
