// The settings sheet's "权限" and "安全设置" pages.

#include <QMessageBox>

#include "core/accounts/account_messages.h"
#include "core/accounts/account_removal.h"
#include "core/accounts/local_login.h"
#include "core/integration/window_message.h"
#include "gui/library/account_settings_sheet.h"
#include "gui/library/local_login_dialog.h"
#include "ui_account_settings_sheet.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// lParam of 2166: the account was deleted.
constexpr qint64 kAccountDeleted = 99999;

}  // namespace

void CAccountSettingsSheet::LoadPermission() {
    std::vector<AccountListEntry> accounts;
    std::vector<std::string> relations;
    if (!m_context.registry.ListAccounts(accounts) ||
        !m_context.registry.ReadRelations(m_account, relations)) {
        accounts.clear();
        relations.clear();
    }
    m_permission = std::make_unique<CPermissionList>(m_account, accounts, relations);
    ShowPermissionRows();
}

void CAccountSettingsSheet::ShowPermissionRows() {
    m_ui->availableList->clear();
    for (const PermissionRow& row : m_permission->Available()) {
        auto* item =
            new QTreeWidgetItem(m_ui->availableList, {QString::fromUtf8(row.Mark()), Q(row.name)});
        item->setTextAlignment(0, Qt::AlignCenter);
        if (!row.verified) {
            item->setToolTip(0, QString::fromStdString(NeedPasswordMessage(row.name)));
        }
    }
    m_ui->permittedList->clear();
    for (const std::string& name : m_permission->Permitted()) {
        m_ui->permittedList->addItem(Q(name));
    }
    // The account itself heads the list and stays there.
    if (QListWidgetItem* self = m_ui->permittedList->item(0)) {
        self->setFlags(self->flags() & ~Qt::ItemIsSelectable);
    }
}

void CAccountSettingsSheet::MoveIn(bool all) {
    RuleResult result;
    if (all) {
        result = m_permission->MoveAllIn();
    } else {
        for (QTreeWidgetItem* item : m_ui->availableList->selectedItems()) {
            result = m_permission->MoveIn(item->text(1).toStdString());
            if (!result.Ok()) {
                break;
            }
        }
    }
    ShowPermissionRows();
    if (!result.Ok()) {
        m_context.messages.ShowMessageBox(result.message);
    }
}

void CAccountSettingsSheet::MoveOut(bool all) {
    if (all) {
        m_permission->MoveAllOut();
    } else {
        for (QListWidgetItem* item : m_ui->permittedList->selectedItems()) {
            m_permission->MoveOut(item->text().toStdString());
        }
    }
    ShowPermissionRows();
}

void CAccountSettingsSheet::VerifyRow(const QString& name) {
    const std::string account = name.toStdString();
    for (const PermissionRow& row : m_permission->Available()) {
        if (row.name == account && row.verified) {
            return;
        }
    }
    LoginSettings login;
    if (!m_context.registry.ReadLoginSettings(account, login)) {
        return;
    }
    std::string entered;
    if (!AskLocalPassword(m_context.messages, name, this, entered)) {
        return;
    }
    const RuleResult result = m_permission->Verify(account, login.expectedPassword, entered);
    ShowPermissionRows();
    if (!result.Ok()) {
        m_context.messages.ShowMessageBox(result.message);
    }
}

bool CAccountSettingsSheet::ApplyPermission() {
    if (!m_context.registry.WriteRelations(m_account, m_permission->Relations())) {
        Refuse(kPagePermissionIndex, std::string(), nullptr);
        return false;
    }
    return true;
}

void CAccountSettingsSheet::LoadSafe() {
    LoginSettings login;
    if (m_context.registry.ReadLoginSettings(m_account, login)) {
        m_loginMode = login.mode;
    }
    m_ui->protectionGroup->setChecked(m_loginMode != kLoginOff);
    m_ui->localPasswordRadio->setChecked(m_loginMode == kLoginLocalPassword);
    m_ui->blogPasswordRadio->setChecked(m_loginMode != kLoginLocalPassword);
    m_ui->deleteAccountCheck->setChecked(false);
    UpdateSafeEnabling();
}

void CAccountSettingsSheet::UpdateSafeEnabling() {
    const bool on = m_ui->protectionGroup->isChecked();
    const bool local = on && m_ui->localPasswordRadio->isChecked();
    m_ui->oldPasswordEdit->setEnabled(local && m_loginMode == kLoginLocalPassword);
    m_ui->oldPasswordLabel->setEnabled(m_ui->oldPasswordEdit->isEnabled());
    for (QWidget* widget : {static_cast<QWidget*>(m_ui->newPasswordEdit),
                            static_cast<QWidget*>(m_ui->confirmPasswordEdit),
                            static_cast<QWidget*>(m_ui->newPasswordLabel),
                            static_cast<QWidget*>(m_ui->confirmPasswordLabel)}) {
        widget->setEnabled(local);
    }
    const bool deleting = m_ui->deleteAccountCheck->isChecked();
    m_ui->deletePasswordEdit->setEnabled(deleting);
    m_ui->deletePasswordLabel->setEnabled(deleting);
}

bool CAccountSettingsSheet::ApplySafe() {
    ProtectionRequest request;
    if (m_ui->protectionGroup->isChecked()) {
        request.choice = m_ui->localPasswordRadio->isChecked() ? ProtectionChoice::kLocalPassword
                                                               : ProtectionChoice::kBlogPassword;
    }
    request.oldPassword = m_ui->oldPasswordEdit->text().toStdString();
    request.newPassword = m_ui->newPasswordEdit->text().toStdString();
    request.confirmPassword = m_ui->confirmPasswordEdit->text().toStdString();
    if (!ApplyProtection(m_context.registry, m_account, request)) {
        Refuse(kPageSafeIndex, std::string(), m_ui->newPasswordEdit);
        return false;
    }
    LoginSettings login;
    if (m_context.registry.ReadLoginSettings(m_account, login)) {
        m_loginMode = login.mode;
    }
    m_ui->oldPasswordEdit->clear();
    m_ui->newPasswordEdit->clear();
    m_ui->confirmPasswordEdit->clear();
    UpdateSafeEnabling();

    if (!m_ui->deleteAccountCheck->isChecked()) {
        return true;
    }
    if (!VerifyDeletePassword(m_context.registry, m_account,
                              m_ui->deletePasswordEdit->text().toStdString())) {
        Refuse(kPageSafeIndex, std::string(), m_ui->deletePasswordEdit);
        return false;
    }
    const auto answer = QMessageBox::question(this, QString::fromUtf8(kTextDeleteConfirmCaption),
                                              QString::fromUtf8(kTextDeleteConfirm),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return false;
    }
    if (!RemoveAccount(m_context.registry, m_context.store, m_account)) {
        return false;
    }
    m_deleted = true;
    m_context.Send(kMsgBlogTreeUpdate, m_treeCode, kAccountDeleted);
    return true;
}

}  // namespace zirvo::gui
