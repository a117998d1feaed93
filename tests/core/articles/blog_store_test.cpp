#include "core/articles/blog_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/util/feed_date.h"
#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

class BlogStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root.MakeDir("Storage");
        ASSERT_TRUE(m_store.Open()) << m_store.GetLastError();
    }

    std::string DbPath() const { return m_root.PathOf("Storage/blog.db"); }

    int AddDraft(const std::string& account, const std::string& title,
                 const std::string& guid = "") {
        EXPECT_TRUE(m_store.AddArticleWithGuid(kBlogFolderDrafts, account, guid, title, "cat",
                                               "<p>" + title + "</p>", "2006-01-05 08:30:00"));
        return m_store.LastInsertId();
    }

    BlogArticleList List(int folder, const std::string& account) {
        BlogArticleList list;
        EXPECT_TRUE(m_store.ListArticles(folder, account, list, 9999, 0)) << m_store.GetLastError();
        return list;
    }

    int Count(int folder, const std::string& account) {
        int count = -1;
        EXPECT_TRUE(m_store.CountArticles(folder, account, count)) << m_store.GetLastError();
        return count;
    }

    // Makes every insert of an article titled "refused" fail inside SQLite.
    void RefuseTitle() {
        CppSQLite3Connection db;
        db.Open(DbPath());
        db.ExecuteUpdate(
            "CREATE TRIGGER refuse_title BEFORE INSERT ON blog_article WHEN NEW.log_title = "
            "'refused' BEGIN SELECT RAISE(ABORT, 'refused by test'); END;");
    }

    static BlogArticle Received(const std::string& guid, const std::string& title,
                                const std::string& date = "2006-01-05 08:30:00") {
        BlogArticle article;
        article.guid = guid;
        article.title = title;
        article.category = "news";
        article.content = "<b>" + title + "</b>";
        article.pubDate = date;
        return article;
    }

    test::TempDir m_root{"articles"};
    CBlogStore m_store{m_root.Path()};
};

TEST_F(BlogStoreTest, ApostrophesRoundTripThroughEveryWrite) {
    int id = AddDraft("me", "It's mine");
    BlogArticle article;
    ASSERT_TRUE(m_store.GetArticle(id, article));
    EXPECT_EQ(article.title, "It's mine");

    ASSERT_TRUE(m_store.UpdateArticleText(id, "Don't 'quote'", "A'B", "<a href='x'>y</a>"));
    ASSERT_TRUE(m_store.GetArticle(id, article));
    EXPECT_EQ(article.title, "Don't 'quote'");
    EXPECT_EQ(article.category, "A'B");
    EXPECT_EQ(article.content, "<a href='x'>y</a>");
    EXPECT_EQ(article.pubDate, "2006-01-05 08:30:00");

    ASSERT_TRUE(m_store.AddReceivedArticles(kBlogFolderReceived, "me", {Received("g1", "Who's")}));
    BlogArticleList received = List(kBlogFolderReceived, "me");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].title, "Who's");
    EXPECT_EQ(received[0].guid, "g1");
}

TEST_F(BlogStoreTest, CountsAndListsPerAccountAndFolderInRowKeyOrder) {
    EXPECT_EQ(Count(kBlogFolderDrafts, "nobody"), 0);
    std::vector<int> ids;
    for (const char* title : {"one", "two", "three", "four"}) {
        ids.push_back(AddDraft("me", title));
    }
    AddDraft("other", "elsewhere");
    EXPECT_EQ(Count(kBlogFolderDrafts, "me"), 4);
    EXPECT_EQ(Count(kBlogFolderPublished, "me"), 0);

    BlogArticleList all = List(kBlogFolderDrafts, "me");
    ASSERT_EQ(all.size(), 4u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].id, ids[i]);
    }
    BlogArticleList page;
    ASSERT_TRUE(m_store.ListArticles(kBlogFolderDrafts, "me", page, 2, 1));
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].title, "two");
    EXPECT_EQ(page[1].title, "three");
}

TEST_F(BlogStoreTest, MissingRowsAreToldApartFromDatabaseErrors) {
    BlogArticle article;
    EXPECT_FALSE(m_store.GetArticle(4711, article));
    EXPECT_EQ(m_store.GetLastError(), kNoSuchArticleText);
    std::string guid;
    EXPECT_FALSE(m_store.GetArticleGuid(4711, guid));
    EXPECT_EQ(m_store.GetLastError(), kNoSuchArticleText);

    int id = AddDraft("me", "t", "server-7");
    ASSERT_TRUE(m_store.GetArticleGuid(id, guid));
    EXPECT_EQ(guid, "server-7");

    m_store.Close();
    EXPECT_FALSE(m_store.GetArticle(id, article));
    EXPECT_NE(m_store.GetLastError().find("Database not open"), std::string::npos);
    int count = -1;
    EXPECT_FALSE(m_store.CountArticles(kBlogFolderDrafts, "me", count));
    EXPECT_EQ(count, 0);
}

TEST_F(BlogStoreTest, ReplacingReceivedPostsTouchesOnlyTheAccountsReceivedFolder) {
    EXPECT_TRUE(m_store.ReplaceReceivedArticles("me", {}));
    EXPECT_EQ(Count(kBlogFolderReceived, "me"), 0);

    ASSERT_TRUE(
        m_store.ReplaceReceivedArticles("me", {Received("p1", "old"), Received("p2", "b")}));
    int oldId = List(kBlogFolderReceived, "me")[0].id;
    int draftId = AddDraft("me", "draft copy", "p1");
    ASSERT_TRUE(m_store.ReplaceReceivedArticles("you", {Received("p1", "theirs")}));

    ASSERT_TRUE(m_store.ReplaceReceivedArticles("me", {Received("p1", "new")}));
    BlogArticleList received = List(kBlogFolderReceived, "me");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].guid, "p2");
    EXPECT_EQ(received[1].guid, "p1");
    EXPECT_EQ(received[1].title, "new");
    EXPECT_GT(received[1].id, oldId);

    BlogArticle draft;
    ASSERT_TRUE(m_store.GetArticle(draftId, draft));
    EXPECT_EQ(draft.title, "draft copy");
    EXPECT_EQ(Count(kBlogFolderReceived, "you"), 1);
}

TEST_F(BlogStoreTest, FailedReplaceKeepsTheReceivedCopiesItWouldHaveReplaced) {
    ASSERT_TRUE(
        m_store.ReplaceReceivedArticles("me", {Received("p1", "kept"), Received("p2", "too")}));
    RefuseTitle();
    EXPECT_FALSE(m_store.ReplaceReceivedArticles(
        "me", {Received("p1", "new"), Received("p2", "refused"), Received("p3", "third")}));
    EXPECT_NE(m_store.GetLastError().find("refused by test"), std::string::npos);
    BlogArticleList received = List(kBlogFolderReceived, "me");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].title, "kept");
    EXPECT_EQ(received[1].title, "too");
    // The connection is usable afterwards.
    ASSERT_TRUE(m_store.ReplaceReceivedArticles("me", {Received("p1", "newer")}));
    EXPECT_EQ(List(kBlogFolderReceived, "me")[1].title, "newer");
}

// Reads the store's own connection settings.
class CSettingsProbe : public CBlogStore {
public:
    using CBlogStore::CBlogStore;
    int Synchronous() { return Connection().ExecuteQuery("PRAGMA synchronous;").GetInt(0, -1); }
};

TEST_F(BlogStoreTest, ArticlesAreSyncedOnEveryCommit) {
    CSettingsProbe probe(m_root.Path());
    ASSERT_TRUE(probe.Open()) << probe.GetLastError();
    EXPECT_EQ(probe.Synchronous(), 2);  // FULL
}

TEST_F(BlogStoreTest, ReceivedDatesAreNormalised) {
    std::string before = NowLocalText();
    ASSERT_TRUE(m_store.AddReceivedArticles(
        kBlogFolderReceived, "me",
        {Received("a", "rfc", "Thu, 05 Jan 2006 08:30:00 GMT"),
         Received("b", "compact", "20060105T08:30:00Z"), Received("c", "junk", "not a date")}));
    std::string after = NowLocalText();
    BlogArticleList list = List(kBlogFolderReceived, "me");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].pubDate, "2006-01-05 08:30:00");
    EXPECT_EQ(list[1].pubDate, "2006-01-05 08:30:00");
    EXPECT_LE(before, list[2].pubDate);
    EXPECT_LE(list[2].pubDate, after);

    before = NowLocalText();
    ASSERT_TRUE(m_store.AddArticleWithGuid(kBlogFolderDrafts, "me", "", "undated", "", "", ""));
    after = NowLocalText();
    BlogArticle undated;
    ASSERT_TRUE(m_store.GetArticle(m_store.LastInsertId(), undated));
    EXPECT_LE(before, undated.pubDate);
    EXPECT_LE(undated.pubDate, after);
}

TEST_F(BlogStoreTest, CopyGetsANewRowWithoutServerIdWhileMoveKeepsBoth) {
    ASSERT_TRUE(m_store.AddArticleWithGuid(kBlogFolderPublished, "me", "srv-1", "post", "c", "x",
                                           "2006-01-05 08:30:00"));
    int id = m_store.LastInsertId();

    ASSERT_TRUE(m_store.CopyArticle(id, kBlogFolderDrafts, "other"));
    BlogArticleList copies = List(kBlogFolderDrafts, "other");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_NE(copies[0].id, id);
    EXPECT_EQ(copies[0].guid, "");
    EXPECT_EQ(copies[0].title, "post");
    EXPECT_EQ(copies[0].pubDate, "2006-01-05 08:30:00");
    EXPECT_FALSE(m_store.CopyArticle(4711, kBlogFolderDrafts, "other"));
    EXPECT_EQ(m_store.GetLastError(), kNoSuchArticleText);

    ASSERT_TRUE(m_store.MoveArticle(id, kBlogFolderRecycleBin, "third"));
    BlogArticleList moved = List(kBlogFolderRecycleBin, "third");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].id, id);
    EXPECT_EQ(moved[0].guid, "srv-1");
    EXPECT_EQ(Count(kBlogFolderPublished, "me"), 0);
}

TEST_F(BlogStoreTest, FolderChangesDeletesAndCategories) {
    int a = AddDraft("me", "a");
    int b = AddDraft("me", "b");
    ASSERT_TRUE(m_store.SetArticleFolder(a, kBlogFolderRecycleBin));  // written as '4'
    EXPECT_EQ(Count(kBlogFolderRecycleBin, "me"), 1);
    ASSERT_TRUE(m_store.SetArticleFolderAndGuid(b, kBlogFolderPublished, "new-id"));
    std::string guid;
    ASSERT_TRUE(m_store.GetArticleGuid(b, guid));
    EXPECT_EQ(guid, "new-id");

    ASSERT_TRUE(m_store.AddReceivedArticles(kBlogFolderDrafts, "me",
                                            {Received("", "x"), Received("", "y")}));
    {
        CppSQLite3Connection db;
        db.Open(DbPath());
        db.ExecuteUpdate(
            "INSERT INTO blog_article (log_property, log_author, log_category) VALUES (3, 'me', "
            "NULL);");
    }
    std::vector<std::string> categories;
    ASSERT_TRUE(m_store.ListCategories(kBlogFolderDrafts, "me", categories));
    std::sort(categories.begin(), categories.end());
    EXPECT_EQ(categories, (std::vector<std::string>{"", "news"}));

    ASSERT_TRUE(m_store.ClearFolder(kBlogFolderDrafts, "me"));
    EXPECT_EQ(Count(kBlogFolderDrafts, "me"), 0);
    EXPECT_EQ(Count(kBlogFolderRecycleBin, "me"), 1);
    ASSERT_TRUE(m_store.DeleteArticle(a));
    EXPECT_EQ(Count(kBlogFolderRecycleBin, "me"), 0);
    AddDraft("keep", "k");
    ASSERT_TRUE(m_store.DeleteAccountArticles("me"));
    EXPECT_EQ(Count(kBlogFolderPublished, "me"), 0);
    EXPECT_EQ(Count(kBlogFolderDrafts, "keep"), 1);
}

TEST_F(BlogStoreTest, QuotesInServerIdsAndAccountNamesCannotBreakStatements) {
    const std::string account = "O'Brien's blog";
    ASSERT_TRUE(m_store.ReplaceReceivedArticles(account, {Received("it's-1", "first")}));
    ASSERT_TRUE(m_store.ReplaceReceivedArticles(account, {Received("it's-1", "again")}));
    BlogArticleList received = List(kBlogFolderReceived, account);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].guid, "it's-1");
    EXPECT_EQ(received[0].title, "again");

    int id = AddDraft(account, "draft", "g'1");
    std::string guid;
    ASSERT_TRUE(m_store.GetArticleGuid(id, guid));
    EXPECT_EQ(guid, "g'1");
    ASSERT_TRUE(m_store.SetArticleFolderAndGuid(id, kBlogFolderPublished, "x' OR '1'='1"));
    ASSERT_TRUE(m_store.GetArticleGuid(id, guid));
    EXPECT_EQ(guid, "x' OR '1'='1");

    EXPECT_EQ(Count(kBlogFolderPublished, account), 1);
    ASSERT_TRUE(m_store.MoveArticle(id, kBlogFolderDrafts, account));
    ASSERT_TRUE(m_store.CopyArticle(id, kBlogFolderRecycleBin, account));
    std::vector<std::string> categories;
    ASSERT_TRUE(m_store.ListCategories(kBlogFolderDrafts, account, categories));
    EXPECT_EQ(categories, std::vector<std::string>{"cat"});
    ASSERT_TRUE(m_store.ClearFolder(kBlogFolderRecycleBin, account));
    EXPECT_EQ(Count(kBlogFolderRecycleBin, account), 0);
    AddDraft("O", "unrelated");
    ASSERT_TRUE(m_store.DeleteAccountArticles(account));
    EXPECT_EQ(Count(kBlogFolderReceived, account), 0);
    EXPECT_EQ(Count(kBlogFolderDrafts, account), 0);
    EXPECT_EQ(Count(kBlogFolderDrafts, "O"), 1);
}

TEST_F(BlogStoreTest, FailedInsertLeavesNoOpenTransactionBehind) {
    RefuseTitle();
    int kept = AddDraft("me", "kept");
    BlogArticle refused;
    refused.title = "refused";
    EXPECT_THROW(m_store.AddArticle(kBlogFolderDrafts, "me", refused), CppSQLite3Exception);
    EXPECT_THROW(m_store.AddArticleWithGuid(kBlogFolderDrafts, "me", "g", "refused", "", "", ""),
                 CppSQLite3Exception);
    // Copying an article whose insert fails reports the cause instead of throwing.
    int toCopy = AddDraft("me", "x");
    ASSERT_TRUE(m_store.UpdateArticleText(toCopy, "refused", "", ""));
    EXPECT_FALSE(m_store.CopyArticle(toCopy, kBlogFolderRecycleBin, "me"));
    EXPECT_NE(m_store.GetLastError().find("refused by test"), std::string::npos);

    // These writes must reach the file, not an uncommitted transaction of the failed inserts.
    ASSERT_TRUE(m_store.SetArticleFolder(kept, kBlogFolderPublished));
    int later = AddDraft("me", "later");
    m_store.Close();

    CBlogStore reopened(m_root.Path());
    ASSERT_TRUE(reopened.Open());
    BlogArticleList published;
    ASSERT_TRUE(reopened.ListArticles(kBlogFolderPublished, "me", published, 9999, 0));
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0].id, kept);
    BlogArticle article;
    EXPECT_TRUE(reopened.GetArticle(later, article));
}

TEST_F(BlogStoreTest, FailedBatchKeepsEarlierArticlesAndLaterWritesPersist) {
    RefuseTitle();
    EXPECT_FALSE(m_store.AddReceivedArticles(
        kBlogFolderReceived, "me",
        {Received("1", "first"), Received("2", "refused"), Received("3", "third")}));
    EXPECT_NE(m_store.GetLastError().find("refused by test"), std::string::npos);
    AddDraft("me", "after");
    m_store.Close();

    CBlogStore reopened(m_root.Path());
    ASSERT_TRUE(reopened.Open());
    BlogArticleList received;
    ASSERT_TRUE(reopened.ListArticles(kBlogFolderReceived, "me", received, 9999, 0));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].title, "first");
    int drafts = 0;
    ASSERT_TRUE(reopened.CountArticles(kBlogFolderDrafts, "me", drafts));
    EXPECT_EQ(drafts, 1);
}

TEST_F(BlogStoreTest, MainProgramAndEditorShareTheFile) {
    CBlogStore editor(m_root.Path());
    ASSERT_TRUE(editor.Open()) << editor.GetLastError();

    // The tree refresh holds a read transaction around its counts while the editor saves.
    m_store.BeginTransaction();
    EXPECT_EQ(Count(kBlogFolderDrafts, "me"), 0);
    ASSERT_TRUE(
        editor.AddArticleWithGuid(kBlogFolderDrafts, "me", "", "from editor", "", "body", ""));
    int id = editor.LastInsertId();
    m_store.CommitTransaction();
    EXPECT_EQ(Count(kBlogFolderDrafts, "me"), 1);

    ASSERT_TRUE(m_store.SetArticleFolderAndGuid(id, kBlogFolderPublished, "srv"));
    std::string guid;
    ASSERT_TRUE(editor.GetArticleGuid(id, guid));
    EXPECT_EQ(guid, "srv");
    ASSERT_TRUE(editor.UpdateArticleText(id, "edited", "", "body"));
    BlogArticle article;
    ASSERT_TRUE(m_store.GetArticle(id, article));
    EXPECT_EQ(article.title, "edited");
}

TEST_F(BlogStoreTest, CompactShrinksTheFileAndKeepsTheArticles) {
    const std::string big(20000, 'x');
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(m_store.AddArticleWithGuid(kBlogFolderDrafts, "me", "", "t", "", big, ""));
    }
    ASSERT_TRUE(m_store.ClearFolder(kBlogFolderDrafts, "me"));
    int keep = AddDraft("me", "keep");
    m_store.Close();  // the last connection's close moves the journal into the file
    struct stat before {};
    ASSERT_EQ(stat(DbPath().c_str(), &before), 0);

    ASSERT_TRUE(m_store.Open());
    ASSERT_TRUE(m_store.Compact()) << m_store.GetLastError();
    m_store.Close();
    struct stat after {};
    ASSERT_EQ(stat(DbPath().c_str(), &after), 0);
    EXPECT_LT(after.st_size, before.st_size / 10);

    ASSERT_TRUE(m_store.Open());
    BlogArticle article;
    ASSERT_TRUE(m_store.GetArticle(keep, article));
    EXPECT_EQ(article.title, "keep");
    m_store.BeginTransaction();
    EXPECT_FALSE(m_store.Compact());  // not inside a transaction
    EXPECT_FALSE(m_store.GetLastError().empty());
    m_store.CommitTransaction();
}

TEST(BlogStoreOpenTest, RefusesAFileThatIsNotADatabaseAndLeavesItAlone) {
    test::TempDir root("articles");
    const std::string junk =
        std::string("This is not an SQLite file at all.\n") + std::string(4096, 'z');
    std::string path = root.WriteFile("Storage/blog.db", junk);
    CBlogStore store(root.Path());
    EXPECT_FALSE(store.Open());
    EXPECT_FALSE(store.GetLastError().empty());
    EXPECT_FALSE(store.IsOpen());
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, junk);
}

TEST(BlogStoreOpenTest, FailsWithAReasonWhenTheStorageFolderIsMissing) {
    test::TempDir root("articles");
    CBlogStore store(root.PathOf("absent"));
    EXPECT_FALSE(store.Open());
    EXPECT_FALSE(store.GetLastError().empty());
}

}  // namespace
}  // namespace zirvo
