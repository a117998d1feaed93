#include "gui/library/local_login_dialog.h"

#include <QPushButton>

#include "core/accounts/account_messages.h"
#include "core/config/error_msg_dialog.h"
#include "ui_local_login_dialog.h"

namespace zirvo::gui {

CLocalLoginDialog::CLocalLoginDialog(zirvo::CErrorMsgDialog& messages, const QString& account,
                                     QWidget* parent)
    : QDialog(parent), m_messages(messages), m_ui(std::make_unique<Ui::CLocalLoginDialog>()) {
    m_ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(kTextLoginDialogTitle));
    m_ui->promptLabel->setText(QString::fromUtf8(kTextLoginPrompt));
    m_ui->buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(kTextLoginButton));
    m_ui->accountLabel->setText(QStringLiteral("账户: %1").arg(account));
    m_ui->accountLabel->setVisible(!account.isEmpty());
    m_ui->passwordEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CLocalLoginDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &CLocalLoginDialog::reject);
}

CLocalLoginDialog::~CLocalLoginDialog() = default;

QString CLocalLoginDialog::Password() const {
    return m_ui->passwordEdit->text();
}

void CLocalLoginDialog::accept() {
    if (m_ui->passwordEdit->text().isEmpty()) {
        m_messages.ShowMessageBox(kTextEnterPassword);
        m_ui->passwordEdit->setFocus();
        return;
    }
    QDialog::accept();
}

bool AskLocalPassword(zirvo::CErrorMsgDialog& messages, const QString& account, QWidget* parent,
                      std::string& entered) {
    CLocalLoginDialog dialog(messages, account, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    entered = dialog.Password().toStdString();
    return true;
}

}  // namespace zirvo::gui
