#pragma once
// The fixed texts of the account registry, the new-account wizard and the account settings
// sheet, shared by the programs and zirvo-cli so that every front end says the same thing.

namespace zirvo {

// Numbered messages of ErrorMsg.xml.
inline constexpr int kMsgXmlObject = 1000;
inline constexpr int kMsgUserConfigUnreadable = 6000;
inline constexpr int kMsgAccountElementMissing = 6001;
inline constexpr int kMsgAccountDeleteFailed = 6006;

// Registry.
inline constexpr const char* kTextDuplicateAccount = "已经有这个账户名了!";
inline constexpr const char* kTextLoadAccountFailed = "载入账户信息失败!";
inline constexpr const char* kTextDeleteAccountFailed = "删除账户失败!";
inline constexpr const char* kTextDeleteConfirm = "确定要删除此账户吗?\n删除将不可恢复!";
inline constexpr const char* kTextDeleteConfirmCaption = "删除提示";

// Local login.
inline constexpr const char* kTextLoginDialogTitle = "本地账户验证";
inline constexpr const char* kTextLoginPrompt = "请输入您的密码：";
inline constexpr const char* kTextLoginButton = "登录";
inline constexpr const char* kTextEnterPassword = "请输入密码!";
inline constexpr const char* kTextWrongPassword = "密码错误!";

// Wizard step 1.
inline constexpr const char* kTextEnterAccountName = "请输入账户名称";
inline constexpr const char* kTextIllegalNameCharacter = "账户名称含有不合法的字符!";
inline constexpr const char* kTextNameTooLong = "账户名称不能超过20个字符";
inline constexpr const char* kTextEnterDescription = "请输入账户描述";
// Wizard step 3 and the connection page.
inline constexpr const char* kTextEnterXmlRpcUrl = "请输入XML-RPC地址!";
inline constexpr const char* kTextEnterPort = "请输入端口号!";
inline constexpr const char* kTextInvalidPort = "请输入有效的端口号!(0 - 65535)";
// Wizard step 4 and the connection page.
inline constexpr const char* kTextEnterUserName = "请输入用户名!";
// kTextEnterPassword ("请输入密码!") serves the password field as well.
inline constexpr const char* kTextUserValid = "用户有效";
inline constexpr const char* kTextTestConnection = "测试连接";
inline constexpr const char* kTextConnecting = "连接中...";

// General page: the "默认获取日志数量" range check.
inline constexpr const char* kTextRecentPostsRange = "请输入一个介于 1 和 999 之间的整数。";

// Safe page.
inline constexpr const char* kTextEnterOldAccountPassword = "请输入原始的账户密码";
inline constexpr const char* kTextWrongOldAccountPassword = "原始的账户密码错误";
inline constexpr const char* kTextEnterFullPassword = "请输入完整的密码";
inline constexpr const char* kTextPasswordsDiffer = "两次输入的密码不同!";

// Permission page.
inline constexpr const char* kTextMarkVerified = "√";
inline constexpr const char* kTextMarkUnverified = "×";
inline constexpr const char* kTextPermissionWrongPassword = "您输入的密码有误!";

// Wizard captions.
inline constexpr const char* kTextWizardTitle = "新建账户向导";
inline constexpr const char* kTextWizardWelcome = "此向导将帮助您建立一个BLOG账户连接";
inline constexpr const char* kTextWizardStep1 = "第一步: 填写本地账户信息 (共5步)";
inline constexpr const char* kTextWizardStep2 = "第二步: 选择服务类型和编码类型 (共5步)";
inline constexpr const char* kTextWizardStep3 = "第三步: 填写BLOG接口地址 (共5步)";
inline constexpr const char* kTextWizardStep4 = "第四步: 填写用户BLOG接口账户和密码 (共5步)";
inline constexpr const char* kTextWizardStep5 = "第五步: 信息确认";

}  // namespace zirvo
