#include "core/blogapi/editor_calls.h"

#include <gtest/gtest.h>

#include "blogapi_fixture.h"

namespace zirvo::test {
namespace {

class EditorCallsTest : public BlogApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Ok()) << m_server.Error(); }
    FetchOutcome Categories(const std::string& type, std::vector<std::string>& names) {
        BlogEndpoint account = Endpoint(m_server, type);
        return FetchCategories(account, Connection(account), Services(), names);
    }
    FetchOutcome SystemCategories(const std::string& type, std::vector<std::string>& names) {
        BlogEndpoint account = Endpoint(m_server, type);
        return FetchSystemCategories(account, Connection(account), Services(), names);
    }
    bool Upload(UploadRecord& record, std::string& url, const std::string& type = "MetaWeblog") {
        BlogEndpoint account = Endpoint(m_server, type);
        return UploadFile(account, Connection(account), Services(), record, url);
    }
    CBlogServer m_server;
};

TEST_F(EditorCallsTest, EachFlavourFetchesCategoriesWithItsOwnCall) {
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(Categories("Blogger", names), FetchOutcome::Skipped);
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(m_server.Requests().empty());

    ASSERT_EQ(Categories("MetaWeblog", names), FetchOutcome::Fetched);
    EXPECT_EQ(names, (std::vector<std::string>{"技术", "生活 & 随笔", "<杂项>"}));
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/methodName"),
              "metaWeblog.getCategories");

    ASSERT_EQ(Categories("MovableType", names), FetchOutcome::Fetched);
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/methodName"), "mt.getCategoryList");
}

TEST_F(EditorCallsTest, AnUnknownFlavourOrAFailedCallGivesAnEmptyList) {
    std::vector<std::string> names;
    EXPECT_EQ(Categories("Typepad", names), FetchOutcome::Failed);
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{"无匹配的blog类型!"});
    BlogEndpoint account = Endpoint(m_server, "MetaWeblog", "/fault-int");
    EXPECT_EQ(FetchCategories(account, Connection(account), Services(), names),
              FetchOutcome::Failed);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{4000});
}

TEST_F(EditorCallsTest, OnlyMetaWeblogHasSystemCategories) {
    std::vector<std::string> names;
    EXPECT_EQ(SystemCategories("MovableType", names), FetchOutcome::Skipped);
    EXPECT_EQ(SystemCategories("MSN Spaces", names), FetchOutcome::Skipped);
    EXPECT_TRUE(m_server.Requests().empty());
    ASSERT_EQ(SystemCategories("MetaWeblog", names), FetchOutcome::Fetched);
    EXPECT_EQ(names, (std::vector<std::string>{"新闻", "体育"}));
}

TEST_F(EditorCallsTest, UploadSendsTheFileAsStandardBase64AndReturnsItsAddress) {
    UploadRecord four{m_root.WriteFile("pics/a.gif", std::string("\x00\xff\x10\x20", 4)), "a.gif",
                      "gif", ""};
    std::string url;
    ASSERT_TRUE(Upload(four, url));
    EXPECT_EQ(four.bitsBase64, "AP8QIA==");
    EXPECT_EQ(url, m_server.Url("/media/a.gif"));
    RecordedRequest request = m_server.LastRequest();
    const std::string member = "/methodCall/params/param[3]/value/struct/member";
    EXPECT_EQ(RequestText(request, member + "[name=\"bits\"]/value/base64"), "AP8QIA==");
    EXPECT_EQ(RequestText(request, member + "[name=\"name\"]/value/string"), "a.gif");
    EXPECT_EQ(RequestText(request, member + "[name=\"type\"]/value/string"), "image/gif");

    UploadRecord six{m_root.WriteFile("pics/b.jpg", "abcdef"), "b.jpg", "jpg", ""};
    ASSERT_TRUE(Upload(six, url));
    EXPECT_EQ(six.bitsBase64, "YWJjZGVm");
    HttpRequest get;
    get.url = url;
    EXPECT_EQ(m_http.Perform(get).body, "abcdef");
}

TEST_F(EditorCallsTest, UploadFailuresLeaveNoAddress) {
    UploadRecord missing{m_root.PathOf("nothing.gif"), "nothing.gif", "gif", ""};
    std::string url = "unchanged";
    EXPECT_FALSE(Upload(missing, url));
    EXPECT_EQ(url, "unchanged");
    EXPECT_EQ(m_reporter.MessageBoxes().size(), 1u);
    EXPECT_TRUE(m_server.Requests().empty());

    UploadRecord refused{m_root.WriteFile("c.gif", "GIF89a"), "c.gif", "gif", ""};
    BlogEndpoint account = Endpoint(m_server, "MetaWeblog");
    account.password = "wrong";
    EXPECT_FALSE(UploadFile(account, Connection(account), Services(), refused, url));
    EXPECT_EQ(url, "unchanged");
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{4000});
}

TEST_F(EditorCallsTest, AFileTooLargeToHoldIsRefusedBeforeSending) {
    std::string path = m_root.PathOf("big.gif");
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fseek(f, static_cast<long>(kMaxUploadBytes), SEEK_SET);
        std::fputc('x', f);
        std::fclose(f);
    }
    UploadRecord big{path, "big.gif", "gif", ""};
    std::string url;
    EXPECT_FALSE(Upload(big, url));
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{"Alloc memory error"});
    EXPECT_TRUE(m_server.Requests().empty());
}

}  // namespace
}  // namespace zirvo::test
