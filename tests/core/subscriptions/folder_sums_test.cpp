// Folder sums when an imported subtree hangs under a channel: the folder counts every channel
// below it, the channel keeps its own count.

#include <gtest/gtest.h>

#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/opml_tree.h"
#include "subscriptions_fixture.h"

namespace zirvo {
namespace {

// Folder "导入" holds channel "Parent" that carries a channel and a folder of its own (as other
// readers export them); "Side" is an ordinary sibling.
constexpr const char* kChannelWithChildren = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0"><body>
  <outline title="导入">
    <outline title="Parent" xmlUrl="http://127.0.0.1/parent.xml" unreadnum="3">
      <outline title="Child" xmlUrl="http://127.0.0.1/child.xml" unreadnum="4"/>
      <outline title="Inner">
        <outline title="Deep" xmlUrl="http://127.0.0.1/deep.xml" unreadnum="5"/>
      </outline>
    </outline>
    <outline title="Side" xmlUrl="http://127.0.0.1/side.xml" unreadnum="1"/>
  </outline>
</body></opml>
)";

class FolderSumsTest : public ::testing::Test, protected test::SubscriptionsFixture {
protected:
    void SetUp() override {
        COpmlTree file(WriteOpml(kChannelWithChildren), m_messages);
        std::vector<OpmlOutline> outlines;
        ASSERT_TRUE(file.Load(outlines));
        m_tree.InsertOutlines(kNoNode, outlines, true);
    }
    NodeId At(const char* path) const {
        NodeId id = m_tree.FindByCaptionPath(path);
        EXPECT_NE(id, kNoNode) << path;
        return id;
    }
    CChannelTree m_tree;
};

TEST_F(FolderSumsTest, LoadCountsChannelsBelowAChannel) {
    EXPECT_EQ(m_tree.Unread(At("导入/Parent")), 3);  // its own count only
    EXPECT_EQ(m_tree.Unread(At("导入/Parent/Inner")), 5);
    EXPECT_EQ(m_tree.Unread(At("导入")), 3 + 4 + 5 + 1);
}

TEST_F(FolderSumsTest, ChangesBelowAChannelReachTheFolders) {
    ASSERT_TRUE(m_tree.SetUnread(At("导入/Parent/Inner/Deep"), 0));
    EXPECT_EQ(m_tree.Unread(At("导入/Parent/Inner")), 0);
    EXPECT_EQ(m_tree.Unread(At("导入")), 3 + 4 + 1);
    ASSERT_TRUE(m_tree.SetUnread(At("导入/Parent/Child"), 10));
    EXPECT_EQ(m_tree.Unread(At("导入/Parent")), 3);
    EXPECT_EQ(m_tree.Unread(At("导入")), 3 + 10 + 1);
    ASSERT_TRUE(m_tree.SetUnread(At("导入/Parent"), 0));
    EXPECT_EQ(m_tree.Unread(At("导入")), 10 + 1);
}

TEST_F(FolderSumsTest, RemovingAndMovingBelowAChannelRecounts) {
    ASSERT_TRUE(m_tree.Remove(At("导入/Parent/Child")));
    EXPECT_EQ(m_tree.Unread(At("导入")), 3 + 5 + 1);
    // Out of the channel's subtree to the top level: the folder loses it.
    ASSERT_TRUE(m_tree.MoveInto(At("导入/Parent/Inner"), kNoNode));
    EXPECT_EQ(m_tree.Unread(At("导入")), 3 + 1);
    EXPECT_EQ(m_tree.Unread(At("Inner")), 5);
}

}  // namespace
}  // namespace zirvo
