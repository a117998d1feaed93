// Publishing one article to several accounts: the rows and their marks, the checks of "发布",
// and the workers against the loopback server.

#include "core/publishing/multi_publish.h"

#include "core/accounts/account_messages.h"
#include "core/blogapi/post_dates.h"
#include "core/publishing/publish_jobs.h"
#include "publishing_fixture.h"

namespace zirvo::test {
namespace {

class MultiPublishTest : public PublishingTest {
protected:
    // 甲 the source (relations: 乙), 乙 related, 丙 protected by its blog password, 丁 open.
    void AddFourAccounts(const std::string& sourceFlavour = "MetaWeblog") {
        AddAccount("甲", sourceFlavour);
        AddAccount("乙", "MovableType");
        AddAccount("丙", "MetaWeblog", "/RPC2", "GB2312");
        AddAccount("丁", "Blogger");
        ASSERT_EQ(m_registry.WriteRelations("甲", {"乙"}), 1);
        ASSERT_EQ(m_registry.WriteLoginSettings("丙", kLoginBlogPassword, ""), 1);
    }

    std::vector<MultiPublishRow> Rows(const VerifiedAccountTest& verified = nullptr) {
        std::vector<MultiPublishRow> rows;
        EXPECT_EQ(BuildMultiPublishRows(m_registry, "甲", verified, rows), 1);
        return rows;
    }

    MultiPublishRequest Request(int articleId, std::vector<MultiPublishRow> rows) {
        BlogArticle article;
        EXPECT_TRUE(m_store.GetArticle(articleId, article));
        MultiPublishRequest request;
        request.sourceAccount = "甲";
        request.sourceFolder = kBlogFolderDrafts;
        request.articleId = articleId;
        request.post = PostFromArticle(article);
        request.rows = std::move(rows);
        return request;
    }
};

std::string Marks(const std::vector<MultiPublishRow>& rows) {
    std::string out;
    for (const MultiPublishRow& row : rows) {
        out += row.account + (row.checked ? "+" : "-") + row.Mark() + " ";
    }
    return out;
}

TEST_F(MultiPublishTest, RowsCheckTheSourceAndItsRelationsAndMarkProtectedAccounts) {
    AddFourAccounts();
    std::vector<MultiPublishRow> rows = Rows();
    EXPECT_EQ(Marks(rows), "甲+√ 乙+√ 丙-× 丁-√ ");
    EXPECT_EQ(rows[2].accountIndex, 2);
    EXPECT_EQ(rows[3].apiType, "Blogger");
    // An account verified earlier in this run is marked "√" without asking again.
    rows = Rows([](const std::string& name) { return name == "丙"; });
    EXPECT_EQ(Marks(rows), "甲+√ 乙+√ 丙-√ 丁-√ ");
}

TEST_F(MultiPublishTest, AProtectedRowNeedsItsPasswordBeforePublishing) {
    AddFourAccounts();
    std::vector<MultiPublishRow> rows = Rows();
    rows[2].checked = true;
    EXPECT_EQ(CheckMultiPublishSelection(rows).message, "请输入账户 丙 的密码");

    EXPECT_EQ(VerifyMultiPublishRow(m_registry, rows[2], "").message, kTextEnterPassword);
    EXPECT_EQ(VerifyMultiPublishRow(m_registry, rows[2], "wrong").message,
              kTextPermissionWrongPassword);
    EXPECT_FALSE(rows[2].permitted);
    EXPECT_TRUE(VerifyMultiPublishRow(m_registry, rows[2], m_server.Options().password).Ok());
    EXPECT_TRUE(rows[2].permitted);
    EXPECT_TRUE(CheckMultiPublishSelection(rows).Ok());
}

TEST(MultiPublishSelection, AcceptsOneToFiveCheckedAccounts) {
    std::vector<MultiPublishRow> rows(6);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].account = "a" + std::to_string(i);
        rows[i].permitted = true;
    }
    EXPECT_EQ(CheckMultiPublishSelection(rows).message, kTextSelectOneAccount);
    for (int i = 0; i < 5; ++i) {
        rows[i].checked = true;
    }
    EXPECT_TRUE(CheckMultiPublishSelection(rows).Ok());
    rows[5].checked = true;
    EXPECT_EQ(CheckMultiPublishSelection(rows).message, kTextAtMostFiveAccounts);
}

TEST_F(MultiPublishTest, TheSourceArticleMovesAndTheOtherAccountsGetCopies) {
    AddFourAccounts();
    const int id = AddArticle(kBlogFolderDrafts, "甲", "多处发布");
    std::vector<MultiPublishRow> rows = Rows();
    rows[3].checked = true;  // 丁, Blogger, open
    CPublishJobs& jobs = Jobs();
    std::vector<int> started = jobs.StartMultiPublish(Request(id, rows));
    ASSERT_EQ(started.size(), 3u);
    jobs.WaitAll();

    auto source = Place("甲", id);
    EXPECT_EQ(source.first, kBlogFolderPublished);
    BlogArticleList copiesB = List("乙", kBlogFolderPublished);
    BlogArticleList copiesD = List("丁", kBlogFolderPublished);
    ASSERT_EQ(copiesB.size(), 1u);
    ASSERT_EQ(copiesD.size(), 1u);
    EXPECT_EQ(copiesB[0].title, "多处发布");
    EXPECT_EQ(copiesB[0].pubDate, "2006-05-01 08:30:00");
    EXPECT_EQ(List("甲", kBlogFolderDrafts).size(), 0u);
    EXPECT_EQ(List("丙", kBlogFolderPublished).size(), 0u);
    // Three different posts on the one server, each row ending with its own number.
    std::set<std::string> ids = {source.second, copiesB[0].guid, copiesD[0].guid};
    EXPECT_EQ(ids.size(), 3u);
    for (int row : {0, 1, 3}) {
        auto statuses = m_observer.EventsStartingWith("row " + std::to_string(row) + " ");
        ASSERT_EQ(statuses.size(), 6u) << row;
        EXPECT_EQ(statuses[0], "row " + std::to_string(row) + " ▉发送中");
        EXPECT_EQ(statuses[4], "row " + std::to_string(row) + " ▉▉▉▉▉");
        EXPECT_TRUE(ids.count(statuses[5].substr(statuses[5].rfind(' ') + 1)));
    }
    // Source: published 1020 up, drafts 1030 down; copies: 乙's 1120 and 丁's 1320 up.
    auto recounts = m_observer.EventsStartingWith("recount");
    std::multiset<std::string> recountSet(recounts.begin(), recounts.end());
    EXPECT_EQ(recountSet, (std::multiset<std::string>{"recount 1020 1", "recount 1030 -1",
                                                      "recount 1120 1", "recount 1320 1"}));
    EXPECT_EQ(RequestsFor("metaWeblog.newPost").size(), 2u);
    EXPECT_EQ(RequestsFor("blogger.newPost").size(), 1u);
}

TEST_F(MultiPublishTest, ABloggerSourceTitlesEveryCopyWithTheSendingTime) {
    AddFourAccounts("Blogger");
    const int id = AddArticle(kBlogFolderDrafts, "甲", "原标题");
    std::vector<MultiPublishRow> rows = Rows();
    rows[0].checked = false;
    CPublishJobs& jobs = Jobs();
    ASSERT_EQ(jobs.StartMultiPublish(Request(id, rows)).size(), 1u);
    jobs.WaitAll();
    BlogArticleList copies = List("乙", kBlogFolderPublished);
    ASSERT_EQ(copies.size(), 1u);
    PostTime when;
    EXPECT_TRUE(ParsePostDate(copies[0].title, when)) << copies[0].title;
    EXPECT_EQ(Place("甲", id).first, kBlogFolderDrafts);
}

TEST_F(MultiPublishTest, AnAccountThatFailsShowsSendFailedAndGetsNoCopy) {
    AddFourAccounts();
    AddAccount("坏", "MetaWeblog", "/fault-int");
    const int id = AddArticle(kBlogFolderRecycleBin, "甲", "回收站里的");
    std::vector<MultiPublishRow> rows = Rows();
    rows[0].checked = false;
    rows[1].checked = false;
    rows[4].checked = true;
    CPublishJobs& jobs = Jobs();
    ASSERT_EQ(jobs.StartMultiPublish(Request(id, rows)).size(), 1u);
    jobs.WaitAll();
    EXPECT_EQ(m_observer.EventsStartingWith("row 4").back(), "row 4 发送失败!");
    EXPECT_EQ(List("坏", kBlogFolderPublished).size(), 0u);
    EXPECT_EQ(Place("甲", id).first, kBlogFolderRecycleBin);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{4000}));
}

TEST_F(MultiPublishTest, ARefusedSelectionStartsNothing) {
    AddFourAccounts();
    const int id = AddArticle(kBlogFolderDrafts, "甲", "一");
    std::vector<MultiPublishRow> rows = Rows();
    rows[2].checked = true;
    CPublishJobs& jobs = Jobs();
    EXPECT_TRUE(jobs.StartMultiPublish(Request(id, rows)).empty());
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"请输入账户 丙 的密码"}));
    EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(MultiPublishTest, TheEditorsUnsavedArticleGetsACopyInItsOwnAccount) {
    AddFourAccounts();
    std::vector<MultiPublishRow> rows = Rows();
    rows[1].checked = false;
    MultiPublishRequest request;
    request.sourceAccount = "甲";
    request.sourceHasLocalRow = false;
    request.post.title = "编辑器里的";
    request.post.description = "<p>正文</p>";
    request.rows = rows;
    CPublishJobs& jobs = Jobs();
    ASSERT_EQ(jobs.StartMultiPublish(request).size(), 1u);
    jobs.WaitAll();
    BlogArticleList published = List("甲", kBlogFolderPublished);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0].title, "编辑器里的");
    EXPECT_FALSE(published[0].guid.empty());
}

}  // namespace
}  // namespace zirvo::test
