// A receive worker that throws ends as its node's failure, and the flags a walk raised come down
// however the walk ended.

#include <atomic>
#include <stdexcept>

#include "receive_fixture.h"

namespace zirvo::test {
namespace {

// Throws from the first image change after it is armed, as a window that went away might.
class CThrowingObserver : public CRecordingReceiveObserver {
public:
    std::atomic<bool> armed{false};

    void OnImageChanged(NodeId node, NodeImage image) override {
        CRecordingReceiveObserver::OnImageChanged(node, image);
        if (armed.exchange(false)) {
            throw std::runtime_error("the window is gone");
        }
    }
};

TEST_F(ReceiveTest, AThrowingChannelWorkerIsThatChannelsFailure) {
    NodeId channel = AddChannel("Herald", "/corpus/heraldsun.rss");
    CThrowingObserver observer;
    CReceiveManager manager(m_tree, observer, m_root.Path());
    observer.armed = true;
    ASSERT_TRUE(manager.StartReceive(*m_store, channel, 0));
    manager.WaitIdle();

    auto outcomes = observer.Outcomes();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].node, channel);
    EXPECT_FALSE(outcomes[0].ok);
    EXPECT_NE(outcomes[0].error.find("the window is gone"), std::string::npos);
    EXPECT_EQ(ImageOf(channel), kImageFailed);
    EXPECT_EQ(manager.Running(), 0u);
    // The manager goes on: the next receive of the channel succeeds.
    ASSERT_TRUE(manager.StartReceive(*m_store, channel, 0));
    manager.WaitIdle();
    EXPECT_EQ(StoredLinks(channel).size(), 2u);
}

TEST_F(ReceiveTest, AWalkThatCannotOpenTheStoreDoesNotLeaveTheTreeMarkedBusy) {
    AddChannel("Herald", "/corpus/heraldsun.rss");
    TempDir broken("receive-broken");
    broken.MakeDir("Storage/rss.db");  // a folder where the database belongs
    CReceiveManager manager(m_tree, m_observer, broken.Path());
    ASSERT_TRUE(manager.StartReceiveAll());
    manager.WaitIdle();
    EXPECT_FALSE(m_tree.FolderReceiveRunning());
    // Otherwise the timers' weighted receive would be refused for good.
    EXPECT_TRUE(manager.StartWeightedReceiveAll());
    manager.WaitIdle();
}

}  // namespace
}  // namespace zirvo::test
