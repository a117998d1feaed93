#include "core/util/feed_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace zirvo {
namespace {

std::string Normalised(std::string text) {
    NormaliseFeedDate(text);
    return text;
}

// The text must be "now": at or after `before`, at or before the time read afterwards.
void ExpectBecomesNow(const std::string& input) {
    std::string before = NowLocalText();
    std::string result = Normalised(input);
    std::string after = NowLocalText();
    EXPECT_LE(before, result) << "input: " << input;
    EXPECT_LE(result, after) << "input: " << input;
}

// The tests run with TZ=UTC (tests/CMakeLists.txt): local time is UTC unless a test sets a zone.
TEST(FeedDateTest, RfcDatesWithWeekdayAndGmt) {
    EXPECT_EQ(Normalised("Thu, 05 Jan 2006 08:30:00 GMT"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 GMT"), "2006-01-03 08:00:00");
    EXPECT_EQ(Normalised("Thu, 05 Jan 2006 08:30:00 +0800"), "2006-01-05 00:30:00");
    EXPECT_EQ(Normalised("Sat, 31 Dec 2005 23:59:59 +0000"), "2005-12-31 23:59:59");
}

TEST(FeedDateTest, RfcDayMonthYearVariants) {
    EXPECT_EQ(Normalised("05 Jan 2006 08:30:00"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("5 Jan 06 8:30"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("5 jan 99 8:30"), "1999-01-05 08:30:00");
    EXPECT_EQ(Normalised("1 September 2006"), "2006-09-01 00:00:00");
    EXPECT_EQ(Normalised("1 Sept 2006 10:00"), "2006-09-01 10:00:00");
    EXPECT_EQ(Normalised("05-Jan-2006 08:30:00"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("03 Apr 02 1500 GMT"), "2002-04-03 15:00:00");
    EXPECT_EQ(Normalised("  05  Jan\t2006  08:30:00 \n"), "2006-01-05 08:30:00");
    // Weekday without a comma: its capital T is blanked before parsing.
    EXPECT_EQ(Normalised("Thu 05 Jan 2006 08:30:00"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("Wednesday 04 Jan 2006 08:30:00"), "2006-01-04 08:30:00");
}

TEST(FeedDateTest, ZonesAreAppliedToTheLocalClock) {
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 -0500"), "2006-01-03 13:00:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 EST"), "2006-01-03 13:00:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 PDT"), "2006-01-03 15:00:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 14:30:00 PST"), "2006-01-03 22:30:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 UT"), "2006-01-03 08:00:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 UTC"), "2006-01-03 08:00:00");
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 -0500 (EST)"), "2006-01-03 13:00:00");
    EXPECT_EQ(Normalised("2006-01-03T08:00:00-05:00"), "2006-01-03 13:00:00");
    EXPECT_EQ(Normalised("2006-01-03T08:00:00+08:00"), "2006-01-03 00:00:00");
    EXPECT_EQ(Normalised("2006-01-01T02:30:00+05:30"), "2005-12-31 21:00:00");
    EXPECT_EQ(Normalised("2006-01-05T08:30:00+08"), "2006-01-05 00:30:00");
    // Military letters other than Z name no reliable zone: the clock time stays.
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 08:00:00 A"), "2006-01-03 08:00:00");
    // Without a zone the date is taken as local already.
    EXPECT_EQ(Normalised("2006-01-03 08:00:00"), "2006-01-03 08:00:00");
}

// Sets TZ for one test and restores it.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        m_old = old != nullptr ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone() {
        if (m_had) {
            setenv("TZ", m_old.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

TEST(FeedDateTest, ZonedDatesLandOnTheClockOfTheMachine) {
    ScopedZone shanghai("CST-8");  // POSIX form: eight hours east of UTC, no tz database needed
    EXPECT_EQ(Normalised("Tue, 03 Jan 2006 14:30:00 PST"), "2006-01-04 06:30:00");
    EXPECT_EQ(Normalised("2006-01-03T08:00:00Z"), "2006-01-03 16:00:00");
    EXPECT_EQ(Normalised("2006-01-03T08:00:00+08:00"), "2006-01-03 08:00:00");
    EXPECT_EQ(Normalised("2006-01-03 08:00:00"), "2006-01-03 08:00:00");
}

TEST(FeedDateTest, YearFirstFormsWithEachSeparator) {
    EXPECT_EQ(Normalised("2006-01-05 08:30:00"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("2006/1/5 8:30"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("2006.01.05 08:30:07"), "2006-01-05 08:30:07");
    EXPECT_EQ(Normalised("2006-01-05"), "2006-01-05 00:00:00");
    EXPECT_EQ(Normalised("2006/01/05"), "2006-01-05 00:00:00");
    EXPECT_EQ(Normalised("2006-01-03T08:00:00Z"), "2006-01-03 08:00:00");
    EXPECT_EQ(Normalised("2006-01-03T08:00:00.250Z"), "2006-01-03 08:00:00");
}

TEST(FeedDateTest, SecondAttemptReadsCompactAndOddlySeparatedDates) {
    EXPECT_EQ(Normalised("20060105T08:30:00Z"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("20060105 08:30:00"), "2006-01-05 08:30:00");
    EXPECT_EQ(Normalised("20060105"), "2006-01-05 00:00:00");
    EXPECT_EQ(Normalised("2006_01_03 08:00:00"), "2006-01-03 08:00:00");
    // Mixed separators fail the first parse; positions 4 and 7 become "-" for the second.
    EXPECT_EQ(Normalised("2006-01/05"), "2006-01-05 00:00:00");
}

TEST(FeedDateTest, UnparsableDatesBecomeTheCurrentTime) {
    ExpectBecomesNow("");
    ExpectBecomesNow("   ");
    ExpectBecomesNow("yesterday");
    ExpectBecomesNow("Thu, garbage");
    ExpectBecomesNow("12345678");
    ExpectBecomesNow("2006-13-05 08:30:00");  // month 13
    ExpectBecomesNow("2006-02-29 08:30:00");  // not a leap year
    ExpectBecomesNow("2006-04-31");           // April has 30 days
    ExpectBecomesNow("2006-01-05 24:00:00");
    ExpectBecomesNow("2006-01-05 08:60:00");
    ExpectBecomesNow("2006-01-05 08:30:60");
    ExpectBecomesNow("0000-01-05");
    ExpectBecomesNow("32 Jan 2006");
    ExpectBecomesNow("05 Foo 2006 08:30");
    ExpectBecomesNow("05 Jan 206 08:30");
    ExpectBecomesNow("05 Jan 2006 2460");
    ExpectBecomesNow("05 Jan 2006 08300");
    ExpectBecomesNow("05 Jan 2006 08:30:00 banana");
    ExpectBecomesNow("2006-01-05 8");     // hour without minutes
    ExpectBecomesNow("2006-01-05 08:3");  // one-digit minutes
    ExpectBecomesNow("2006-01-05 08:30:00 -99");
    ExpectBecomesNow("05/01/2006");  // day-first numbers are ambiguous
}

TEST(FeedDateTest, LeapDaysAndMonthEnds) {
    EXPECT_EQ(Normalised("2004-02-29"), "2004-02-29 00:00:00");
    EXPECT_EQ(Normalised("2000-02-29"), "2000-02-29 00:00:00");
    ExpectBecomesNow("1900-02-29");
    EXPECT_EQ(Normalised("31 Dec 1999 23:59:59"), "1999-12-31 23:59:59");
}

TEST(FeedDateTest, ParserRefusesGarbageWithoutTouchingTheText) {
    DateTimeFields fields;
    for (const char* garbage : {"", "abc", "2006", "2006-01", "-2006-01-05", "2006-01-05x",
                                "2006-01/05", "Jan 05 2006", "05 Jan", "05 Jan 2006 08:30 Z Z Z Q",
                                "99999-01-05", "2006-001-05", "2006-01-05 08:30:00.", "Monday",
                                "05 Jan 2006 08:30:00 -05:0", "05 Jan 2006 08:30:00 (ES"}) {
        EXPECT_FALSE(ParseFeedDateText(garbage, fields)) << garbage;
    }
    ASSERT_TRUE(ParseFeedDateText("5 Jan 06 8:30", fields));
    EXPECT_EQ(fields.year, 2006);
    EXPECT_EQ(fields.month, 1);
    EXPECT_EQ(fields.day, 5);
    EXPECT_EQ(fields.hour, 8);
    EXPECT_EQ(fields.minute, 30);
    EXPECT_EQ(fields.second, 0);
}

TEST(FeedDateTest, NowTextHasTheStoredShape) {
    std::string now = NowLocalText();
    ASSERT_EQ(now.size(), 19u);
    DateTimeFields fields;
    EXPECT_TRUE(ParseFeedDateText(now, fields));
    EXPECT_EQ(now[4], '-');
    EXPECT_EQ(now[10], ' ');
}

TEST(FeedDateTest, NormalisesFromManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<std::string> results(8);
    for (size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&results, i] {
            for (int n = 0; n < 200; ++n) {
                results[i] = Normalised("Thu, 05 Jan 2006 08:30:00 GMT");
                std::string now = Normalised("garbage");
                if (now.size() != 19u) {
                    results[i] = "bad now: " + now;
                    return;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (const auto& r : results) {
        EXPECT_EQ(r, "2006-01-05 08:30:00");
    }
}

}  // namespace
}  // namespace zirvo
