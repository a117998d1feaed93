#include "core/accounts/local_login.h"

#include "core/accounts/account_messages.h"
#include "core/accounts/account_registry.h"

namespace zirvo {

bool NeedsLocalLogin(const LoginSettings& settings) {
    return settings.mode != kLoginOff;
}

LoginCheck VerifyLocalLogin(const LoginSettings& settings, std::string_view entered) {
    if (!NeedsLocalLogin(settings)) {
        return {};
    }
    if (entered.empty()) {
        return {LoginVerdict::kAskAgain, kTextEnterPassword};
    }
    if (entered != settings.expectedPassword) {
        return {LoginVerdict::kWrong, kTextWrongPassword};
    }
    return {};
}

ProtectionDecision DecideProtection(const ProtectionRequest& request, int currentMode,
                                    const std::string& storedAccountPassword) {
    ProtectionDecision decision;
    switch (request.choice) {
        case ProtectionChoice::kOff:
            decision.write = true;
            decision.mode = kLoginOff;
            return decision;
        case ProtectionChoice::kBlogPassword:
            decision.write = true;
            decision.mode = kLoginBlogPassword;
            return decision;
        case ProtectionChoice::kLocalPassword:
            break;
    }
    if (currentMode == kLoginLocalPassword) {
        if (request.oldPassword.empty() && request.newPassword.empty() &&
            request.confirmPassword.empty()) {
            return decision;  // already protected this way and nothing typed: keep it
        }
        if (request.oldPassword.empty()) {
            decision.result =
                RuleResult::Fail(kTextEnterOldAccountPassword, AccountField::kOldAccountPassword);
            return decision;
        }
        if (request.oldPassword != storedAccountPassword) {
            decision.result =
                RuleResult::Fail(kTextWrongOldAccountPassword, AccountField::kOldAccountPassword);
            return decision;
        }
    }
    if (request.newPassword.empty() || request.confirmPassword.empty()) {
        decision.result =
            RuleResult::Fail(kTextEnterFullPassword, request.newPassword.empty()
                                                         ? AccountField::kNewAccountPassword
                                                         : AccountField::kConfirmAccountPassword);
        return decision;
    }
    if (request.newPassword != request.confirmPassword) {
        decision.result =
            RuleResult::Fail(kTextPasswordsDiffer, AccountField::kConfirmAccountPassword);
        return decision;
    }
    decision.write = true;
    decision.mode = kLoginLocalPassword;
    decision.accountPassword = request.newPassword;
    return decision;
}

int ApplyProtection(CAccountRegistry& registry, const std::string& name,
                    const ProtectionRequest& request) {
    LoginSettings current;
    if (!registry.ReadLoginSettings(name, current)) {
        return 0;
    }
    // In mode 2 the expected password is the stored account password.
    ProtectionDecision decision = DecideProtection(request, current.mode, current.expectedPassword);
    if (!decision.result.Ok()) {
        registry.Messages().ShowMessageBox(decision.result.message);
        return 0;
    }
    if (!decision.write) {
        return 1;
    }
    return registry.WriteLoginSettings(name, decision.mode, decision.accountPassword);
}

RuleResult CheckDeletePassword(std::string_view storedBlogPassword, std::string_view entered) {
    if (entered.empty()) {
        return RuleResult::Fail(kTextEnterPassword, AccountField::kPassword);
    }
    if (entered != storedBlogPassword) {
        return RuleResult::Fail(kTextWrongPassword, AccountField::kPassword);
    }
    return RuleResult::Pass();
}

}  // namespace zirvo
