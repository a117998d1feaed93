#include "core/publishing/multi_publish.h"

#include <algorithm>

#include "core/accounts/account_messages.h"
#include "core/accounts/account_registry.h"
#include "core/accounts/local_login.h"

namespace zirvo {

std::string SendingStatus(int step) {
    step = std::clamp(step, 1, 5);
    std::string bars;
    for (int i = 0; i < step; ++i) {
        bars += "▉";
    }
    // The last step shows the bars alone, just before the post number.
    return step == 5 ? bars : bars + "发送中";
}

std::string SentStatus(const std::string& postId) {
    return "发送成功!文章编号: " + postId;
}

std::string EnterPasswordOfMessage(const std::string& name) {
    return "请输入账户 " + name + " 的密码";
}

const char* MultiPublishRow::Mark() const {
    return permitted ? kTextMarkVerified : kTextMarkUnverified;
}

int BuildMultiPublishRows(CAccountRegistry& registry, const std::string& sourceAccount,
                          const VerifiedAccountTest& verified, std::vector<MultiPublishRow>& rows) {
    rows.clear();
    std::vector<AccountListEntry> accounts;
    std::vector<std::string> relations;
    if (!registry.ListAccounts(accounts) || !registry.ReadRelations(sourceAccount, relations)) {
        return 0;
    }
    for (size_t i = 0; i < accounts.size(); ++i) {
        const AccountListEntry& entry = accounts[i];
        MultiPublishRow row;
        row.account = entry.name;
        row.description = entry.description;
        row.apiType = entry.apiType;
        row.accountIndex = static_cast<int>(i);
        const bool related =
            std::find(relations.begin(), relations.end(), entry.name) != relations.end();
        if (entry.name == sourceAccount || related) {
            row.checked = true;
            row.permitted = true;
        } else {
            row.permitted =
                entry.localLoginVerify == kLoginOff || (verified && verified(entry.name));
        }
        rows.push_back(std::move(row));
    }
    return 1;
}

RuleResult VerifyMultiPublishRow(CAccountRegistry& registry, MultiPublishRow& row,
                                 const std::string& entered) {
    if (row.permitted) {
        return RuleResult::Pass();
    }
    if (entered.empty()) {
        return RuleResult::Fail(kTextEnterPassword, AccountField::kPassword);
    }
    LoginSettings settings;
    if (!registry.ReadLoginSettings(row.account, settings)) {
        return RuleResult::Fail(kTextPermissionWrongPassword, AccountField::kPassword);
    }
    if (settings.mode != kLoginOff && entered != settings.expectedPassword) {
        return RuleResult::Fail(kTextPermissionWrongPassword, AccountField::kPassword);
    }
    row.permitted = true;
    return RuleResult::Pass();
}

RuleResult CheckMultiPublishSelection(const std::vector<MultiPublishRow>& rows) {
    int checked = 0;
    for (const MultiPublishRow& row : rows) {
        if (!row.checked) {
            continue;
        }
        if (!row.permitted) {
            return RuleResult::Fail(EnterPasswordOfMessage(row.account), AccountField::kPassword);
        }
        ++checked;
    }
    if (checked == 0) {
        return RuleResult::Fail(kTextSelectOneAccount, AccountField::kNone);
    }
    if (checked > kMaxMultiPublishAccounts) {
        return RuleResult::Fail(kTextAtMostFiveAccounts, AccountField::kNone);
    }
    return RuleResult::Pass();
}

}  // namespace zirvo
