#include "core/blogapi/post_dates.h"

#include <gtest/gtest.h>

namespace zirvo {
namespace {

TEST(PostDates, TheProgramsOwnFormAndItsVariantsAreRead) {
    PostTime t;
    ASSERT_TRUE(ParsePostDate("2006-05-01 08:30:00", t));
    EXPECT_EQ(FormatIso8601(t), "20060501T08:30:00");
    ASSERT_TRUE(ParsePostDate("2006/5/1 8:30", t));
    EXPECT_EQ(FormatIso8601(t), "20060501T08:30:00");
    ASSERT_TRUE(ParsePostDate("2006-05-01", t));
    EXPECT_EQ(FormatIso8601(t), "20060501T00:00:00");
    ASSERT_TRUE(ParsePostDate("20060501T08:30:05", t));
    EXPECT_EQ(t.second, 5);
}

TEST(PostDates, ImpossibleOrForeignDatesAreRefused) {
    PostTime t;
    EXPECT_FALSE(ParsePostDate("2006-02-30 10:00:00", t));
    EXPECT_FALSE(ParsePostDate("2006-05-01 25:00:00", t));
    EXPECT_FALSE(ParsePostDate("yesterday", t));
    EXPECT_FALSE(ParsePostDate("", t));
    EXPECT_FALSE(ParsePostDate("2006-05-01 08:30:00 trailing", t));
}

TEST(PostDates, ShiftingByHoursCrossesDaysMonthsAndLeapDays) {
    PostTime t{2006, 5, 1, 8, 30, 0};
    EXPECT_EQ(FormatIso8601(ShiftHours(t, -8)), "20060501T00:30:00");
    EXPECT_EQ(FormatIso8601(ShiftHours(PostTime{2008, 3, 1, 7, 0, 0}, -8)), "20080229T23:00:00");
    EXPECT_EQ(FormatIso8601(ShiftHours(PostTime{2006, 1, 1, 3, 0, 0}, -8)), "20051231T19:00:00");
}

TEST(PostDates, NowIsInTheProgramsOwnForm) {
    PostTime t;
    std::string now = NowPostDate();
    EXPECT_EQ(now.size(), 19u);
    EXPECT_TRUE(ParsePostDate(now, t)) << now;
}

}  // namespace
}  // namespace zirvo
