#include "core/integration/window_layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace zirvo {
namespace {

TEST(WindowLayout, TopFrameHeightOutsideOneTo620BecomesThreeHundred) {
    EXPECT_EQ(CorrectTopFrameHeight(0), 300);
    EXPECT_EQ(CorrectTopFrameHeight(621), 300);
    EXPECT_EQ(CorrectTopFrameHeight(-40), 300);
    EXPECT_EQ(CorrectTopFrameHeight(620), 620);
    EXPECT_EQ(CorrectTopFrameHeight(1), 1);
    EXPECT_EQ(CorrectLeftFrameWidth(0), 230);
    EXPECT_EQ(CorrectLeftFrameWidth(180), 180);
}

TEST(WindowLayout, RectangleSummingBelowOneOpensMaximised) {
    EXPECT_TRUE(OpensMaximised(WindowPosSettings{}));
    EXPECT_FALSE(OpensMaximised(WindowPosSettings{0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(OpensMaximised(WindowPosSettings{-8, -8, 8, 8, 0, 0}));
    EXPECT_FALSE(OpensMaximised(WindowPosSettings{10, 20, 800, 600, 0, 0}));
    // Large values must not wrap into a negative int sum.
    EXPECT_FALSE(OpensMaximised(WindowPosSettings{INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0}));
}

TEST(WindowLayout, UpdateCheckOnlyWhenEnabledAndSecondsOneToSix) {
    for (int s = 0; s < 60; ++s) {
        EXPECT_EQ(ShouldStartUpdateCheck(1, s), s >= 1 && s <= 6) << s;
        EXPECT_FALSE(ShouldStartUpdateCheck(0, s));
    }
    EXPECT_EQ(UpdaterArguments("http://u/x.txt"),
              "/AppName=Lintar  /CurrentVersion=1.0.0.10 /CheckURL=http://u/x.txt");
}

}  // namespace
}  // namespace zirvo
