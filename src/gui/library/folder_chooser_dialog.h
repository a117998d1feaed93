#pragma once
// The folder chooser "账户目录" of "复制到" and "转移到": every account with its drafts and
// recycle bin as targets ("草稿箱  (n)", "垃圾箱  (n)"), except the folder the list shows. OK
// without a folder says "请选择一个文件夹!" and keeps the dialog open.
//
// Threading: window thread.

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/accounts/account_records.h"

namespace Ui {
class CFolderChooserDialog;
}

namespace zirvo {
class CBlogStore;
class CErrorMsgDialog;
}  // namespace zirvo

namespace zirvo::gui {

class CFolderChooserDialog : public QDialog {
    Q_OBJECT

public:
    CFolderChooserDialog(CBlogStore& store, zirvo::CErrorMsgDialog& messages,
                         const std::vector<AccountListEntry>& accounts,
                         const std::string& listAccount, int listFolder, QWidget* parent = nullptr);
    ~CFolderChooserDialog() override;

    const std::string& TargetAccount() const { return m_account; }
    int TargetFolder() const { return m_folder; }
    // Selects the target (tests and keyboard users); false when it is not offered.
    bool Choose(const std::string& account, int folder);

    void accept() override;

private:
    zirvo::CErrorMsgDialog& m_messages;
    std::unique_ptr<Ui::CFolderChooserDialog> m_ui;
    std::string m_account;
    int m_folder = 0;
};

}  // namespace zirvo::gui
