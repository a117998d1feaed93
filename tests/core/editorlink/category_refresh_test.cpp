// The category caches' fetch-and-write procedure against a loopback blog server: what the file
// holds after a success, a failed call and a failed write, and when the header bar's box fetches.

#include <gtest/gtest.h>

#include "core/blogapi/blog_transport.h"
#include "core/config/error_msg_dialog.h"
#include "core/editorlink/category_cache.h"
#include "core/net/http_client.h"
#include "core/util/files.h"
#include "core/util/reporter.h"
#include "support/blog_server.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using Names = std::vector<std::string>;
const Names kServerCategories = {"技术", "生活 & 随笔", "<杂项>"};

class CategoryRefreshTest : public ::testing::Test {
protected:
    CategoryRefreshTest() : m_messages(m_root.PathOf("ErrorMsg.xml"), m_reporter) {
        test::CBlogServer::InstallClientData(m_root.Path());
    }
    void SetUp() override { ASSERT_TRUE(m_server.Ok()) << m_server.Error(); }

    BlogEndpoint Account(const std::string& apiType, const std::string& path = "/RPC2") {
        BlogEndpoint account;
        account.name = "博客";
        account.xmlrpcUrl = "http://127.0.0.1" + path;
        account.port = std::to_string(m_server.Port());
        account.apiType = apiType;
        account.userName = "alice";
        account.password = "secret";
        account.encodeType = "UTF-8";
        return account;
    }
    CategoryRefresh Refresh(const BlogEndpoint& account, CategoryList list = CategoryList::kBlog) {
        ConnectionSettings connection =
            MakeConnectionSettings(account, ProxySettings{}, DebugSettings{});
        return RefreshCategoryCache(m_root.Path(), account, connection, Services(), list);
    }
    BlogClientServices Services() {
        return BlogClientServices{m_http, m_messages, CDataRoot(m_root.Path())};
    }
    Names Cached(CategoryList list = CategoryList::kBlog) {
        Names names;
        std::string path = list == CategoryList::kBlog
                               ? CategoryCachePath(m_root.Path(), "博客")
                               : SystemCategoryCachePath(m_root.Path(), "博客");
        EXPECT_TRUE(ReadCategoryCache(path, names)) << path;
        return names;
    }

    test::TempDir m_root{"category-refresh"};
    test::CBlogServer m_server{test::BlogServerOptions{.wordpress = true}};
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    CCurlHttpClient m_http;
};

TEST_F(CategoryRefreshTest, AFetchedListReplacesTheCacheFile) {
    CategoryRefresh refresh = Refresh(Account("MetaWeblog"));
    EXPECT_EQ(refresh.outcome, CategoryRefreshOutcome::kWritten);
    EXPECT_TRUE(refresh.Ok());
    EXPECT_EQ(refresh.names, kServerCategories);
    EXPECT_EQ(refresh.path, CategoryCachePath(m_root.Path(), "博客"));
    EXPECT_EQ(Cached(), kServerCategories);

    refresh = Refresh(Account("MetaWeblog"), CategoryList::kSystem);
    EXPECT_EQ(refresh.outcome, CategoryRefreshOutcome::kWritten);
    EXPECT_EQ(Cached(CategoryList::kSystem), (Names{"新闻", "体育"}));
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(CategoryRefreshTest, AFailedFetchKeepsThePreviousFileAndFails) {
    ASSERT_TRUE(Refresh(Account("MovableType")).Ok());
    const std::string path = CategoryCachePath(m_root.Path(), "博客");
    std::string before;
    ASSERT_TRUE(ReadFileBytes(path, before));

    CategoryRefresh refused = Refresh(Account("MovableType", "/fault-int"));
    EXPECT_EQ(refused.outcome, CategoryRefreshOutcome::kFetchFailed);
    EXPECT_FALSE(refused.Ok());
    std::string after;
    ASSERT_TRUE(ReadFileBytes(path, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(Cached(), kServerCategories);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{4000});

    // An unknown flavour is a failure too, and also leaves the file alone.
    CategoryRefresh unknown = Refresh(Account("metaweblog"));
    EXPECT_EQ(unknown.outcome, CategoryRefreshOutcome::kFetchFailed);
    EXPECT_EQ(Cached(), kServerCategories);
}

TEST_F(CategoryRefreshTest, AFileThatCannotBeWrittenIsAFailure) {
    // Temp/ is a file here, so nothing can be created below it.
    m_root.WriteFile("Temp", "not a folder");
    CategoryRefresh refresh = Refresh(Account("MetaWeblog"));
    EXPECT_EQ(refresh.outcome, CategoryRefreshOutcome::kWriteFailed);
    EXPECT_FALSE(refresh.Ok());
    EXPECT_EQ(refresh.names, kServerCategories);
    EXPECT_EQ(m_reporter.MessageBoxes(),
              Names{kTextCannotWriteCategoryCache + CategoryCachePath(m_root.Path(), "博客")});
}

TEST_F(CategoryRefreshTest, FlavoursWithoutTheListAskNothingAndSucceed) {
    EXPECT_EQ(Refresh(Account("Blogger")).outcome, CategoryRefreshOutcome::kSkipped);
    EXPECT_EQ(Refresh(Account("MovableType"), CategoryList::kSystem).outcome,
              CategoryRefreshOutcome::kSkipped);
    EXPECT_TRUE(m_server.Requests().empty());
    EXPECT_FALSE(FileExists(CategoryCachePath(m_root.Path(), "博客")));
}

TEST_F(CategoryRefreshTest, TheCategoryBoxFetchesOnlyWhenTheFileIsMissing) {
    BlogEndpoint account = Account("MetaWeblog");
    ConnectionSettings connection =
        MakeConnectionSettings(account, ProxySettings{}, DebugSettings{});
    Names names;
    ASSERT_TRUE(LoadCategoryBox(m_root.Path(), account, connection, Services(), names));
    EXPECT_EQ(names, kServerCategories);
    EXPECT_EQ(m_server.Requests().size(), 1u);
    names.clear();
    ASSERT_TRUE(LoadCategoryBox(m_root.Path(), account, connection, Services(), names));
    EXPECT_EQ(names, kServerCategories);
    EXPECT_EQ(m_server.Requests().size(), 1u);  // read from the file

    // A Blogger account has no categories: nothing to show, nothing asked.
    BlogEndpoint blogger = Account("Blogger");
    blogger.name = "另一个";
    EXPECT_FALSE(LoadCategoryBox(m_root.Path(), blogger, connection, Services(), names));
    EXPECT_EQ(m_server.Requests().size(), 1u);
}

TEST_F(CategoryRefreshTest, AMovedEndpointIsReported) {
    test::CBlogServer moved(test::BlogServerOptions{.redirectTo = m_server.Url("/RPC2")});
    ASSERT_TRUE(moved.Ok()) << moved.Error();
    BlogEndpoint account = Account("MetaWeblog");
    account.port = std::to_string(moved.Port());
    CategoryRefresh refresh = Refresh(account);
    EXPECT_EQ(refresh.outcome, CategoryRefreshOutcome::kWritten);
    EXPECT_EQ(refresh.movedTo, m_server.Url("/RPC2"));
}

}  // namespace
}  // namespace zirvo
