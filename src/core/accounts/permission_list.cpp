#include "core/accounts/permission_list.h"

#include <algorithm>

#include "core/accounts/account_messages.h"

namespace zirvo {

const char* PermissionRow::Mark() const {
    return verified ? kTextMarkVerified : kTextMarkUnverified;
}

std::string NeedPasswordMessage(const std::string& name) {
    return "您需要输入账户 " + name + " 的密码";
}

CPermissionList::CPermissionList(std::string self, const std::vector<AccountListEntry>& accounts,
                                 const std::vector<std::string>& relations)
    : m_self(std::move(self)) {
    m_permitted.push_back(m_self);
    for (const std::string& name : relations) {
        // The account itself never appears twice, whatever an old file holds.
        if (name != m_self &&
            std::find(m_permitted.begin(), m_permitted.end(), name) == m_permitted.end()) {
            m_permitted.push_back(name);
        }
    }
    for (const AccountListEntry& entry : accounts) {
        if (entry.name == m_self) {
            continue;
        }
        PermissionRow row{entry.name, entry.localLoginVerify == kLoginOff};
        m_all.push_back(row);
        if (std::find(m_permitted.begin(), m_permitted.end(), entry.name) == m_permitted.end()) {
            m_available.push_back(row);
        }
    }
}

PermissionRow* CPermissionList::FindAvailable(const std::string& name) {
    for (PermissionRow& row : m_available) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

RuleResult CPermissionList::MoveIn(const std::string& name) {
    PermissionRow* row = FindAvailable(name);
    if (row == nullptr) {
        return RuleResult::Pass();
    }
    if (!row->verified) {
        return RuleResult::Fail(NeedPasswordMessage(name), AccountField::kNone);
    }
    m_permitted.push_back(name);
    m_available.erase(m_available.begin() + (row - m_available.data()));
    return RuleResult::Pass();
}

RuleResult CPermissionList::MoveAllIn() {
    while (!m_available.empty()) {
        RuleResult result = MoveIn(m_available.front().name);
        if (!result.Ok()) {
            return result;
        }
    }
    return RuleResult::Pass();
}

bool CPermissionList::MoveOut(const std::string& name) {
    if (name == m_self) {
        return false;
    }
    auto it = std::find(m_permitted.begin(), m_permitted.end(), name);
    if (it == m_permitted.end()) {
        return false;
    }
    m_permitted.erase(it);
    for (const PermissionRow& row : m_all) {
        if (row.name == name) {
            m_available.push_back(row);
            return true;
        }
    }
    // A relation naming no registered account (renamed or removed by hand) simply goes away.
    return true;
}

void CPermissionList::MoveAllOut() {
    std::vector<std::string> names(m_permitted.begin() + 1, m_permitted.end());
    for (const std::string& name : names) {
        MoveOut(name);
    }
}

RuleResult CPermissionList::Verify(const std::string& name, const std::string& expectedPassword,
                                   const std::string& entered) {
    // The same password dialog as for opening an account: an empty entry is asked again.
    if (entered.empty()) {
        return RuleResult::Fail(kTextEnterPassword, AccountField::kPassword);
    }
    if (entered != expectedPassword) {
        return RuleResult::Fail(kTextPermissionWrongPassword, AccountField::kNone);
    }
    for (PermissionRow& row : m_all) {
        if (row.name == name) {
            row.verified = true;
        }
    }
    if (PermissionRow* row = FindAvailable(name)) {
        row->verified = true;
    }
    return RuleResult::Pass();
}

std::vector<std::string> CPermissionList::Relations() const {
    return std::vector<std::string>(m_permitted.begin() + 1, m_permitted.end());
}

}  // namespace zirvo
