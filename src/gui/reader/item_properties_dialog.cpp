#include "gui/reader/item_properties_dialog.h"

#include <QPushButton>

#include "ui_item_properties_dialog.h"

namespace zirvo::gui {

namespace {
// Room for a long title on one line and the four fields with their blank lines, in the
// dialog's own font.
constexpr int kTextColumns = 80;
constexpr int kTextLines = 12;
}  // namespace

QString ItemPropertiesText(const RssItem& item) {
    return QString::fromStdString(item.title) + QStringLiteral("\n\n作者: ") +
           QString::fromStdString(item.author) + QStringLiteral("\n\n") +
           QString::fromStdString(item.date) + QStringLiteral("\n\n") +
           QString::fromStdString(item.link);
}

CItemPropertiesDialog::CItemPropertiesDialog(const RssItem& item, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ItemPropertiesDialog>()) {
    m_ui->setupUi(this);
    m_ui->itemPropertiesText->setPlainText(ItemPropertiesText(item));
    m_ui->buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const QFontMetrics metrics = m_ui->itemPropertiesText->fontMetrics();
    resize(sizeHint().expandedTo(
        QSize(metrics.averageCharWidth() * kTextColumns, metrics.lineSpacing() * kTextLines)));
}

CItemPropertiesDialog::~CItemPropertiesDialog() = default;

}  // namespace zirvo::gui
