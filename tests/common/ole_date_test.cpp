#include "common/ole_date.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kagaku {
namespace {

struct SerialCase {
    CivilDate date;
    long long serial;
};

class OleSerial : public ::testing::TestWithParam<SerialCase> {};

// Known serials: a wrong epoch or a wrong leap rule shifts every stored date.
TEST_P(OleSerial, MatchesTheKnownSerial) {
    const SerialCase& c = GetParam();
    EXPECT_EQ(DaySerial(c.date), c.serial);
    EXPECT_EQ(DateFromSerial(c.serial), c.date);
    EXPECT_DOUBLE_EQ(ToOleDate(c.date), static_cast<double>(c.serial));
    EXPECT_EQ(OleDateOf(ToOleDateTime(c.date, {18, 0, 0})), c.date);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OleSerial,
    ::testing::Values(SerialCase{{1899, 12, 30}, 0}, SerialCase{{1899, 12, 31}, 1},
                      SerialCase{{1900, 1, 1}, 2}, SerialCase{{1900, 2, 28}, 60},
                      // 1900 is not a leap year in this calendar: 1 March follows 28 February.
                      SerialCase{{1900, 3, 1}, 61}, SerialCase{{2000, 1, 1}, 36526},
                      SerialCase{{2000, 2, 29}, 36585}, SerialCase{{2000, 3, 1}, 36586},
                      SerialCase{{2010, 4, 28}, 40296}, SerialCase{{2009, 12, 31}, 40178},
                      SerialCase{{2010, 1, 1}, 40179}, SerialCase{{2010, 4, 30}, 40298},
                      SerialCase{{2010, 5, 1}, 40299}, SerialCase{{2024, 2, 28}, 45350},
                      SerialCase{{2024, 2, 29}, 45351}, SerialCase{{2024, 3, 1}, 45352},
                      SerialCase{{2023, 12, 31}, 45291}, SerialCase{{1899, 12, 29}, -1}));

TEST(OleDate, EveryDayOfARangeRoundTripsAndFollowsTheDayBefore) {
    CivilDate previous = DateFromSerial(29999);
    for (long long s = 30000; s <= 60000; ++s) {
        CivilDate d = DateFromSerial(s);
        ASSERT_TRUE(IsValidDate(d)) << s;
        ASSERT_EQ(DaySerial(d), s);
        // The next day: day + 1 in the same month, or the 1st of the next month or year.
        bool nextDay =
            d.year == previous.year && d.month == previous.month && d.day == previous.day + 1;
        bool nextMonth = d.day == 1 && previous.day == DaysInMonth(previous.year, previous.month) &&
                         ((d.year == previous.year && d.month == previous.month + 1) ||
                          (d.year == previous.year + 1 && d.month == 1 && previous.month == 12));
        ASSERT_TRUE(nextDay || nextMonth) << s;
        previous = d;
    }
}

TEST(OleDate, MonthLengthsAndLeapYears) {
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2010, 4), 30);
    EXPECT_EQ(DaysInMonth(2010, 12), 31);
    EXPECT_FALSE(IsValidDate({2023, 2, 29}));
    EXPECT_FALSE(IsValidDate({2010, 13, 1}));
    EXPECT_TRUE(IsValidDate({2024, 2, 29}));
}

struct TimeCase {
    TimeOfDay time;
    double fraction;
};

class OleTime : public ::testing::TestWithParam<TimeCase> {};

// The fraction of an OLE date is the time of day.
TEST_P(OleTime, FractionIsTheTimeOfDay) {
    const TimeCase& c = GetParam();
    EXPECT_DOUBLE_EQ(TimeFraction(c.time), c.fraction);
    const double ole = ToOleDateTime({2010, 4, 28}, c.time);
    EXPECT_EQ(OleTimeOf(ole), c.time);
    EXPECT_EQ(OleDateOf(ole), (CivilDate{2010, 4, 28}));
    EXPECT_EQ(OleDay(ole), 40296);
}

INSTANTIATE_TEST_SUITE_P(Times, OleTime,
                         ::testing::Values(TimeCase{{0, 0, 0}, 0.0}, TimeCase{{6, 0, 0}, 0.25},
                                           TimeCase{{12, 0, 0}, 0.5}, TimeCase{{18, 0, 0}, 0.75},
                                           TimeCase{{23, 59, 59}, 86399.0 / 86400.0},
                                           TimeCase{{9, 30, 15}, 34215.0 / 86400.0}));

TEST(OleDate, TimesBeforeTheEpochCountForwardFromTheDayStart) {
    // -1.25 is 29 December 1899 at 06:00.
    EXPECT_EQ(OleDateOf(-1.25), (CivilDate{1899, 12, 29}));
    EXPECT_EQ(OleTimeOf(-1.25), (TimeOfDay{6, 0, 0}));
    EXPECT_DOUBLE_EQ(ToOleDateTime({1899, 12, 29}, {6, 0, 0}), -1.25);
}

TEST(OleDate, TimeOfDayRoundsToTheNearestSecondWithoutSpillingIntoTheNextDay) {
    EXPECT_EQ(OleTimeOf(40296.0 + 10.4 / 86400.0), (TimeOfDay{0, 0, 10}));
    EXPECT_EQ(OleTimeOf(40296.0 + 10.6 / 86400.0), (TimeOfDay{0, 0, 11}));
    EXPECT_EQ(OleTimeOf(40296.0 + 86399.9 / 86400.0), (TimeOfDay{23, 59, 59}));
}

struct WeekdayCase {
    CivilDate date;
    int weekday;  // 1 = Sunday
};

class OleWeekday : public ::testing::TestWithParam<WeekdayCase> {};

TEST_P(OleWeekday, IsTheCalendarWeekday) {
    EXPECT_EQ(Weekday(GetParam().date), GetParam().weekday);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OleWeekday,
    ::testing::Values(WeekdayCase{{2010, 4, 28}, 4},  // Wednesday
                      WeekdayCase{{1899, 12, 30}, 7}, WeekdayCase{{1989, 1, 7}, 7},
                      WeekdayCase{{1989, 1, 8}, 1}, WeekdayCase{{2019, 5, 1}, 4},
                      WeekdayCase{{2024, 2, 29}, 5}, WeekdayCase{{1970, 1, 1}, 5}));

TEST(OleDate, Formats) {
    EXPECT_EQ(FormatSlashDate({2010, 4, 8}), "2010/04/08");
    EXPECT_EQ(FormatIsoDate({2010, 4, 8}), "2010-04-08");
    EXPECT_EQ(FormatClockTime({9, 5, 7}), "9:05:07");
}

TEST(Clock, TodayAndSecondsSinceMidnightComeFromNow) {
    testing::FakeClock clock({2010, 4, 28}, {13, 30, 5});
    EXPECT_DOUBLE_EQ(clock.Today(), 40296.0);
    EXPECT_EQ(clock.TodayDate(), (CivilDate{2010, 4, 28}));
    EXPECT_NEAR(clock.SecondsSinceMidnight(), 13 * 3600 + 30 * 60 + 5, 1e-6);
    clock.AdvanceSeconds(11 * 3600);  // past midnight
    EXPECT_EQ(clock.TodayDate(), (CivilDate{2010, 4, 29}));
    EXPECT_NEAR(clock.SecondsSinceMidnight(), 30 * 60 + 5, 1e-3);
}

}  // namespace
}  // namespace kagaku
