#pragma once
// Publishing one article to several accounts at once ("发布到多个博客(&U)...") without the
// dialog: its rows with their permission marks, the password check of a "×" row, the check of
// "发布", and the texts of the status column. The jobs themselves are CPublishJobs'.
//
// Rows follow the registry's order. The source account's row is checked and marked "√"; an
// account in the source account's relation list likewise; any other account is unchecked and
// marked "√" when it needs no local login (protection off, or already verified since the
// program started) and "×" when it does.
//
// Threading: values and functions of the calling thread.

#include <functional>
#include <string>
#include <vector>

#include "core/accounts/account_rules.h"
#include "core/articles/blog_article.h"
#include "core/blogapi/blog_post.h"

namespace zirvo {

class CAccountRegistry;

// At most this many accounts take one article at once.
inline constexpr int kMaxMultiPublishAccounts = 5;

inline constexpr const char* kTextMultiPublishCaption =
    "选择这篇文章要发布到的博客(如没有权限双击该行输入密码验证)";
inline constexpr const char* kTextMultiPublishButton = "发布";
inline constexpr const char* kTextSelectOneAccount = "请至少选择一个要发布的帐户!";
inline constexpr const char* kTextAtMostFiveAccounts = "您最多只能选择同时发布到 5 个账户!";
inline constexpr const char* kTextSendFailed = "发送失败!";
// The status column while a row's post is on its way, step 1 to 5 of the animation.
std::string SendingStatus(int step);
// "发送成功!文章编号: " + postId.
std::string SentStatus(const std::string& postId);
// "请输入账户 " + name + " 的密码".
std::string EnterPasswordOfMessage(const std::string& name);

struct MultiPublishRow {
    std::string account;
    std::string description;  // column 4 until the row's job shows its status there
    std::string apiType;
    int accountIndex = 0;  // position in the registry: the row's tree codes
    bool checked = false;
    bool permitted = false;  // "√"; "×" needs the account's password first

    const char* Mark() const;
};

// Whether an account has passed its local login check since the program started.
using VerifiedAccountTest = std::function<bool(const std::string& account)>;

// Reads the registry's accounts, the source account's relations and each account's login
// settings. 0 (message shown by the registry) when the list or the relations cannot be read.
int BuildMultiPublishRows(CAccountRegistry& registry, const std::string& sourceAccount,
                          const VerifiedAccountTest& verified, std::vector<MultiPublishRow>& rows);

// Double-click on a "×" row: `entered` against the account's expected password (its login
// settings). Marks the row "√" on a match; "请输入密码!" for an empty entry and
// "您输入的密码有误!" for a wrong one. A "√" row passes without looking at `entered`.
RuleResult VerifyMultiPublishRow(CAccountRegistry& registry, MultiPublishRow& row,
                                 const std::string& entered);

// "发布": a checked "×" row first ("请输入账户 NAME 的密码"), then none checked, then more than
// five.
RuleResult CheckMultiPublishSelection(const std::vector<MultiPublishRow>& rows);

struct MultiPublishRequest {
    std::string sourceAccount;
    BlogFolder sourceFolder = kBlogFolderDrafts;  // the drafts or the recycle bin
    int articleId = 0;
    // The editor has no row for an article it never stored: the source account then gets a
    // copy in its published folder like any other account.
    bool sourceHasLocalRow = true;
    BlogPost post;  // loaded from the article
    std::vector<MultiPublishRow> rows;
};

}  // namespace zirvo
