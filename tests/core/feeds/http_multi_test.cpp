// The multi engine against loopback sites: limits overall and per host as the sites see them,
// the pause a busy site asks for, and aborts of waiting and running transfers.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "core/net/http_multi.h"
#include "support/feed_server.h"

namespace zirvo::test {
namespace {

HttpRequest Get(const std::string& url, const std::atomic<bool>* abort = nullptr) {
    HttpRequest request;
    request.url = url;
    request.totalTimeoutMs = 60000;
    request.abortFlag = abort;
    return request;
}

TEST(HttpMulti, HostKeysNameSchemeHostAndPort) {
    EXPECT_EQ(HostKeyOf("http://Example.org/feed"), "http://example.org:80");
    EXPECT_EQ(HostKeyOf("https://example.org"), "https://example.org:443");
    EXPECT_EQ(HostKeyOf("http://user:pw@127.0.0.1:8080/x?y"), "http://127.0.0.1:8080");
    EXPECT_EQ(HostKeyOf("http://[::1]/x"), "http://[::1]:80");
    EXPECT_EQ(HostKeyOf("http:///x"), "");
    EXPECT_EQ(HostKeyOf("no address"), "");
}

TEST(HttpMulti, KeepsToItsLimitsOverallAndPerHost) {
    CFeedServer a;
    CFeedServer b;
    CFeedServer c;
    CHttpMulti multi({4, 2});
    std::vector<std::thread> threads;
    std::atomic<int> ok{0};
    for (int i = 0; i < 18; ++i) {
        CFeedServer& site = i % 3 == 0 ? a : (i % 3 == 1 ? b : c);
        threads.emplace_back([&multi, &ok, url = site.Url("/slow?s=0.15&to=/corpus/narro.rss")] {
            HttpResponse response = multi.Perform(Get(url));
            ok += response.Completed() && response.status == 200 && !response.body.empty();
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(ok, 18);
    int overall = 0;
    for (const CFeedServer* site : {&a, &b, &c}) {
        CFeedServer::InFlightStats stats = site->InFlight();
        EXPECT_LE(stats.perHost, 2);
        EXPECT_GE(stats.perHost, 1);
        overall += stats.overall;
    }
    // Three sites at two each could take six; the engine allows four at once.
    EXPECT_LE(overall, 6);
    EXPECT_GE(overall, 3);
}

TEST(HttpMulti, KeepsAConnectionForEverySiteOfAWalk) {
    // More sites at their per-host limit than transfers in flight, asked in turn by more
    // threads than that, as a folder walk asks them: each site's connections are reused.
    std::vector<std::unique_ptr<CFeedServer>> sites;
    for (int n = 0; n < 4; ++n) {
        sites.push_back(std::make_unique<CFeedServer>());
    }
    CHttpMulti multi({4, 2});
    std::vector<std::thread> threads;
    std::atomic<int> ok{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 6; ++i) {
                const CFeedServer& site = *sites[static_cast<size_t>(t + i) % sites.size()];
                HttpResponse response = multi.Perform(Get(site.Url("/slow?s=0.02&to=/gen/1")));
                ok += response.Completed() && response.status == 200;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(ok, 48);
    for (const auto& site : sites) {
        EXPECT_LE(site->InFlight().connections, 2);
    }
}

TEST(HttpMulti, ABusySiteIsLeftAloneForItsRetryAfterWhileOthersGoOn) {
    CFeedServer busy;
    CFeedServer other;
    CHttpMulti multi({8, 2});
    HttpResponse first = multi.Perform(Get(busy.Url("/busy?code=429&retry=2")));
    EXPECT_EQ(first.status, 429);
    EXPECT_EQ(first.retryAfter, "2");
    std::thread again([&] { multi.Perform(Get(busy.Url("/corpus/narro.rss"))); });
    HttpResponse meanwhile = multi.Perform(Get(other.Url("/slow?s=0.3&to=/corpus/narro.rss")));
    EXPECT_EQ(meanwhile.status, 200);
    // While the other site's slow answer ran, the busy one was not asked again.
    EXPECT_EQ(busy.RequestsFor("/corpus/narro.rss").size(), 0u);
    again.join();
    EXPECT_EQ(busy.RequestsFor("/corpus/narro.rss").size(), 1u);
}

TEST(HttpMulti, AnAbortEndsRunningAndWaitingTransfers) {
    CFeedServer site;
    CHttpMulti multi({4, 1});
    std::atomic<bool> abort{false};
    std::vector<HttpResponse> responses(3);
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back(
            [&, i] { responses[i] = multi.Perform(Get(site.Url("/stall"), &abort)); });
    }
    while (site.RequestsFor("/stall").empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    abort = true;
    for (auto& thread : threads) {
        thread.join();
    }
    for (const HttpResponse& response : responses) {
        EXPECT_EQ(response.failure, HttpFailure::Aborted);
    }
    // One site, one at a time: the other two never went out.
    EXPECT_EQ(site.RequestsFor("/stall").size(), 1u);
}

}  // namespace
}  // namespace zirvo::test
