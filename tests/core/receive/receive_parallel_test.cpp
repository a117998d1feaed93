// Folder walks fetching in parallel through the shared engine: the site sees at most the
// per-host limit at once, merges and reports keep the walk's order, and a busy site's pause
// holds back only that site.

#include "receive_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(ReceiveTest, AWalkFetchesInParallelWithinThePerHostLimitAndMergesInWalkOrder) {
    std::vector<NodeId> channels;
    for (int n = 0; n < 8; ++n) {
        channels.push_back(AddChannel("C" + std::to_string(n),
                                      "/slow?s=0.2&to=/gen/" + std::to_string(n) + "%3Fitems=3"));
    }
    ASSERT_EQ(m_manager->FetchesPerHost(), 2);
    Server().Reset();
    m_observer.Clear();
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();

    const CFeedServer::InFlightStats stats = Server().InFlight();
    EXPECT_EQ(stats.perHost, 2);
    Strings done;
    for (const ChannelReceiveOutcome& outcome : m_observer.Outcomes()) {
        EXPECT_TRUE(outcome.ok) << outcome.message;
        done.push_back(std::to_string(outcome.node));
    }
    Strings expected;
    for (NodeId id : channels) {
        expected.push_back(std::to_string(id));
        EXPECT_EQ(StoredLinks(id).size(), 3u);
    }
    EXPECT_EQ(done, expected);

    // One at a time when the limit says so.
    m_manager->SetFetchesPerHost(1);
    Server().Reset();
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();
    EXPECT_EQ(Server().InFlight().perHost, 1);
}

TEST_F(ReceiveTest, AWalkKeepsToTheLimitInFlightWithMoreFetchThreads) {
    // The walk runs more fetch threads than transfers in flight (the next requests wait in the
    // engine while answers are read): the site still sees no more than the limit at once.
    std::vector<NodeId> channels;
    for (int n = 0; n < 12; ++n) {
        channels.push_back(AddChannel("C" + std::to_string(n),
                                      "/slow?s=0.1&to=/gen/" + std::to_string(n) + "%3Fitems=3"));
    }
    m_manager->SetParallelFetches(3);
    m_manager->SetFetchesPerHost(8);
    Server().Reset();
    m_observer.Clear();
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();

    EXPECT_EQ(Server().InFlight().overall, 3);
    Strings done;
    for (const ChannelReceiveOutcome& outcome : m_observer.Outcomes()) {
        EXPECT_TRUE(outcome.ok) << outcome.message;
        done.push_back(std::to_string(outcome.node));
    }
    Strings expected;
    for (NodeId id : channels) {
        expected.push_back(std::to_string(id));
        EXPECT_EQ(StoredLinks(id).size(), 3u);
    }
    EXPECT_EQ(done, expected);
}

TEST_F(ReceiveTest, ABusySiteInAWalkFailsItsChannelAndTheWalkGoesOn) {
    NodeId busy = AddChannel("Busy", "/busy?code=503&retry=1");
    NodeId after = AddChannel("After", "/corpus/narro.rss");
    m_observer.Clear();
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();
    EXPECT_EQ(ImageOf(busy), kImageFailed);
    EXPECT_EQ(ImageOf(after), kImageReceived);
    auto outcomes = m_observer.Outcomes();
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].node, busy);
    EXPECT_NE(outcomes[0].message.find("网站繁忙（HTTP 503）"), std::string::npos)
        << outcomes[0].message;
}

}  // namespace
}  // namespace zirvo::test
