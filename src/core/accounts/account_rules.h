#pragma once
// The field rules of the new-account wizard and of the account settings sheet, without widgets:
// each check returns the message box text of the first rule that fails and the field the
// dialog should put the focus in, or an empty result when the input passes.
//
// Threading: pure functions, any thread.

#include <string>
#include <string_view>

#include "core/accounts/account_records.h"

namespace zirvo {

enum class AccountField {
    kNone,
    kName,
    kDescription,
    kXmlRpcUrl,
    kPort,
    kUserName,
    kPassword,
    kBlogUrl,
    kRecentPostsNum,
    kOldAccountPassword,
    kNewAccountPassword,
    kConfirmAccountPassword,
};

struct RuleResult {
    std::string message;  // empty when the input passes
    AccountField field = AccountField::kNone;

    bool Ok() const { return message.empty(); }
    static RuleResult Pass() { return {}; }
    static RuleResult Fail(std::string text, AccountField focus) {
        return RuleResult{std::move(text), focus};
    }
};

// Longest account name, in bytes of its GB18030 form (ten Chinese characters).
inline constexpr size_t kMaxAccountNameBytes = 20;
// The characters an account name may not hold: the name becomes part of file names and paths.
inline constexpr std::string_view kForbiddenNameCharacters = "/\\:*?\"'<>|%";

// The fixed secure MetaWeblog endpoint filled in for "MSN Spaces" accounts.
inline constexpr const char* kMsnSpacesEndpoint =
    "https://storage.msn.com/storageservice/MetaWeblog.rpc";
inline constexpr const char* kMsnSpacesPort = "443";
// What step 3 shows before anything is chosen.
inline constexpr const char* kDefaultEndpoint = "http://";
inline constexpr const char* kDefaultPort = "80";

// Step 1: name, then description. A name of blanks only counts as empty; control characters
// and bytes that are not UTF-8 are refused like the forbidden characters.
RuleResult CheckAccountName(std::string_view name);
// Only the blank, control-character and UTF-8 rules of CheckAccountName: what every account
// name must pass however it is created.
RuleResult CheckAccountNameText(std::string_view name);
RuleResult CheckAccountDescription(std::string_view description);
RuleResult CheckAccountStep1(std::string_view name, std::string_view description);

// Step 3: endpoint present, port present and a number from 0 to 65535.
RuleResult CheckEndpoint(std::string_view xmlrpcUrl, std::string_view port);
// The port field after the endpoint text changed: "443" when the endpoint starts with "https"
// (any case), otherwise the port as it was.
std::string PortAfterEndpointChange(std::string_view xmlrpcUrl, std::string_view currentPort);

// Step 4: user name, then password.
RuleResult CheckCredentials(std::string_view userName, std::string_view password);

// Every wizard check in page order (steps 1, 3 and 4): what "完成" would have let through.
RuleResult CheckNewAccount(const NewAccount& account);

// The connection page's OK: endpoint, user name, password, in this order.
RuleResult CheckConnectionPage(std::string_view xmlrpcUrl, std::string_view userName,
                               std::string_view password);

// The general page's "默认获取日志数量": 1 to 999.
RuleResult CheckRecentPostsNum(long long count);
RuleResult CheckRecentPostsNumText(std::string_view text);

}  // namespace zirvo

namespace zirvo {

// Where "我的博客" goes when an account has no usable blog address.
inline constexpr const char* kDefaultBlogServiceAddress = "https://wordpress.com/";
// The account's `blogurl`, or the default service address when it is empty or only "http://"
// (any letter case).
std::string MyBlogAddress(const std::string& blogUrl);

}  // namespace zirvo
