// Whether a level may start, which levels show the charge buttons, and what the end of a run
// does: the rules of the drill screen's frame, without a window.

#include <gtest/gtest.h>

#include "drill/run_frame.h"
#include "records/aggregates.h"
#include "state/level_catalogue.h"
#include "support/state_parts.h"

namespace kagaku {
namespace {

StateParts CatalogueWithTimes(std::int32_t target, std::int32_t minimum) {
    StateParts state;
    BuildLevelCatalogue(state.setup);
    for (std::size_t level = 1; level < kLevelSlots; ++level) {
        state.setup.Settings.TargetTime[level] = target;
        state.setup.Settings.MinimumTime[level] = minimum;
    }
    return state;
}

// A timed level with a target or minimum time that is not a positive number of seconds would
// time out at its first tick or score nothing; it must be refused with the setting named.
TEST(LevelStart, TimedLevelNeedsPositiveTargetAndMinimumTimes) {
    struct Case {
        int level;
        std::int32_t target;
        std::int32_t minimum;
        const char* named;  // nullptr: the level may start
    };
    const Case cases[] = {
        {2, 30, 60, nullptr},      // an ordinary timed level
        {2, 0, 60, "目標Time"},    // empty or not a number reads as 0
        {2, 30, 0, "最低Time"},    // would time out at the first tick
        {4, -5, 60, "目標Time"},   // a negative time is no time either
        {12, 0, 0, "目標Time"},    // both missing: the first is named
        {1, 0, 0, nullptr},        // practice runs without a clock
        {11, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        const StateParts state = CatalogueWithTimes(c.target, c.minimum);
        const auto problem = LevelStartProblem(state.setup, c.level);
        if (c.named == nullptr) {
            EXPECT_FALSE(problem.has_value()) << c.level << " " << problem.value_or("");
            continue;
        }
        ASSERT_TRUE(problem.has_value()) << c.level;
        EXPECT_NE(problem->find("レベル" + std::to_string(c.level) + "の" + c.named),
                  std::string::npos)
            << *problem;
    }
    EXPECT_TRUE(LevelStartProblem(CatalogueWithTimes(30, 60).setup, 0).has_value());
    EXPECT_TRUE(LevelStartProblem(CatalogueWithTimes(30, 60).setup, kLevelSlots).has_value());
}

TEST(RunFrame, ChargeButtonsOnlyOnTheIonDrills) {
    for (int level = 1; level <= 13; ++level)
        EXPECT_EQ(ShowsChargeButtons(level), level == 8 || level == 10) << level;
}

// A practice level goes back to the menu unrecorded; a timed one stores its seconds, or 99999
// when it timed out; an untimed level that is not a practice level keeps its cover.
TEST(RunFrame, EndOfRunFollowsTheLevel) {
    using A = RunEnd::Action;
    StateParts state = CatalogueWithTimes(30, 60);
    state.setup.LevelTimed[13] = 0;
    state.setup.LevelNames[13] = "自由";
    struct Case {
        int level;
        bool timedOut;
        A action;
        std::int32_t resultTime;
    };
    const Case cases[] = {
        {2, false, A::Record, 48},    {2, true, A::Record, kNoTime},
        {1, false, A::LeaveForMenu, 0}, {3, true, A::LeaveForMenu, 0},
        {13, false, A::KeepCover, 0}, {0, false, A::KeepCover, 0},
    };
    for (const Case& c : cases) {
        const RunEnd end = DecideRunEnd(state.setup, c.level, c.timedOut, 48);
        EXPECT_EQ(end.action, c.action) << c.level;
        EXPECT_EQ(end.resultTime, c.resultTime) << c.level;
    }
}

}  // namespace
// The result flags from recording a run: GoalClearedBefore follows each recording, while a
// best flag once set is not cleared by a later recording that beat nothing.
TEST(NoteRunOutcome, SetsTheRunFlagsFromTheRecording) {
    const struct {
        const char* catches;
        std::int16_t bestBefore;
        FinishedRunOutcome outcome;
        std::int16_t goalClearedBefore, personalBest, allTimeBest;
    } cases[] = {
        {"no flag from a plain run", 0, {1, false, false, false}, 0, 0, 0},
        {"goal cleared before is copied", 0, {1, true, false, false}, 1, 0, 0},
        {"goal cleared before is reset", 0, {1, false, false, false}, 0, 0, 0},
        {"a personal best sets its flag", 0, {1, false, true, false}, 0, 1, 0},
        {"a best of all sets its flag", 0, {1, false, false, true}, 0, 0, 1},
        {"a set flag is not cleared", 1, {1, false, false, false}, 0, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.catches);
        CurrentRun run;
        run.GoalClearedBefore = 1;
        run.NewPersonalBest = c.bestBefore;
        run.NewAllTimeBest = c.bestBefore;
        NoteRunOutcome(run, c.outcome);
        EXPECT_EQ(run.GoalClearedBefore, c.goalClearedBefore);
        EXPECT_EQ(run.NewPersonalBest, c.personalBest);
        EXPECT_EQ(run.NewAllTimeBest, c.allTimeBest);
    }
}

}  // namespace kagaku
