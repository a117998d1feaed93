// Conditional fetching against the loopback site: what the client sends back, what a 304 does
// and does not change, the bounds on hostile caching headers, and the record of each fetch.

#include <algorithm>
#include <ctime>

#include "core/net/http_caching.h"
#include "receive_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

const char kLastModified[] = "Tue, 03 Jan 2006 08:00:00 GMT";

class ConditionalReceiveTest : public ReceiveTest {
protected:
    FeedFetchState StateOf(NodeId channel) {
        FeedFetchState state;
        EXPECT_TRUE(m_store->GetFetchState(FeedIdOf(channel), state)) << m_store->GetLastError();
        return state;
    }
    ChannelReceiveOutcome LastOutcome() {
        auto outcomes = m_observer.Outcomes();
        return outcomes.empty() ? ChannelReceiveOutcome() : outcomes.back();
    }
    static long long Now() { return static_cast<long long>(std::time(nullptr)); }
};

TEST_F(ConditionalReceiveTest, ValidatorsGoBackAndA304ChangesNothingButCountsAsReceived) {
    Server().Reset();
    NodeId channel =
        AddChannel("Cond",
                   "/cond?feed=/corpus/heraldsun.rss&etag=v1&lm=Tue,%2003%20Jan%202006%20"
                   "08:00:00%20GMT");
    ASSERT_TRUE(ReceiveOne(channel));
    ASSERT_EQ(StoredLinks(channel).size(), 2u);
    FeedFetchState first = StateOf(channel);
    EXPECT_EQ(first.validators.etag, "\"v1\"");
    EXPECT_EQ(first.validators.lastModified, kLastModified);
    EXPECT_TRUE(first.ok);
    EXPECT_GE(first.time, Now() - 60);

    // The user reads one item: the 304 must leave that alone as well.
    std::vector<RssItem> items;
    int total = 0;
    ASSERT_TRUE(m_store->ListItems(FeedIdOf(channel), kAllItems, false, items, total, 10, 0));
    ASSERT_TRUE(m_store->SetItemRead(items[0].id, 1));
    const Strings linksBefore = StoredLinks(channel);
    m_observer.Clear();

    ASSERT_TRUE(ReceiveOne(channel));
    auto requests = Server().RequestsFor("/cond");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].ifNoneMatch, "");
    EXPECT_EQ(requests[1].ifNoneMatch, "\"v1\"");
    EXPECT_EQ(requests[1].ifModifiedSince, kLastModified);
    EXPECT_EQ(StoredLinks(channel), linksBefore);
    EXPECT_EQ(m_tree.Unread(channel), 1);
    EXPECT_EQ(ImageOf(channel), kImageReceived);
    ChannelReceiveOutcome outcome = LastOutcome();
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.notModified);
    EXPECT_EQ(outcome.unread, 1);
    int newCount = -1;
    ASSERT_TRUE(m_store->CountNew(FeedIdOf(channel), newCount));
    EXPECT_EQ(newCount, 1);
    FeedFetchState second = StateOf(channel);
    EXPECT_TRUE(second.ok);
    EXPECT_EQ(second.validators.etag, "\"v1\"");
    EXPECT_NE(second.message.find("没有变化"), std::string::npos) << second.message;
}

TEST_F(ConditionalReceiveTest, LastModifiedAloneMakesTheRequestConditional) {
    Server().Reset();
    NodeId channel = AddChannel(
        "Dated", "/cond?feed=/corpus/narro.rss&lm=Tue,%2003%20Jan%202006%2008:00:00%20GMT");
    ASSERT_TRUE(ReceiveOne(channel));
    ASSERT_TRUE(ReceiveOne(channel));
    auto requests = Server().RequestsFor("/cond");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].ifNoneMatch, "");
    EXPECT_EQ(requests[1].ifModifiedSince, kLastModified);
    EXPECT_TRUE(LastOutcome().notModified);
}

TEST_F(ConditionalReceiveTest, A304ToAnUnconditionalRequestIsAFailureThatSaysSo) {
    NodeId channel = AddChannel("Liar", "/cond?always304=1");
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(ImageOf(channel), kImageFailed);
    EXPECT_TRUE(StoredLinks(channel).empty());
    ChannelReceiveOutcome outcome = LastOutcome();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.fetchFailure, FeedFailure::BadAnswer);
    FeedFetchState state = StateOf(channel);
    EXPECT_FALSE(state.ok);
    EXPECT_NE(state.message.find("304"), std::string::npos) << state.message;
    EXPECT_NE(state.message.find("未带验证信息"), std::string::npos) << state.message;
}

TEST_F(ConditionalReceiveTest, OversizedValidatorsAreNeitherKeptNorSentBack) {
    Server().Reset();
    // 10 KB: curl reads it, the bound refuses it. 1 MB: more than any header curl accepts.
    NodeId big = AddChannel("Big", "/cond?feed=/corpus/heraldsun.rss&etagsize=10000");
    ASSERT_TRUE(ReceiveOne(big));
    EXPECT_EQ(ImageOf(big), kImageReceived);
    EXPECT_EQ(StateOf(big).validators.etag, "");
    ASSERT_TRUE(ReceiveOne(big));
    auto requests = Server().RequestsFor("/cond");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].ifNoneMatch, "");
    EXPECT_EQ(StoredLinks(big).size(), 2u);

    NodeId huge = AddChannel("Huge", "/cond?feed=/corpus/heraldsun.rss&etagsize=1048576");
    ASSERT_TRUE(ReceiveOne(huge));
    FeedFetchState state = StateOf(huge);
    EXPECT_EQ(state.validators.etag, "");
    EXPECT_LE(state.message.size(), kMaxFetchMessageBytes);
    EXPECT_EQ(ImageOf(huge), kImageFailed);
    EXPECT_FALSE(state.ok);
    EXPECT_EQ(LastOutcome().fetchFailure, FeedFailure::Network) << state.message;
}

TEST_F(ConditionalReceiveTest, RetryAfterIsCappedAndADateInThePastMeansNow) {
    // A site of its own: the site it names is paused for the rest of this receive manager's life.
    CFeedServer elsewhere;
    NodeId decade =
        m_tree.AddNode(kNoNode, "Decade", elsewhere.Url("/busy?code=503&retry=315360000"), "");
    ASSERT_TRUE(ReceiveOne(decade));
    EXPECT_EQ(ImageOf(decade), kImageFailed);
    FeedFetchState state = StateOf(decade);
    EXPECT_GT(state.notBefore, Now() + kMaxDeferSeconds - 120);
    EXPECT_LE(state.notBefore, Now() + kMaxDeferSeconds);
    EXPECT_NE(state.message.find("网站繁忙（HTTP 503）"), std::string::npos) << state.message;

    NodeId past =
        AddChannel("Past", "/busy?code=429&retry=Wed,%2021%20Oct%202015%2007:28:00%20GMT");
    ASSERT_TRUE(ReceiveOne(past));
    EXPECT_EQ(StateOf(past).notBefore, 0);
    NodeId garbage = AddChannel("Garbage", "/busy?code=429&retry=soon%20please");
    ASSERT_TRUE(ReceiveOne(garbage));
    EXPECT_EQ(StateOf(garbage).notBefore, 0);
}

TEST_F(ConditionalReceiveTest, ScheduledWalksWaitForTheSiteManualReceivesDoNot) {
    Server().Reset();
    NodeId cached = AddChannel("Cached", "/cond?feed=/corpus/heraldsun.rss&cc=max-age%3D600");
    NodeId plain = AddChannel("Plain", "/corpus/narro.rss");
    ASSERT_TRUE(ReceiveOne(cached));
    FeedFetchState state = StateOf(cached);
    EXPECT_GT(state.notBefore, Now() + 500);
    EXPECT_LE(state.notBefore, Now() + 600);
    Server().Reset();

    ASSERT_TRUE(m_manager->StartWeightedReceiveAll());
    m_manager->WaitIdle();
    EXPECT_TRUE(Server().RequestsFor("/cond").empty());
    EXPECT_EQ(Server().RequestsFor("/corpus/narro.rss").size(), 1u);
    ASSERT_TRUE(m_manager->StartReceiveAll(false, true));
    m_manager->WaitIdle();
    EXPECT_TRUE(Server().RequestsFor("/cond").empty());

    // "全部更新" and a channel's own receive are the user asking: they always fetch.
    ASSERT_TRUE(m_manager->StartReceiveAll());
    m_manager->WaitIdle();
    EXPECT_EQ(Server().RequestsFor("/cond").size(), 1u);
    ASSERT_TRUE(ReceiveOne(cached));
    EXPECT_EQ(Server().RequestsFor("/cond").size(), 2u);
    (void)plain;
}

TEST_F(ConditionalReceiveTest, AChangedFeedReplacesTheValidatorsAndFailuresKeepThem) {
    NodeId channel = AddChannel("Moving", "/moving.xml");
    ASSERT_TRUE(Server().Put("/moving.xml", FeedWith({"http://x/1"})));
    ASSERT_TRUE(ReceiveOne(channel));
    FeedFetchState state;
    ASSERT_TRUE(m_store->GetFetchState(FeedIdOf(channel), state));
    state.validators.etag = "\"old\"";
    ASSERT_TRUE(m_store->SaveFetchState(FeedIdOf(channel), state));

    // A failure keeps the validators of the items in the store.
    ASSERT_TRUE(Server().Put("/moving.xml", "not a feed"));
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StateOf(channel).validators.etag, "\"old\"");
    EXPECT_FALSE(StateOf(channel).ok);
    EXPECT_NE(StateOf(channel).message.find("不是格式正确的XML"), std::string::npos)
        << StateOf(channel).message;

    // A stored answer without validators makes the next request unconditional.
    ASSERT_TRUE(Server().Put("/moving.xml", FeedWith({"http://x/2", "http://x/1"})));
    ASSERT_TRUE(ReceiveOne(channel));
    EXPECT_EQ(StateOf(channel).validators.etag, "");
    EXPECT_TRUE(StateOf(channel).ok);
    EXPECT_EQ(StoredLinks(channel), (Strings{"http://x/2", "http://x/1"}));
}

TEST_F(ConditionalReceiveTest, DeletingOrMovingAChannelForgetsItsRecord) {
    NodeId channel = AddChannel("Gone", "/cond?feed=/corpus/heraldsun.rss&etag=g");
    ASSERT_TRUE(ReceiveOne(channel));
    const int id = FeedIdOf(channel);
    ASSERT_EQ(StateOf(channel).validators.etag, "\"g\"");
    ASSERT_TRUE(m_store->UpdateFeed(id, Server().Url("/elsewhere.xml"), FeedSettings()));
    FeedFetchState state;
    ASSERT_TRUE(m_store->GetFetchState(id, state));
    EXPECT_TRUE(state.NeverFetched());
    EXPECT_EQ(state.validators.etag, "");

    ASSERT_TRUE(m_store->SaveFetchState(id, FeedFetchState{{"\"x\"", ""}, 0, 1, true, "ok"}));
    ASSERT_TRUE(m_store->DeleteFeeds({{0, id}}));
    ASSERT_TRUE(m_store->GetFetchState(id, state));
    EXPECT_TRUE(state.NeverFetched());
}

TEST_F(ConditionalReceiveTest, AWalkOf304sKeepsTheCountsAndARecordThatCannotBeWrittenFailsAlone) {
    // `raise` ABORT fails the one write; ROLLBACK makes SQLite drop the walk's whole
    // transaction, which is then stored again channel by channel.
    for (const std::string raise : {"ABORT", "ROLLBACK"}) {
        SCOPED_TRACE(raise);
        std::vector<NodeId> channels;
        for (int i = 0; i < 6; ++i) {
            const std::string name = raise + std::to_string(i);
            ASSERT_TRUE(Server().Put("/" + name + ".xml",
                                     FeedWith({"http://x/" + name + "/a", "http://x/" + name + "/b",
                                               "http://x/" + name + "/c"})));
            channels.push_back(AddChannel(name, "/cond?feed=/" + name + ".xml&etag=" + name));
        }
        m_manager->SetParallelFetches(4);
        m_manager->SetFetchesPerHost(4);
        ASSERT_TRUE(m_manager->StartReceiveAll());
        m_manager->WaitIdle();
        // The user reads one item of the second channel, as the window does it.
        std::vector<RssItem> items;
        int total = 0;
        ASSERT_TRUE(
            m_store->ListItems(FeedIdOf(channels[1]), kAllItems, false, items, total, 10, 0));
        ASSERT_TRUE(m_store->SetItemRead(items[0].id, 1));
        m_tree.SetUnread(channels[1], 2);
        const FeedFetchState before = StateOf(channels[3]);
        ASSERT_TRUE(before.ok);
        ASSERT_TRUE(m_store->Execute(
            "CREATE TRIGGER keep_record BEFORE INSERT ON rssfetch_data WHEN NEW.feed_id = " +
            std::to_string(FeedIdOf(channels[3])) + " BEGIN SELECT RAISE(" + raise +
            ", 'record refused'); END;"));
        std::vector<Strings> linksBefore;
        for (NodeId channel : channels) {
            linksBefore.push_back(StoredLinks(channel));
        }
        m_observer.Clear();

        ASSERT_TRUE(m_manager->StartReceiveAll());
        m_manager->WaitIdle();
        ASSERT_TRUE(m_store->Execute("DROP TRIGGER keep_record;"));
        std::vector<ChannelReceiveOutcome> outcomes;
        for (const ChannelReceiveOutcome& outcome : m_observer.Outcomes()) {
            if (std::find(channels.begin(), channels.end(), outcome.node) != channels.end()) {
                outcomes.push_back(outcome);
            }
        }
        ASSERT_EQ(outcomes.size(), channels.size());
        for (size_t i = 0; i < channels.size(); ++i) {
            EXPECT_EQ(outcomes[i].node, channels[i]);
            EXPECT_TRUE(outcomes[i].ok) << outcomes[i].message;
            EXPECT_TRUE(outcomes[i].notModified) << i;
            EXPECT_EQ(outcomes[i].unread, i == 1 ? 2 : 3) << i;
            EXPECT_EQ(m_tree.Unread(channels[i]), i == 1 ? 2 : 3) << i;
            EXPECT_EQ(ImageOf(channels[i]), kImageReceived);
            EXPECT_EQ(StoredLinks(channels[i]), linksBefore[i]);
            const FeedFetchState state = StateOf(channels[i]);
            if (i == 3) {
                // The record could not be written: the one before stays, whole.
                EXPECT_EQ(state.message, before.message);
                EXPECT_EQ(state.time, before.time);
            } else {
                EXPECT_NE(state.message.find("没有变化"), std::string::npos) << state.message;
            }
            EXPECT_EQ(state.validators.etag, "\"" + raise + std::to_string(i) + "\"");
        }
        int newCount = -1;
        ASSERT_TRUE(m_store->CountNew(FeedIdOf(channels[1]), newCount));
        EXPECT_EQ(newCount, 2);
        for (NodeId channel : channels) {
            m_tree.Remove(channel);
        }
    }
}

}  // namespace
}  // namespace zirvo::test
