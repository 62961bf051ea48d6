#include "records/run_points.h"

#include <gtest/gtest.h>

namespace kagaku {
namespace {

// The points scale at and around its boundaries; an off-by-one at any of the four bands or a
// wrong cube would show here.
TEST(RunPoints, BandsAroundTheTargetTime) {
    struct Case {
        std::int32_t seconds;
        std::int32_t target;
        std::int64_t points;
    } cases[] = {
        {60, 60, 5},  {30, 60, 11}, {0, 60, 55},  {59, 60, 5},    {61, 60, 4},   {119, 60, 4},
        {120, 60, 1}, {599, 60, 1}, {600, 60, 0}, {99999, 60, 0}, {45, 60, 5},   {15, 60, 26},
        {1, 1, 5},    {0, 1, 55},   {2, 1, 1},    {999, 999, 5},  {0, 2000, 55},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunPoints(c.seconds, c.target), c.points)
            << c.seconds << " s against " << c.target;
    }
}

// Long times count only their first three digits: 1234 s against a target of 2000 is scored as
// 123 s.
TEST(RunPoints, LongTimesCountTheirFirstThreeDigits) {
    EXPECT_EQ(RunPoints(1234, 2000), RunPoints(123, 2000));
    EXPECT_EQ(RunPoints(1234, 2000), 46);
    EXPECT_EQ(RunPoints(10000, 20000), RunPoints(100, 20000));
}

// A level without a target time must not divide by zero (or give 55 for nothing).
TEST(RunPoints, NoTargetTimeEarnsNothing) {
    EXPECT_EQ(RunPoints(0, 0), 0);
    EXPECT_EQ(RunPoints(10, 0), 0);
    EXPECT_EQ(RunPoints(0, -5), 0);
}

// The multiplier is a decimal setting: single precision gave 6 for 0.7 x 10 and 12 for
// 1.3 x 10.
TEST(RunPoints, MultiplierGivesWhatAPersonComputes) {
    struct Case {
        double multiplier;
        std::int64_t points;
        std::int64_t result;
    } cases[] = {
        {0.7, 10, 7},    {1.3, 10, 13},  {1.5, 11, 16},    {1.0, 55, 55},
        {0.57, 100, 57}, {0.1, 30, 3},   {2.3, 100, 230},  {0.7, 3, 2},
        {0.0, 55, 0},    {1.15, 20, 23}, {4.35, 100, 435}, {0.29, 100, 29},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PointsTimesMultiplier(c.multiplier, c.points), c.result)
            << c.multiplier << " x " << c.points;
    }
}

TEST(RunPoints, CountedPointsOfTimedOutRunsAreZero) {
    LevelSettings settings;
    settings.TargetTime[4] = 200000;
    settings.PointMultiplier[4] = 1.0;
    EXPECT_EQ(CountedRunPoints(99998, 4, settings), 0);
    EXPECT_EQ(CountedRunPoints(99999, 4, settings), 0);
    EXPECT_GT(CountedRunPoints(99997, 4, settings), 0);
}

}  // namespace
}  // namespace kagaku
