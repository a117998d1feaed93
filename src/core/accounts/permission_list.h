#pragma once
// The "权限" page without its widgets: which accounts this account may publish to together.
//
// The left list holds the other accounts, each marked "√" (no local login protection, or its
// password was entered on this page) or "×" (protected, not yet verified). The right list
// ("我已有发布权限的账户") starts with the account itself, followed by its relation names; the
// account itself can never be moved out, and only "√" accounts can be moved in. What is written
// back to the account's `relation` element is the right list without the account itself.
//
// Threading: a value owned by the page; one thread at a time.

#include <string>
#include <vector>

#include "core/accounts/account_records.h"
#include "core/accounts/account_rules.h"

namespace zirvo {

struct PermissionRow {
    std::string name;
    bool verified = false;
    const char* Mark() const;  // "√" or "×"
};

class CPermissionList {
public:
    // `accounts` is the registry's list (the account itself among them), `relations` the
    // account's current relation names.
    CPermissionList(std::string self, const std::vector<AccountListEntry>& accounts,
                    const std::vector<std::string>& relations);

    const std::vector<PermissionRow>& Available() const { return m_available; }
    const std::vector<std::string>& Permitted() const { return m_permitted; }

    // ">": refused with "您需要输入账户 <name> 的密码" for an unverified account.
    RuleResult MoveIn(const std::string& name);
    // ">>": moves every account in list order, stopping at the first unverified one with the
    // same message.
    RuleResult MoveAllIn();
    // "<": false for the account itself or a name not in the list.
    bool MoveOut(const std::string& name);
    // "<<": everything but the account itself.
    void MoveAllOut();

    // Double-click on a "×" row: compares `entered` with that account's expected password
    // (ReadLoginSettings) and marks it "√" on a match; "您输入的密码有误!" otherwise, and
    // "请输入密码!" for an empty entry (the dialog stays open).
    RuleResult Verify(const std::string& name, const std::string& expectedPassword,
                      const std::string& entered);

    // The list for WriteRelations: the right list without the account itself.
    std::vector<std::string> Relations() const;

private:
    PermissionRow* FindAvailable(const std::string& name);

    std::string m_self;
    std::vector<PermissionRow> m_available;
    std::vector<std::string> m_permitted;
    // Verification marks survive moving an account out again.
    std::vector<PermissionRow> m_all;
};

// "您需要输入账户 " + name + " 的密码".
std::string NeedPasswordMessage(const std::string& name);

}  // namespace zirvo
