#pragma once
// Deleting an account from the settings sheet's "注销帐户" group: the blog password asked
// first, then (after the user's Yes to "确定要删除此账户吗?\n删除将不可恢复!") the account's
// removal from the registry and of its articles from the article store.
//
// Threading: the window thread of either program (the store's own threading rules apply).

#include <string>

namespace zirvo {

class CAccountRegistry;
class CBlogStore;

// Compares `entered` with the account's stored blog password; shows "请输入密码!" or
// "密码错误!" as a message box and returns 0 when they do not match (or the account cannot be
// read, message shown by the registry).
int VerifyDeletePassword(CAccountRegistry& registry, const std::string& name,
                         const std::string& entered);

// Removes the account (and relation entries naming it), then its articles from `store` (opened
// by the caller). Articles are only removed once the registry has let the account go, so a
// failed registry write never leaves an account without its articles. Either failure shows
// "删除账户失败!" and returns 0.
int RemoveAccount(CAccountRegistry& registry, CBlogStore& store, const std::string& name);

}  // namespace zirvo
