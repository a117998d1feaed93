#include "core/accounts/account_removal.h"

#include "core/accounts/account_messages.h"
#include "core/accounts/account_registry.h"
#include "core/accounts/local_login.h"
#include "core/articles/blog_store.h"

namespace zirvo {

int VerifyDeletePassword(CAccountRegistry& registry, const std::string& name,
                         const std::string& entered) {
    std::string stored;
    if (!registry.ReadAccountValue(name, "password", stored)) {
        return 0;
    }
    RuleResult check = CheckDeletePassword(stored, entered);
    if (!check.Ok()) {
        registry.Messages().ShowMessageBox(check.message);
        return 0;
    }
    return 1;
}

int RemoveAccount(CAccountRegistry& registry, CBlogStore& store, const std::string& name) {
    if (!registry.DeleteAccount(name) || !store.DeleteAccountArticles(name)) {
        registry.Messages().ShowMessageBox(kTextDeleteAccountFailed);
        return 0;
    }
    return 1;
}

}  // namespace zirvo
