#pragma once
// "Rss Item 属性": one read-only text with the item's title, author, date and link.
// Threading: window thread.

#include <QDialog>
#include <QString>
#include <memory>

#include "core/feeds/rss_item.h"

namespace Ui {
class ItemPropertiesDialog;
}

namespace zirvo::gui {

// The dialog's text: title, "\n\n作者: " author, "\n\n" date, "\n\n" link.
QString ItemPropertiesText(const RssItem& item);

class CItemPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    CItemPropertiesDialog(const RssItem& item, QWidget* parent = nullptr);
    ~CItemPropertiesDialog() override;

private:
    std::unique_ptr<Ui::ItemPropertiesDialog> m_ui;
};

}  // namespace zirvo::gui
