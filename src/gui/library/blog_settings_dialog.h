#pragma once
// "BLOG设置": the settings of the blog side as a whole. The page "账户" lists every account of
// the registry in its order (name, description, service, blog address, whether it asks for a
// local password) and opens the new-account wizard and an account's settings sheet from there;
// the list is read again after either, so added, renamed and deleted accounts show at once. The
// page "高级" is the blog clients' diagnostic mode.
//
// Threading: window thread.

#include <QDialog>
#include <functional>
#include <string>

class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace zirvo {
class CAccountRegistry;
class CAppConfig;
}  // namespace zirvo

namespace zirvo::gui {

class CDebugSettingsPage;

class CBlogSettingsDialog : public QDialog {
    Q_OBJECT

public:
    using NewAccountFn = std::function<void()>;
    using AccountSettingsFn = std::function<void(const std::string& account)>;

    CBlogSettingsDialog(CAppConfig& config, CAccountRegistry& registry, NewAccountFn newAccount,
                        AccountSettingsFn accountSettings, QWidget* parent);

    QTabWidget* Pages() const { return m_tabs; }
    QTreeWidget* Accounts() const { return m_accounts; }
    // Reads the accounts from the registry again.
    void ReloadAccounts();
    // The account settings of the selected row (the button, a double-click).
    void OpenSelected();
    void accept() override;

private:
    void RefreshButtons();

    CAccountRegistry& m_registry;
    NewAccountFn m_newAccount;
    AccountSettingsFn m_accountSettings;
    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_accounts = nullptr;
    QPushButton* m_settings = nullptr;
    CDebugSettingsPage* m_advanced = nullptr;
};

}  // namespace zirvo::gui
