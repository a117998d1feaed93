// The article backup file, the local article operations and editing a post on the server.

#include "core/publishing/article_operations.h"
#include "core/publishing/article_backup.h"
#include "core/publishing/remote_edit.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "publishing_fixture.h"

namespace zirvo::test {
namespace {

class ArticleOperationsTest : public PublishingTest {};

TEST_F(ArticleOperationsTest, ExportedArticlesImportIntoAnotherAccountsDrafts) {
    AddArticle(kBlogFolderPublished, "甲", "一 & <一>", "11", "2006-01-05 08:30:00");
    AddArticle(kBlogFolderPublished, "甲", "二 ]]> 二", "12", "2007-02-06 09:31:01");
    AddArticle(kBlogFolderPublished, "甲", "三", "13", "2008-03-07 10:32:02");
    const std::string path = m_root.PathOf("backup.xml");
    std::string error;
    ASSERT_TRUE(WriteArticleBackup(path, List("甲", kBlogFolderPublished), error)) << error;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(Trim(bytes).find('\n', bytes.find("<rss")), std::string::npos) << "one line";
    EXPECT_NE(bytes.find("<description>博客日志备份文件(RSS2.0)</description>"), std::string::npos);
    EXPECT_NE(bytes.find("<item id=\"3\">"), std::string::npos);

    int count = 0;
    ASSERT_TRUE(ImportArticleBackup(m_store, "乙", path, count, error)) << error;
    EXPECT_EQ(count, 3);
    BlogArticleList original = List("甲", kBlogFolderPublished);
    BlogArticleList imported = List("乙", kBlogFolderDrafts);
    ASSERT_EQ(imported.size(), 3u);
    for (size_t i = 0; i < imported.size(); ++i) {
        EXPECT_EQ(imported[i].title, original[i].title);
        EXPECT_EQ(imported[i].category, original[i].category);
        EXPECT_EQ(imported[i].content, original[i].content);
        EXPECT_EQ(imported[i].pubDate, original[i].pubDate);
        EXPECT_EQ(imported[i].guid, "");
    }
}

TEST_F(ArticleOperationsTest, ImportTakesOlderGb2312FilesAndMarksMissingValues) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"gb2312\"?><rss version=\"2.0\"><channel><title>x</title>"
        "<item id=\"1\"><title><![CDATA[旧文章]]></title><description><![CDATA[<p>内容</p>]]>"
        "</description></item>"
        "<item id=\"2\"><title>第二</title><description>d</description>"
        "<pubDate>Thu, 05 Jan 2006 08:30:00 GMT</pubDate><category>类</category></item>"
        "</channel></rss>";
    const std::string path = m_root.WriteFile("old.xml", Utf8ToGb18030(text));
    int count = 0;
    std::string error;
    ASSERT_TRUE(ImportArticleBackup(m_store, "甲", path, count, error)) << error;
    BlogArticleList drafts = List("甲", kBlogFolderDrafts);
    ASSERT_EQ(drafts.size(), 2u);
    EXPECT_EQ(drafts[0].title, "旧文章");
    EXPECT_EQ(drafts[0].content, "<p>内容</p>");
    EXPECT_EQ(drafts[0].category, "");         // no category, not a category named "NULL"
    EXPECT_EQ(drafts[0].pubDate.size(), 19u);  // "NULL" became the time of import
    EXPECT_EQ(drafts[1].pubDate, "2006-01-05 08:30:00");
    EXPECT_EQ(drafts[1].category, "类");
    EXPECT_EQ(ImportedMessage(count), "导入成功 2 篇日志");

    EXPECT_FALSE(
        ImportArticleBackup(m_store, "甲", m_root.WriteFile("bad.xml", "<rss>"), count, error));
    EXPECT_EQ(List("甲", kBlogFolderDrafts).size(), 2u);
}

TEST_F(ArticleOperationsTest, LocalDeleteMovesToTheRecycleBinOrRemovesFromIt) {
    const int published = AddArticle(kBlogFolderPublished, "甲", "发布的", "9");
    const int binned = AddArticle(kBlogFolderRecycleBin, "甲", "回收站的", "8");
    EXPECT_TRUE(DeleteArticlesLocally(m_store, "甲", kBlogFolderPublished, {published}).empty());
    EXPECT_EQ(Place("甲", published), std::make_pair(int(kBlogFolderRecycleBin), std::string("9")));
    EXPECT_TRUE(DeleteArticlesLocally(m_store, "甲", kBlogFolderRecycleBin, {binned}).empty());
    EXPECT_EQ(Place("甲", binned).first, 0);
}

TEST_F(ArticleOperationsTest, CopyAndMoveFollowTheFolderChooserRules) {
    EXPECT_TRUE(IsTransferTarget("甲", kBlogFolderDrafts, "甲", kBlogFolderRecycleBin));
    EXPECT_FALSE(IsTransferTarget("甲", kBlogFolderDrafts, "甲", kBlogFolderDrafts));
    EXPECT_TRUE(IsTransferTarget("甲", kBlogFolderDrafts, "乙", kBlogFolderDrafts));
    EXPECT_FALSE(IsTransferTarget("甲", kBlogFolderDrafts, "乙", kBlogFolderPublished));

    const int received = AddArticle(kBlogFolderReceived, "甲", "收到的", "5");
    std::string error;
    EXPECT_EQ(TransferArticles(m_store, TransferKind::kMove, kBlogFolderReceived, {received}, "乙",
                               kBlogFolderDrafts, error),
              0);
    EXPECT_EQ(Place("甲", received).first, kBlogFolderReceived);
    EXPECT_EQ(TransferArticles(m_store, TransferKind::kCopy, kBlogFolderReceived, {received}, "乙",
                               kBlogFolderDrafts, error),
              1);
    BlogArticleList copies = List("乙", kBlogFolderDrafts);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].guid, "");
    // A missing article stops the batch.
    EXPECT_EQ(TransferArticles(m_store, TransferKind::kCopy, kBlogFolderDrafts,
                               {copies[0].id, 99999, copies[0].id}, "甲", kBlogFolderDrafts, error),
              1);
    EXPECT_EQ(error, kNoSuchArticleText);
    EXPECT_EQ(ClearFolderQuestion(kBlogFolderDrafts), "确定要清空 \"草稿箱\" 中的所有日志吗?");
}

TEST_F(ArticleOperationsTest, EditingAPublishedPostChangesTheServerThenTheLocalText) {
    AddAccount("甲", "MetaWeblog");
    const int id = AddArticle(kBlogFolderDrafts, "甲", "初稿");
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticle("甲", kBlogFolderDrafts, id), 0);
    jobs.WaitAll();
    PublishEnvironment environment{m_store,    m_registry,
                                   m_config,   {m_http, m_messages, CDataRoot(m_root.Path())},
                                   m_observer, ""};
    ASSERT_EQ(EditPublishedArticle(environment, "甲", id, "改过的", "新分类", "<p>新</p>"), 1);
    BlogArticle article;
    ASSERT_TRUE(m_store.GetArticle(id, article));
    EXPECT_EQ(article.title, "改过的");
    EXPECT_EQ(article.content, "<p>新</p>");
    std::vector<PostEntry> posts;
    ASSERT_EQ(Client("甲")->GetRecentPosts(1, posts), 1);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].title, "改过的");
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{kTextEdited}));

    // A post the server does not know: the fault is shown and the local text stays.
    const int unknown = AddArticle(kBlogFolderPublished, "甲", "不在服务器上", "4711");
    EXPECT_EQ(EditPublishedArticle(environment, "甲", unknown, "x", "y", "z"), 0);
    ASSERT_TRUE(m_store.GetArticle(unknown, article));
    EXPECT_EQ(article.title, "不在服务器上");
    // A draft has nothing on the server to edit.
    const int draft = AddArticle(kBlogFolderDrafts, "甲", "草稿");
    m_reporter.Clear();
    EXPECT_EQ(EditPublishedArticle(environment, "甲", draft, "x", "y", "z"), 0);
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{kTextNoServerId}));
}

}  // namespace
}  // namespace zirvo::test
