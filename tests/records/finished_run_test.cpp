#include "records/finished_run.h"

#include <gtest/gtest.h>

#include "common/files.h"
#include "common/paths.h"
#include "records/aggregation.h"
#include "records/record_test_support.h"
#include "drill/run_frame.h"
#include "support/state_parts.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
using testing::RunOn;

class FinishedRun : public ::testing::Test {
protected:
    FinishedRun() : clock_({2024, 6, 10}, {14, 5, 9}) {
        state_.setup.ProgramDataFolder = NormaliseFolder(PathText(dir_.path()));
        state_.setup.SchoolCode = Variant(std::string("12345"));
        for (std::size_t level = 1; level <= 35; ++level) {
            state_.setup.Settings.TargetTime[level] = 60;
            state_.setup.Settings.PointMultiplier[level] = 1.0;
            state_.setup.Settings.ClearCount[level] = 2;
            state_.setup.Settings.ClearPoints[level] = 10;
        }
    }

    void Standing(const std::vector<ScoreRecord>& records) {
        testing::WriteRecordFile(dir_, records);
        AggregateScoreRecords(ScoreRecordPath(state_.setup.ProgramDataFolder), state_.setup.Settings, clock_,
                              state_.standing, waiter_);
    }

    std::uint64_t Finish(int pupil, int level, std::int32_t seconds) {
        state_.signIn.PupilNumber = static_cast<std::int16_t>(pupil);
        state_.run.CurrentLevel = static_cast<std::int16_t>(level);
        state_.run.ResultTime = seconds;
        const FinishedRunOutcome outcome = RecordFinishedRun(
            {level, state_.signIn.PupilNumber, state_.run.CurrentLevel, state_.run.ResultTime},
            state_.setup.ProgramDataFolder, state_.setup.Settings, state_.setup.SchoolCode,
            state_.standing, clock_, waiter_);
        NoteRunOutcome(state_.run, outcome);
        return outcome.RecordNumber;
    }

    const CivilDate today_{2024, 6, 10};
    testing::TempDir dir_;
    testing::FakeClock clock_;
    StateParts state_;
    FakeWaiter waiter_;
};

// A first run on a level beats the 99999 "no time" and is the school's best too; the record
// must be appended with the clock's date and the shared fields.
TEST_F(FinishedRun, FirstRunSetsBothBestFlagsAndAppends) {
    Standing({});
    EXPECT_EQ(Finish(7, 4, 45), 1u);
    EXPECT_EQ(state_.run.NewPersonalBest, 1);
    EXPECT_EQ(state_.run.NewAllTimeBest, 1);
    EXPECT_EQ(state_.run.GoalClearedBefore, 0);
    EXPECT_EQ(state_.standing.BestTime.at(4, 7), 45);
    EXPECT_EQ(state_.standing.LevelBestTime[4], 45);
    ScoreRecord r = ReadScoreRecord(ScoreRecordPath(state_.setup.ProgramDataFolder), 1);
    EXPECT_EQ(r.PupilNumber, 7);
    EXPECT_EQ(r.Level, 4);
    EXPECT_EQ(r.Seconds, 45);
    EXPECT_EQ(r.RunDate, ToOleDate(today_));
    EXPECT_EQ(RecordTextValue(r.SchoolCode), "12345");
}

// The three flags as a table: the goal test reads the standing before the run; a flag
// already set is never cleared here; a timed-out run beats nothing.
TEST_F(FinishedRun, FlagsAgainstTheStandingBeforeTheRun) {
    struct Case {
        const char* what;
        std::vector<ScoreRecord> before;
        int pupil;
        std::int32_t seconds;
        int personal, allTime, goal;
    } cases[] = {
        {"slower than own best", {RunOn(today_, 7, 4, 30)}, 7, 40, 0, 0, 0},
        {"own best, not the school's",
         {RunOn(today_, 7, 4, 50), RunOn(today_, 8, 4, 20)},
         7,
         40,
         1,
         0,
         0},
        {"equal to own best is no new best", {RunOn(today_, 7, 4, 40)}, 7, 40, 0, 0, 0},
        {"timed out", {}, 7, 99999, 0, 0, 0},
        {"cleared before: two runs, 10 points",
         {RunOn(today_, 7, 4, 60), RunOn(today_, 7, 4, 60)},
         7,
         70,
         0,
         0,
         1},
        {"two runs but 9 points",
         {RunOn(today_, 7, 4, 70), RunOn(today_, 7, 4, 60)},
         7,
         90,
         0,
         0,
         0},
        // A pupil above 1000 beats the school's best like anyone else; only the rebuilt level
        // best leaves such pupils' own times out.
        {"pupil 1200, first run on the level", {}, 1200, 10, 1, 1, 0},
        {"pupil 1200 behind the school's best", {RunOn(today_, 8, 4, 20)}, 1200, 30, 1, 0, 0},
        {"pupil 1200 ahead of pupil 8, behind pupil 1300",
         {RunOn(today_, 1300, 4, 5), RunOn(today_, 8, 4, 20)},
         1200,
         10,
         1,
         1,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state_.run.NewPersonalBest = 0;
        state_.run.NewAllTimeBest = 0;
        state_.run.GoalClearedBefore = 1;
        Standing(c.before);
        Finish(c.pupil, 4, c.seconds);
        EXPECT_EQ(state_.run.NewPersonalBest, c.personal);
        EXPECT_EQ(state_.run.NewAllTimeBest, c.allTime);
        EXPECT_EQ(state_.run.GoalClearedBefore, c.goal);
    }

    state_.run.NewPersonalBest = 1;
    state_.run.NewAllTimeBest = 1;
    Standing({RunOn(today_, 7, 4, 10)});
    Finish(7, 4, 50);
    EXPECT_EQ(state_.run.NewPersonalBest, 1);
    EXPECT_EQ(state_.run.NewAllTimeBest, 1);
}

// The best time moved ahead by the run must not survive into the next rebuild of another file
// (the cell is reset like every other written cell).
TEST_F(FinishedRun, MovedBestTimeIsResetByTheNextRebuild) {
    Standing({});
    Finish(7, 4, 45);
    fs::remove(ScoreRecordPath(state_.setup.ProgramDataFolder));
    Standing({});
    EXPECT_EQ(state_.standing.BestTime.at(4, 7), kNoTime);
}

}  // namespace
}  // namespace kagaku
