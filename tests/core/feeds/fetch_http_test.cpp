// FetchFeed over real HTTP against the loopback feed site: what is sent, what is followed and
// accepted, and how every kind of bad answer fails.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/config/proxy.h"
#include "core/feeds/feed_fetcher.h"
#include "core/util/base64.h"
#include "core/util/closing_flag.h"
#include "core/util/text_codec.h"
#include "support/feed_server.h"

namespace zirvo {
namespace {

using test::CFeedServer;

class FetchHttp : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = new CFeedServer(); }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_server->Reset()); }
    void TearDown() override { SetClosing(false); }

    static CFeedServer& Server() { return *s_server; }

    FeedFetchResult Fetch(const std::string& path, std::vector<RssItem>& items) {
        CFeedFetcher fetcher;
        fetcher.FetchFeed(Server().Url(path), items);
        return fetcher.LastResult();
    }

    static CFeedServer* s_server;
};

CFeedServer* FetchHttp::s_server = nullptr;

TEST_F(FetchHttp, SendsOneGetWithTheFixedUserAgentAndAcceptsCompression) {
    std::vector<RssItem> items;
    ASSERT_TRUE(Fetch("/corpus/heraldsun.rss", items).Ok());
    EXPECT_EQ(items.size(), 2u);
    auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].userAgent, kFeedUserAgent);
    EXPECT_NE(requests[0].acceptEncoding.find("gzip"), std::string::npos);
}

TEST_F(FetchHttp, ReadsAGzipCompressedFeed) {
    std::vector<RssItem> plain;
    std::vector<RssItem> zipped;
    ASSERT_TRUE(Fetch("/corpus/reddit.rss", plain).Ok());
    ASSERT_TRUE(Fetch("/gzip/reddit.rss", zipped).Ok());
    ASSERT_EQ(zipped.size(), 24u);
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(zipped[i].link, plain[i].link);
        EXPECT_EQ(zipped[i].description, plain[i].description);
    }
}

TEST_F(FetchHttp, FollowsRedirects) {
    std::vector<RssItem> items;
    FeedFetchResult result = Fetch("/redirect?to=/corpus/narro.rss&n=3", items);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(result.finalUrl, Server().Url("/corpus/narro.rss"));
    EXPECT_EQ(Server().Requests().size(), 4u);
}

TEST_F(FetchHttp, WaitsForASlowSite) {
    std::vector<RssItem> items;
    EXPECT_TRUE(Fetch("/slow?s=0.5&to=/corpus/narro.rss", items).Ok());
    EXPECT_EQ(items.size(), 1u);
}

TEST_F(FetchHttp, BadAnswersFailWithTheirKind) {
    struct Case {
        const char* path;
        FeedFailure failure;
    };
    const Case cases[] = {
        {"/status/404", FeedFailure::Html},
        {"/status/500", FeedFailure::Html},
        {"/html", FeedFailure::Html},
        {"/empty", FeedFailure::Empty},
        {"/truncated", FeedFailure::Network},
        {"/broken.json", FeedFailure::NotJson},
        {"/entryless.atom", FeedFailure::NoItems},
    };
    ASSERT_TRUE(Server().Put("/broken.json", "{\"items\": [", "application/feed+json"));
    ASSERT_TRUE(Server().Put(
        "/entryless.atom", "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title></feed>"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<RssItem> items = {RssItem()};
        FeedFetchResult result = Fetch(c.path, items);
        EXPECT_EQ(result.failure, c.failure)
            << FeedFailureName(result.failure) << ": " << result.error;
        EXPECT_FALSE(result.error.empty());
        EXPECT_TRUE(items.empty());
    }
    std::vector<RssItem> items;
    EXPECT_NE(Fetch("/status/404", items).error.find("HTTP 404"), std::string::npos);
}

TEST_F(FetchHttp, AnAnswerPastTheSizeCapIsRefused) {
    std::vector<RssItem> items;
    FeedFetchResult result = Fetch("/huge?mb=40", items);
    EXPECT_EQ(result.failure, FeedFailure::TooLarge) << result.error;
    EXPECT_TRUE(items.empty());
}

TEST_F(FetchHttp, OnlyHttpAddressesAreFetched) {
    for (const char* url : {"file:///etc/passwd", "ftp://127.0.0.1/feed", "", "127.0.0.1/x"}) {
        CFeedFetcher fetcher;
        std::vector<RssItem> items;
        EXPECT_FALSE(fetcher.FetchFeed(url, items));
        EXPECT_EQ(fetcher.LastResult().failure, FeedFailure::BadUrl) << url;
    }
}

TEST_F(FetchHttp, AbortFlagStopsAStalledTransferAtOnce) {
    std::atomic<bool> abort{false};
    CFeedFetcher fetcher;
    fetcher.SetAbortFlag(&abort);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        abort = true;
    });
    std::vector<RssItem> items;
    // The server holds this answer open for a minute; only the flag can end it early.
    EXPECT_FALSE(fetcher.FetchFeed(Server().Url("/stall"), items));
    stopper.join();
    EXPECT_EQ(fetcher.LastResult().failure, FeedFailure::Aborted);
}

TEST_F(FetchHttp, ClosingFlagStopsAStalledTransferAndPreventsNewOnes) {
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        SetClosing(true);
    });
    std::vector<RssItem> items;
    EXPECT_EQ(Fetch("/stall", items).failure, FeedFailure::Aborted);
    stopper.join();

    EXPECT_EQ(Fetch("/corpus/narro.rss", items).failure, FeedFailure::Aborted);
    SetClosing(false);
    auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/stall");
}

TEST_F(FetchHttp, HttpCharsetDecodesAnUndeclaredFeed) {
    std::string utf8 =
        "<rss><channel><title>中文频道</title><item><title>新闻</title>"
        "<link>http://x/1</link></item></channel></rss>";
    ASSERT_TRUE(Server().Put("/undeclared.xml", Utf8ToGb18030(utf8), "text/xml; charset=GB2312"));
    CFeedFetcher fetcher;
    std::vector<RssItem> items;
    ASSERT_TRUE(fetcher.FetchFeed(Server().Url("/undeclared.xml"), items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "新闻");
    std::string title;
    ASSERT_TRUE(fetcher.FetchChannelTitle(Server().Url("/undeclared.xml"), title));
    EXPECT_EQ(title, "中文频道");
}

TEST_F(FetchHttp, ChannelTitleOfCorpusFeedsAndItsFailures) {
    CFeedFetcher fetcher;
    std::string title;
    ASSERT_TRUE(fetcher.FetchChannelTitle(Server().Url("/corpus/gb2312-news.xml"), title));
    EXPECT_EQ(title, "中文新闻频道");
    FeedChannelInfo info;
    ASSERT_TRUE(fetcher.FetchChannelInfo(Server().Url("/corpus/gulp-atom.atom"), info));
    EXPECT_EQ(info.title, "Release notes of a tool");
    EXPECT_EQ(info.homePage, "http://releases.example.com/tool");
    EXPECT_FALSE(fetcher.FetchChannelTitle(Server().Url("/corpus/unrecognized.rss"), title));
    EXPECT_TRUE(title.empty());
    EXPECT_FALSE(fetcher.FetchChannelTitle(Server().Url("/html"), title));
    EXPECT_EQ(fetcher.LastResult().failure, FeedFailure::Html);
}

TEST_F(FetchHttp, ProxyIsUsedUnlessTheLocalAddressRuleExemptsTheHost) {
    CFeedServer proxyServer;
    ProxySettings proxy;
    proxy.use = 1;
    proxy.useForLocal = 1;
    proxy.server = "127.0.0.1";
    proxy.port = std::to_string(proxyServer.Port());
    proxy.userName = "user";
    proxy.password = "secret";
    std::string url = Server().Url("/corpus/narro.rss");

    CFeedFetcher viaProxy;
    viaProxy.SetProxy(proxy);
    std::vector<RssItem> items;
    // The loopback "proxy" answers the absolute request itself, serving the same corpus.
    ASSERT_TRUE(viaProxy.FetchFeed(url, items)) << viaProxy.LastResult().error;
    auto proxied = proxyServer.Requests();
    ASSERT_EQ(proxied.size(), 1u);
    EXPECT_EQ(proxied[0].path, url);
    EXPECT_EQ(proxied[0].proxyAuthorization, "Basic " + Base64Encode("user:secret"));
    EXPECT_TRUE(Server().Requests().empty());

    // 127.x is a local address: without "use the proxy for local addresses" it goes direct.
    proxy.useForLocal = 0;
    CFeedFetcher direct;
    direct.SetProxy(proxy);
    ASSERT_TRUE(direct.FetchFeed(url, items));
    EXPECT_EQ(proxyServer.Requests().size(), 1u);
    EXPECT_EQ(Server().Requests().size(), 1u);
}

TEST_F(FetchHttp, ProcessProxyRecordIsReadByDefault) {
    CFeedServer proxyServer;
    ProxySettings saved = ProcessProxy();
    ProxySettings proxy;
    proxy.use = 1;
    proxy.useForLocal = 1;
    proxy.server = "127.0.0.1";
    proxy.port = std::to_string(proxyServer.Port());
    SetProcessProxy(proxy);
    std::vector<RssItem> items;
    bool ok = FetchFeed(Server().Url("/corpus/narro.rss"), items);
    SetProcessProxy(saved);
    EXPECT_TRUE(ok);
    EXPECT_EQ(proxyServer.Requests().size(), 1u);
    EXPECT_TRUE(Server().Requests().empty());
}

}  // namespace
}  // namespace zirvo
