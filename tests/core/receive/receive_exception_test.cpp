// An exception inside one channel's receive (here: out of memory while fetching it) is that
// channel's failure: image 4, a failed outcome, and the walk goes on with the next channel.

#include <filesystem>
#include <new>

#include "core/net/http_client.h"
#include "receive_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

std::string Done(NodeId node, bool ok = true) {
    return "done " + std::to_string(node) + (ok ? " ok" : " fail");
}

// Real HTTP through curl, except that a request for a path holding "/exhausted" runs out of
// memory the way a huge answer would.
class CExhaustingHttpClient : public IHttpClient {
public:
    HttpResponse Perform(const HttpRequest& request) override {
        if (request.url.find("/exhausted") != std::string::npos) {
            throw std::bad_alloc();
        }
        return m_real.Perform(request);
    }

private:
    CCurlHttpClient m_real;
};

class ReceiveExceptionTest : public ReceiveTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ReceiveTest::SetUp();
        m_manager = std::make_unique<CReceiveManager>(m_tree, m_observer, m_root.Path(), &m_http);
        m_manager->SetParallelFetches(GetParam());
        ASSERT_TRUE(Server().Put("/x/one.rss", FeedWith({"http://x/1"})));
        ASSERT_TRUE(Server().Put("/x/two.rss", FeedWith({"http://x/2", "http://x/3"})));
    }

    CExhaustingHttpClient m_http;
};

TEST_P(ReceiveExceptionTest, FolderWalkCountsTheChannelAsFailedAndGoesOn) {
    NodeId folder = AddFolder("F");
    NodeId first = AddChannel("first", "/x/one.rss", folder);
    NodeId broken = AddChannel("broken", "/exhausted.rss", folder);
    NodeId last = AddChannel("last", "/x/two.rss", folder);
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(first), Done(broken, false), Done(last)}));
    EXPECT_EQ(ImageOf(broken), kImageFailed);
    EXPECT_EQ(ImageOf(last), kImageReceived);
    EXPECT_EQ(m_tree.Unread(last), 2);
    EXPECT_FALSE(m_tree.FolderReceiveRunning());
    for (const ChannelReceiveOutcome& outcome : m_observer.Outcomes()) {
        if (outcome.node == broken) {
            EXPECT_FALSE(outcome.ok);
            EXPECT_NE(outcome.error.find("内存不足"), std::string::npos) << outcome.error;
        }
    }
}

TEST_P(ReceiveExceptionTest, SingleChannelReceiveReportsTheFailure) {
    NodeId broken = AddChannel("broken", "/exhausted.rss");
    EXPECT_TRUE(ReceiveOne(broken));
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(broken, false)}));
    EXPECT_EQ(ImageOf(broken), kImageFailed);
}

class ReceiveStoreFailureTest : public ReceiveTest {};

TEST_F(ReceiveStoreFailureTest, WalkWithoutAStoreFailsEveryChannel) {
    NodeId folder = AddFolder("F");
    NodeId first = AddChannel("first", "/x/one.rss", folder);
    NodeId second = AddChannel("second", "/x/two.rss");
    m_store.reset();
    // Something else took the database's place after the window had opened it.
    std::filesystem::remove(m_root.PathOf("Storage/rss.db"));
    m_root.WriteFile("Storage/rss.db", std::string(4096, 'x'));
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(first, false), Done(second, false)}));
    EXPECT_EQ(ImageOf(first), kImageFailed);
    std::vector<ChannelReceiveOutcome> outcomes = m_observer.Outcomes();
    ASSERT_FALSE(outcomes.empty());
    EXPECT_NE(outcomes[0].error.find("feed database"), std::string::npos) << outcomes[0].error;
}

// 1: the walking thread fetches; 3: fetch threads run ahead of the walk.
INSTANTIATE_TEST_SUITE_P(FetchWindow, ReceiveExceptionTest, ::testing::Values(1, 3));

}  // namespace
}  // namespace zirvo::test
