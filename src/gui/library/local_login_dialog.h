#pragma once
// The local password dialog "本地账户验证" ("请输入您的密码：", "登录"): asked when a protected
// account is opened, and on the permission and multi-publish lists for a "×" account. Pressing
// "登录" with an empty field says "请输入密码!" and keeps the dialog open; the caller compares
// the text with the core's rule.
//
// Threading: window thread.

#include <QDialog>
#include <memory>

namespace Ui {
class CLocalLoginDialog;
}

namespace zirvo {
class CErrorMsgDialog;
}

namespace zirvo::gui {

class CLocalLoginDialog : public QDialog {
    Q_OBJECT

public:
    // `account` is named above the prompt when not empty.
    CLocalLoginDialog(zirvo::CErrorMsgDialog& messages, const QString& account,
                      QWidget* parent = nullptr);
    ~CLocalLoginDialog() override;

    QString Password() const;

    void accept() override;

private:
    zirvo::CErrorMsgDialog& m_messages;
    std::unique_ptr<Ui::CLocalLoginDialog> m_ui;
};

// Shows the dialog; true with `entered` set when the user pressed "登录" with a password.
bool AskLocalPassword(zirvo::CErrorMsgDialog& messages, const QString& account, QWidget* parent,
                      std::string& entered);

}  // namespace zirvo::gui
