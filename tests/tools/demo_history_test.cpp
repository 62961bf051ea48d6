// The demo school's made-up history, made in a copy of the tests' tree: the same day gives the
// same bytes; the runs end on the day given, reach back six weeks, cover every timed level,
// hold a few time-outs and stay between the floor and the time-out; replayed through the
// program's own aggregation and lock pass, no run was started on a closed or banned level.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>

#include "board/level_locks.h"
#include "common/files.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"
#include "state/configuration.h"
#include "state/level_catalogue.h"
#include "support/state_parts.h"
#include "support/test_support.h"
#include "tools/demo_history.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

class NoWait final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds) override { return false; }
    void ShowNotice(const std::string&) override {}
    bool AskRetry(const std::string&) override { return false; }
};

struct Tree {
    testing::TempDir dir;
    fs::path programFolder;
    StateParts state;
    Tree() {
        fs::copy(fs::u8path(KAGAKU_DEMO_DIR), dir.path() / "tree", fs::copy_options::recursive);
        programFolder = dir.path() / "tree" / "kagaku";
        LoadConfiguration(programFolder, state.setup);
        BuildLevelCatalogue(state.setup);
    }
    fs::path RecordFile() const { return ScoreRecordPath(state.setup.ProgramDataFolder); }
    std::vector<ScoreRecord> Write(const CivilDate& day, int endSecond = 86400) const {
        WriteDemoHistory(programFolder, DemoHistoryOptions{day, endSecond});
        const RecordWindow w = ReadRecordWindow(RecordFile(), 0);
        std::vector<ScoreRecord> out;
        for (std::size_t i = 0; i < w.Count(); ++i)
            out.push_back(w.Record(i));
        return out;
    }
};

double RunStart(const ScoreRecord& r, const LevelSettings& s) {
    const std::int32_t took = r.Seconds == kTimedOutSeconds
                                  ? s.MinimumTime[static_cast<std::size_t>(r.Level)] * 5
                                  : r.Seconds;
    return r.RunDate + r.RunTimeOfDay - took / 86400.0;
}

// Catches a generator seeded from the clock's time rather than the day (two builds of one day
// would differ), or one that ignores the day (every build would show the same old dates).
TEST(DemoHistory, SameDayGivesTheSameBytesAndAnotherDayOthers) {
    Tree t;
    t.Write(CivilDate{2026, 6, 10});
    const std::string first = testing::ReadBytes(t.RecordFile());
    t.Write(CivilDate{2026, 6, 10});
    EXPECT_EQ(testing::ReadBytes(t.RecordFile()), first);
    t.Write(CivilDate{2026, 6, 11});
    EXPECT_NE(testing::ReadBytes(t.RecordFile()), first);
    EXPECT_FALSE(fs::exists(t.RecordFile().string() + ".demo-work"));  // no scratch file left
}

// Each row a last day that has tripped date code before: a Sunday (no lessons, yet today's
// lists must show runs), a Monday, the first day of the school year, the turn of the year.
class DemoHistoryDays : public ::testing::TestWithParam<CivilDate> {};

TEST_P(DemoHistoryDays, PlausibleRunsEndingOnTheDay) {
    Tree t;
    const CivilDate day = GetParam();
    const std::vector<ScoreRecord> runs = t.Write(day);
    const LevelSettings& s = t.state.setup.Settings;
    ASSERT_GT(runs.size(), 500u);
    const double last = ToOleDate(day);
    std::set<int> levels;
    std::set<int> pupils;
    int timedOut = 0;
    int today = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ScoreRecord& r = runs[i];
        SCOPED_TRACE(i);
        ASSERT_FALSE(CheckScoreRecord(r).has_value());  // the aggregation counts every run
        ASSERT_LE(r.RunDate, last);
        ASSERT_GT(r.RunDate, last - 42);
        if (i > 0) {  // in the order the runs ended
            ASSERT_LE(runs[i - 1].RunDate + runs[i - 1].RunTimeOfDay, r.RunDate + r.RunTimeOfDay);
        }
        const auto k = static_cast<std::size_t>(r.Level);
        ASSERT_FALSE(IsPracticeLevel(t.state.setup.LevelNames[k]));  // practice runs record nothing
        if (r.Seconds == kTimedOutSeconds) {
            ++timedOut;
        } else {
            // Nobody beats the floor, and a run at the time-out is a time-out.
            ASSERT_GE(r.Seconds, std::ceil(kFastestShareOfTarget * s.TargetTime[k]));
            ASSERT_LT(r.Seconds, s.MinimumTime[k] * 5);
        }
        ASSERT_EQ(RecordTextValue(r.SchoolCode), "12345");
        today += r.RunDate == last ? 1 : 0;
        levels.insert(r.Level);
        pupils.insert(r.PupilNumber);
    }
    EXPECT_EQ(levels, (std::set<int>{2, 4, 6, 8, 10, 12}));
    EXPECT_GT(timedOut, 0);
    EXPECT_LT(timedOut, static_cast<int>(runs.size()) / 20);
    EXPECT_GT(today, 20);
    EXPECT_EQ(pupils.count(1), 0u);  // not the teacher
    EXPECT_GE(pupils.size(), 20u);   // every listed pupil, less a few who joined late
}

INSTANTIATE_TEST_SUITE_P(, DemoHistoryDays,
                         ::testing::Values(CivilDate{2026, 6, 14}, CivilDate{2026, 6, 15},
                                           CivilDate{2027, 4, 1}, CivilDate{2027, 1, 1}));

// Catches runs stamped after the end moment (a morning build showed the afternoon's runs "later
// today", and today's counts held them). Each row an end moment of the last day: before the
// morning, the morning's start, noon, the evening, midnight exactly at the day's start and the
// end of the day. The days before still fill every display.
struct EndMomentCase {
    const char* name;
    int endSecond;
    bool runsOnTheLastDay;  // whether a part of a school day has passed
};

class DemoHistoryEndMoments : public ::testing::TestWithParam<EndMomentCase> {};

TEST_P(DemoHistoryEndMoments, NoRunEndsAfterTheEndMoment) {
    Tree t;
    const EndMomentCase c = GetParam();
    const CivilDate day{2026, 6, 10};
    const std::vector<ScoreRecord> runs = t.Write(day, c.endSecond);
    const double last = ToOleDate(day);
    int today = 0;
    int before = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ScoreRecord& r = runs[i];
        SCOPED_TRACE(i);
        ASSERT_LE(r.RunDate, last);
        if (r.RunDate == last) {
            ++today;
            ASSERT_LE(std::lround(r.RunTimeOfDay * 86400.0), c.endSecond);
            // The run started on the last day too, not before midnight.
            ASSERT_GE(RunStart(r, t.state.setup.Settings), last);
        } else {
            ++before;
        }
    }
    EXPECT_EQ(today > 0, c.runsOnTheLastDay) << today << " runs on the last day";
    EXPECT_GT(before, 500);
    // The same end moment gives the same bytes.
    const std::string first = testing::ReadBytes(t.RecordFile());
    t.Write(day, c.endSecond);
    EXPECT_EQ(testing::ReadBytes(t.RecordFile()), first);
}

INSTANTIATE_TEST_SUITE_P(
    , DemoHistoryEndMoments,
    ::testing::Values(EndMomentCase{"EarlyMorning", 6 * 3600 + 30 * 60, false},
                      EndMomentCase{"MorningStart", 9 * 3600 + 20 * 60, true},
                      EndMomentCase{"Noon", 12 * 3600, true},
                      EndMomentCase{"AfternoonUnderWay", 17 * 3600, true},
                      EndMomentCase{"Evening", 20 * 3600 + 15 * 60, true},
                      EndMomentCase{"MidnightExactly", 0, false},
                      EndMomentCase{"EndOfTheDay", 86400, true}),
    [](const ::testing::TestParamInfo<EndMomentCase>& row) { return row.param.name; });

// Catches runs on levels the menu would not have let the pupil start: replayed in file order,
// the standing at each run's start (the program's own aggregation and lock pass) leaves its
// level open and not over-practised. Also some pupils get faster and some do not.
TEST(DemoHistory, EveryRunWasStartableAndSomePupilsImprove) {
    Tree t;
    const std::vector<ScoreRecord> runs = t.Write(CivilDate{2026, 6, 10});
    const fs::path replay = t.dir / "replay.dat";
    WriteFileAtomically(replay, "");
    NoWait waiter;
    StateParts& st = t.state;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ScoreRecord& r = runs[i];
        testing::FakeClock clock;
        clock.SetNow(RunStart(r, st.setup.Settings));
        AggregateScoreRecords(replay, st.setup.Settings, clock, st.standing, waiter);
        st.signIn.PupilNumber = r.PupilNumber;
        st.signIn.PupilName = "x";
        const LevelLocks locks = ComputeLevelLocks(st.Board());
        const auto k = static_cast<std::size_t>(r.Level);
        ASSERT_TRUE(locks.StartEnabled[k] && !locks.TooMuchPractice[k])
            << "run " << i << " pupil " << r.PupilNumber << " level " << r.Level;
        const ScoreRecordBytes b = EncodeScoreRecord(r);
        std::ofstream(replay, std::ios::binary | std::ios::app).write(b.data(), b.size());
    }

    // Per pupil and level: the first five finished runs against the last five.
    std::map<std::pair<int, int>, std::vector<std::int32_t>> times;
    for (const ScoreRecord& r : runs)
        if (r.Seconds != kTimedOutSeconds)
            times[{r.PupilNumber, r.Level}].push_back(r.Seconds);
    int faster = 0;
    int same = 0;
    for (const auto& [key, v] : times) {
        if (v.size() < 12)
            continue;
        double first = 0, lastFive = 0;
        for (int j = 0; j < 5; ++j) {
            first += v[static_cast<std::size_t>(j)];
            lastFive += v[v.size() - 1 - static_cast<std::size_t>(j)];
        }
        faster += lastFive < 0.8 * first ? 1 : 0;
        same += lastFive > 0.92 * first ? 1 : 0;
    }
    EXPECT_GT(faster, 2);
    EXPECT_GT(same, 2);
}

}  // namespace
}  // namespace kagaku
