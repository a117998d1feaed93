#include "core/accounts/local_login.h"

#include "core/accounts/account_messages.h"
#include "core/accounts/new_account_wizard.h"
#include "core/accounts/permission_list.h"
#include "registry_fixture.h"

namespace zirvo {
namespace {

TEST(LocalLoginTest, VerdictsOfTheLoginDialog) {
    LoginSettings off{kLoginOff, ""};
    EXPECT_FALSE(NeedsLocalLogin(off));
    EXPECT_EQ(VerifyLocalLogin(off, "").verdict, LoginVerdict::kPass);

    LoginSettings local{kLoginLocalPassword, "密码"};
    EXPECT_TRUE(NeedsLocalLogin(local));
    LoginCheck empty = VerifyLocalLogin(local, "");
    EXPECT_EQ(empty.verdict, LoginVerdict::kAskAgain);
    EXPECT_EQ(empty.message, kTextEnterPassword);
    LoginCheck wrong = VerifyLocalLogin(local, "密");
    EXPECT_EQ(wrong.verdict, LoginVerdict::kWrong);
    EXPECT_EQ(wrong.message, kTextWrongPassword);
    EXPECT_EQ(VerifyLocalLogin(local, "密码").verdict, LoginVerdict::kPass);
}

TEST(ProtectionRulesTest, LocalPasswordNeedsOldThenFullMatchingPair) {
    ProtectionRequest request{ProtectionChoice::kLocalPassword, "", "", ""};
    // Not yet in mode 2: the old field is not looked at.
    EXPECT_EQ(DecideProtection(request, kLoginOff, "").result.message, kTextEnterFullPassword);
    request.newPassword = "a";
    request.confirmPassword = "b";
    EXPECT_EQ(DecideProtection(request, kLoginBlogPassword, "").result.message,
              kTextPasswordsDiffer);
    request.confirmPassword = "a";
    ProtectionDecision decision = DecideProtection(request, kLoginOff, "");
    EXPECT_TRUE(decision.write);
    EXPECT_EQ(decision.mode, kLoginLocalPassword);
    EXPECT_EQ(decision.accountPassword, "a");

    // Already mode 2: nothing typed keeps it; otherwise the old password comes first.
    ProtectionRequest nothing{ProtectionChoice::kLocalPassword, "", "", ""};
    decision = DecideProtection(nothing, kLoginLocalPassword, "old");
    EXPECT_TRUE(decision.result.Ok());
    EXPECT_FALSE(decision.write);
    EXPECT_EQ(DecideProtection(request, kLoginLocalPassword, "old").result.message,
              kTextEnterOldAccountPassword);
    request.oldPassword = "olD";
    EXPECT_EQ(DecideProtection(request, kLoginLocalPassword, "old").result.message,
              kTextWrongOldAccountPassword);
    request.oldPassword = "old";
    EXPECT_TRUE(DecideProtection(request, kLoginLocalPassword, "old").write);
}

TEST_F(RegistryTest, ApplyProtectionWritesOrRefuses) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("p", "blog")), 1);
    ProtectionRequest request{ProtectionChoice::kLocalPassword, "", "new", "new"};
    ASSERT_EQ(ApplyProtection(m_registry, "p", request), 1);
    LoginSettings settings;
    ASSERT_EQ(m_registry.ReadLoginSettings("p", settings), 1);
    EXPECT_EQ(settings.mode, kLoginLocalPassword);
    EXPECT_EQ(settings.expectedPassword, "new");

    request.oldPassword = "wrong";
    EXPECT_EQ(ApplyProtection(m_registry, "p", request), 0);
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextWrongOldAccountPassword});

    ASSERT_EQ(ApplyProtection(m_registry, "p", {ProtectionChoice::kBlogPassword, "", "", ""}), 1);
    ASSERT_EQ(m_registry.ReadLoginSettings("p", settings), 1);
    EXPECT_EQ(settings.mode, kLoginBlogPassword);
    EXPECT_EQ(settings.expectedPassword, "blog");
    EXPECT_EQ(ApplyProtection(m_registry, "gone", {}), 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{6001});
}

TEST(DeletePasswordTest, EmptyThenWrong) {
    EXPECT_EQ(CheckDeletePassword("pw", "").message, kTextEnterPassword);
    EXPECT_EQ(CheckDeletePassword("pw", "PW").message, kTextWrongPassword);
    EXPECT_TRUE(CheckDeletePassword("pw", "pw").Ok());
}

std::vector<AccountListEntry> Accounts() {
    auto entry = [](const char* name, int verify) {
        AccountListEntry e;
        e.name = name;
        e.localLoginVerify = verify;
        return e;
    };
    return {entry("self", 0), entry("open", 0), entry("locked", 2), entry("late", 0)};
}

TEST(PermissionListTest, SelfStaysFirstAndIsNeverWritten) {
    CPermissionList list("self", Accounts(), {"self", "late"});
    EXPECT_EQ(list.Permitted(), (std::vector<std::string>{"self", "late"}));
    ASSERT_EQ(list.Available().size(), 2u);
    EXPECT_STREQ(list.Available()[0].Mark(), "√");
    EXPECT_STREQ(list.Available()[1].Mark(), "×");
    EXPECT_FALSE(list.MoveOut("self"));
    list.MoveAllOut();
    EXPECT_EQ(list.Permitted(), std::vector<std::string>{"self"});
    EXPECT_TRUE(list.Relations().empty());
}

TEST(PermissionListTest, ProtectedAccountNeedsItsPasswordFirst) {
    CPermissionList list("self", Accounts(), {});
    RuleResult blocked = list.MoveIn("locked");
    EXPECT_EQ(blocked.message, "您需要输入账户 locked 的密码");
    // ">>" moves "open", then stops at "locked" and leaves "late".
    EXPECT_EQ(list.MoveAllIn().message, "您需要输入账户 locked 的密码");
    EXPECT_EQ(list.Relations(), std::vector<std::string>{"open"});

    EXPECT_EQ(list.Verify("locked", "secret", "").message, kTextEnterPassword);
    EXPECT_EQ(list.Verify("locked", "secret", "nope").message, kTextPermissionWrongPassword);
    EXPECT_TRUE(list.Verify("locked", "secret", "secret").Ok());
    EXPECT_TRUE(list.MoveAllIn().Ok());
    EXPECT_EQ(list.Relations(), (std::vector<std::string>{"open", "locked", "late"}));
    // Once verified the mark survives moving the account out again.
    EXPECT_TRUE(list.MoveOut("locked"));
    EXPECT_TRUE(list.MoveIn("locked").Ok());
}

TEST_F(RegistryTest, FinishWizardChecksEveryPageThenAdds) {
    WizardRecord record;
    record.name = "新账户";
    record.description = "d";
    EXPECT_EQ(FinishWizard(m_registry, record), 0);
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextEnterUserName});
    record.userName = "u";
    record.password = "p";
    SetEndpointText(record, "https://127.0.0.1/rpc");
    ASSERT_EQ(FinishWizard(m_registry, record), 1);
    AccountInfo info;
    ASSERT_EQ(m_registry.ReadAccount("新账户", info), 1);
    EXPECT_EQ(info.port, "443");
    EXPECT_EQ(FinishWizard(m_registry, record), 0);
    EXPECT_EQ(m_reporter.MessageBoxes().back(), kTextDuplicateAccount);
}

}  // namespace
}  // namespace zirvo
