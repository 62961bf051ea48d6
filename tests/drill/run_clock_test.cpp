#include <gtest/gtest.h>

#include "drill/run_clock.h"

namespace kagaku {
namespace {

TEST(RunClock, RoundsHalvesToEven) {
    // 47.5 s must record 48 and 46.5 s 46; truncating or rounding halves up differs.
    RunClock clock(true, 30, 60, 600.0);
    clock.Start(1'000'000);
    const std::pair<std::int64_t, std::int32_t> cases[] = {
        {47'500, 48}, {46'500, 46}, {46'499, 46}, {46'501, 47}, {0, 0}};
    for (const auto& [ms, seconds] : cases)
        EXPECT_EQ(clock.ElapsedSeconds(1'000'000 + ms), seconds) << ms;
}

TEST(RunClock, TimesOutAtFiveTimesTheMinimumWithTheBarExactlyFull) {
    RunClock clock(true, 30, 60, 600.0);
    EXPECT_EQ(clock.TimeLimit(), 300);
    EXPECT_EQ(clock.InitialCaption(), "0");
    EXPECT_DOUBLE_EQ(clock.Bar().targetWidth, 60.0);
    EXPECT_DOUBLE_EQ(clock.Bar().minimumWidth, 120.0);
    clock.Start(0);
    const auto before = clock.OnTick(299'000);
    EXPECT_FALSE(before.timedOut);
    EXPECT_EQ(before.caption, "299");
    EXPECT_DOUBLE_EQ(before.elapsedWidth, 598.0);
    const auto at = clock.OnTick(300'000);
    EXPECT_TRUE(at.timedOut);
    EXPECT_TRUE(at.limitReached);
    EXPECT_DOUBLE_EQ(at.elapsedWidth, 600.0);
}

TEST(RunClock, UntimedLevelCountsDownWithoutTimingOut) {
    RunClock clock(false, 30, 60, 600.0);
    EXPECT_EQ(clock.TimeLimit(), 20);
    EXPECT_EQ(clock.InitialCaption(), "20");
    clock.Start(0);
    const auto t = clock.OnTick(20'000);
    EXPECT_EQ(t.caption, "0");
    EXPECT_TRUE(t.limitReached);
    EXPECT_FALSE(t.timedOut);
}

TEST(RunClock, ALevelWithoutAMinimumTimeDoesNotDivideByZero) {
    RunClock clock(true, 0, 0, 600.0);
    clock.Start(0);
    EXPECT_TRUE(clock.OnTick(0).limitReached);
    EXPECT_DOUBLE_EQ(clock.Bar().scale, 0.0);
}

}  // namespace
}  // namespace kagaku
