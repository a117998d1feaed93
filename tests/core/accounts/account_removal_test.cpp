#include "core/accounts/account_removal.h"

#include "core/accounts/account_messages.h"
#include "core/articles/blog_store.h"
#include "core/util/files.h"
#include "registry_fixture.h"

namespace zirvo {
namespace {

class AccountRemovalTest : public RegistryTest {
protected:
    AccountRemovalTest() : m_store(m_root.Path()) {
        m_root.MakeDir("Storage");
        EXPECT_TRUE(m_store.Open()) << m_store.GetLastError();
    }

    int Count(const std::string& account) {
        int count = -1;
        EXPECT_TRUE(m_store.CountArticles(3, account, count));
        return count;
    }

    CBlogStore m_store;
};

TEST_F(AccountRemovalTest, DeletePasswordIsTheBlogPassword) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("gone", "博客密码")), 1);
    EXPECT_EQ(VerifyDeletePassword(m_registry, "gone", ""), 0);
    EXPECT_EQ(VerifyDeletePassword(m_registry, "gone", "博客"), 0);
    EXPECT_EQ(VerifyDeletePassword(m_registry, "gone", "博客密码"), 1);
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{kTextEnterPassword, kTextWrongPassword}));
    EXPECT_EQ(VerifyDeletePassword(m_registry, "nobody", "x"), 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{6001});
}

TEST_F(AccountRemovalTest, RemovesAccountAndOnlyItsArticles) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("gone")), 1);
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("stays")), 1);
    BlogArticle article;
    article.title = "t";
    ASSERT_TRUE(m_store.AddArticle(3, "gone", article));
    ASSERT_TRUE(m_store.AddArticle(3, "stays", article));

    ASSERT_EQ(RemoveAccount(m_registry, m_store, "gone"), 1);
    EXPECT_EQ(Count("gone"), 0);
    EXPECT_EQ(Count("stays"), 1);
    std::vector<std::string> names;
    ASSERT_EQ(m_registry.ListAccountNames(names), 1);
    EXPECT_EQ(names, std::vector<std::string>{"stays"});
}

TEST_F(AccountRemovalTest, FailedRegistryDeleteKeepsTheArticles) {
    BlogArticle article;
    ASSERT_TRUE(m_store.AddArticle(3, "unknown", article));
    EXPECT_EQ(RemoveAccount(m_registry, m_store, "unknown"), 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{6006});
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextDeleteAccountFailed});
    EXPECT_EQ(Count("unknown"), 1);
}

}  // namespace
}  // namespace zirvo
