#include "gui/library/account_chooser_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "core/config/error_msg_dialog.h"
#include "core/editorlink/editor_task.h"

namespace zirvo::gui {

CAccountChooserDialog::CAccountChooserDialog(zirvo::CErrorMsgDialog& messages,
                                             const std::vector<std::string>& accounts,
                                             QWidget* parent)
    : QDialog(parent), m_messages(messages) {
    setObjectName(QStringLiteral("CAccountChooserDialog"));
    setWindowTitle(QString::fromUtf8(kTextChooserTitle));
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("accountList"));
    for (const std::string& name : accounts) {
        m_list->addItem(QString::fromStdString(name));
    }
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAccountChooserDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAccountChooserDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    resize(320, 280);
}

void CAccountChooserDialog::accept() {
    QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected()) {
        m_messages.ShowMessageBox(kTextChooseAccount);
        return;
    }
    m_chosen = item->text().toStdString();
    QDialog::accept();
}

}  // namespace zirvo::gui
