#pragma once
// The account settings sheet "帐户设置: NAME" with its five pages: "常规" (description, default
// number of posts to fetch), "连接" (endpoint, port, type, encoding, user, password, blog
// address), "编辑器和日志模版" (editor page and its functions, the article template), "权限"
// (accounts this one may publish to together) and "安全设置" (local login protection, deleting
// the account). Every check and every write is the core's; OK and "应用" apply the pages in
// order and stop at the first refusal, showing that page.
//
// Messages to the main window: 2166 (code, 99998) after the general page, 2167 after the
// template, 2166 (code, 99999) when the account was deleted (the sheet then closes).
//
// Threading: window thread.

#include <QDialog>
#include <memory>
#include <string>

#include "core/accounts/account_records.h"
#include "core/accounts/permission_list.h"
#include "gui/library/library_context.h"

namespace Ui {
class CAccountSettingsSheet;
}

namespace zirvo::gui {

// The pages in tab order.
inline constexpr int kPageGeneralIndex = 0;
inline constexpr int kPageConnectionIndex = 1;
inline constexpr int kPageEditorIndex = 2;
inline constexpr int kPagePermissionIndex = 3;
inline constexpr int kPageSafeIndex = 4;

class CAccountSettingsSheet : public QDialog {
    Q_OBJECT

public:
    // `treeCode` is the account's blog tree code (the wParam of the messages).
    CAccountSettingsSheet(const LibraryContext& context, const std::string& account, int treeCode,
                          QWidget* parent = nullptr);
    ~CAccountSettingsSheet() override;

    // False when the account could not be read ("载入账户信息失败!" has been shown): the sheet
    // is not to be opened.
    bool Loaded() const { return m_loaded; }
    // The account was deleted from the safe page.
    bool Deleted() const { return m_deleted; }

    // Applies every page; false when a page refused (it is shown).
    bool Apply();
    void accept() override;

private:
    bool Load();
    void LoadPermission();
    void LoadSafe();
    void ShowPermissionRows();
    bool ApplyGeneral();
    bool ApplyConnection();
    bool ApplyEditor();
    bool ApplyPermission();
    bool ApplySafe();
    void MoveIn(bool all);
    void MoveOut(bool all);
    void VerifyRow(const QString& name);
    void UpdateSafeEnabling();
    void Refuse(int page, const std::string& message, QWidget* focus);

    LibraryContext m_context;
    std::string m_account;
    int m_treeCode = 0;
    std::unique_ptr<Ui::CAccountSettingsSheet> m_ui;
    std::unique_ptr<CPermissionList> m_permission;
    AccountInfo m_info;
    int m_loginMode = 0;
    bool m_loaded = false;
    bool m_deleted = false;
};

}  // namespace zirvo::gui
