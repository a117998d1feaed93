#pragma once
// Local login protection of an account and the settings that change it: the password question
// asked when an account is opened, the "安全设置" page's rules for turning protection on and
// off, and the blog password asked before an account is deleted.
//
// Threading: the pure functions run on any thread; ApplyProtection uses the registry on the
// calling thread.

#include <string>
#include <string_view>

#include "core/accounts/account_records.h"
#include "core/accounts/account_rules.h"

namespace zirvo {

class CAccountRegistry;

enum class LoginVerdict {
    kPass,      // open the account
    kAskAgain,  // nothing entered: show the message and keep the password dialog open
    kWrong,     // wrong password: show the message; the account stays closed
};

struct LoginCheck {
    LoginVerdict verdict = LoginVerdict::kPass;
    std::string message;
};

// Whether opening the account asks for a password at all.
bool NeedsLocalLogin(const LoginSettings& settings);
// The "本地账户验证" dialog's decision for the text entered (exact byte comparison).
LoginCheck VerifyLocalLogin(const LoginSettings& settings, std::string_view entered);

// What the "安全设置" page asks for.
enum class ProtectionChoice {
    kOff,
    kBlogPassword,   // "使用用户博客的密码进行本机登陆验证"
    kLocalPassword,  // "使用本机帐户密码登陆"
};

struct ProtectionRequest {
    ProtectionChoice choice = ProtectionChoice::kOff;
    std::string oldPassword;  // "输入上次的账户密码:", looked at only when mode is already 2
    std::string newPassword;      // "新密码:"
    std::string confirmPassword;  // "确认密码:"
};

struct ProtectionDecision {
    RuleResult result;   // a refusal to show; nothing is written then
    bool write = false;  // false also when the request leaves everything as it is
    int mode = kLoginOff;
    std::string accountPassword;
};

// `currentMode` and `storedAccountPassword` are what the account holds now.
ProtectionDecision DecideProtection(const ProtectionRequest& request, int currentMode,
                                    const std::string& storedAccountPassword);

// Reads the account's current settings, decides, shows a refusal as a message box and writes
// the new settings. 1 when the request was applied (or changed nothing), 0 otherwise.
int ApplyProtection(CAccountRegistry& registry, const std::string& name,
                    const ProtectionRequest& request);

// The blog password asked before an account is deleted: "请输入密码!" when empty, "密码错误!"
// when it differs from the stored one.
RuleResult CheckDeletePassword(std::string_view storedBlogPassword, std::string_view entered);

}  // namespace zirvo
