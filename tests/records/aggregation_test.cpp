#include "records/aggregation.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "records/record_test_support.h"
#include "records/run_points.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
using testing::RunOn;

CivilDate DaysBefore(const CivilDate& d, int days) {
    return DateFromSerial(DaySerial(d) - days);
}

class Aggregation : public ::testing::Test {
protected:
    Aggregation() : clock_({2024, 6, 10}, {9, 15, 0}) {
        for (int level = 1; level <= 35; ++level) {
            settings_.TargetTime[static_cast<std::size_t>(level)] = 60;
            settings_.PointMultiplier[static_cast<std::size_t>(level)] = 1.0;
        }
    }

    void Aggregate(const std::vector<ScoreRecord>& records) {
        fs::path file = testing::WriteRecordFile(dir_, records);
        AggregateScoreRecords(file, settings_, clock_, aggregates_, waiter_);
    }

    const CivilDate today_{2024, 6, 10};
    testing::TempDir dir_;
    testing::FakeClock clock_;
    LevelSettings settings_;
    ScoreAggregates aggregates_;
    FakeWaiter waiter_;
};

TEST_F(Aggregation, EmptyFileLeavesEverythingAtZeroAndNoTime) {
    Aggregate({});
    EXPECT_EQ(aggregates_.LoadedRecordCount, 0u);
    for (int level = 1; level <= 35; level += 17) {
        EXPECT_EQ(aggregates_.RunCount.at(level, 1), 0);
        EXPECT_EQ(aggregates_.TotalPoints.at(level, 5000), 0);
        EXPECT_EQ(aggregates_.BestTime.at(level, 1), kNoTime);
        EXPECT_EQ(aggregates_.LevelBestTime[static_cast<std::size_t>(level)], kNoTime);
    }
}

// Every table for one pupil and level: counts leave out timed-out runs, points include every
// run (a timed-out one adding 0), best time ignores the timed-out run.
TEST_F(Aggregation, CountsPointsAndBestTimeOfOnePupil) {
    Aggregate({RunOn(today_, 7, 4, 30), RunOn(today_, 7, 4, 60), RunOn(today_, 7, 4, 99999),
               RunOn(today_, 7, 4, 6000), RunOn(DaysBefore(today_, 40), 7, 4, 90)});
    EXPECT_EQ(aggregates_.RunCount.at(4, 7), 3);
    EXPECT_EQ(aggregates_.TotalPoints.at(4, 7), 11 + 5 + 0 + 0 + 4);
    EXPECT_EQ(aggregates_.TodayRunCount.at(4, 7), 2);
    EXPECT_EQ(aggregates_.TodayPoints.at(4, 7), 16);
    EXPECT_EQ(aggregates_.BestTime.at(4, 7), 30);
    EXPECT_EQ(aggregates_.LevelBestTime[4], 30);
    EXPECT_EQ(aggregates_.RunCount.at(4, 8), 0);
    EXPECT_EQ(aggregates_.RunCount.at(5, 7), 0);
    ASSERT_EQ(aggregates_.LoadedRecordCount, 5u);
    EXPECT_EQ(aggregates_.LoadedSeconds[2], 99999);
    EXPECT_EQ(aggregates_.LoadedDate[4], ToOleDate(DaysBefore(today_, 40)));
}

// Windows of 7, 0 and empty days at the day boundary: a 7-day window takes in today and the six
// days before, not the seventh; 0 or empty takes in nothing (not even today).
TEST_F(Aggregation, PassAndBanWindowsAtDayBoundaries) {
    settings_.PassWindowDays[2] = Variant(7LL);
    settings_.BanWindowDays[2] = Variant(0LL);
    settings_.PassWindowDays[3] = Variant(1LL);
    settings_.BanWindowDays[3] = Variant();
    clock_.Set(today_, {23, 59, 59});
    Aggregate({RunOn(today_, 1, 2, 30), RunOn(DaysBefore(today_, 6), 1, 2, 30),
               RunOn(DaysBefore(today_, 7), 1, 2, 30), RunOn(DaysBefore(today_, 1), 1, 3, 30),
               RunOn(today_, 1, 3, 99999)});
    EXPECT_EQ(aggregates_.PassWindowRunCount.at(2, 1), 2);
    EXPECT_EQ(aggregates_.PassWindowPoints.at(2, 1), 22);
    EXPECT_EQ(aggregates_.BanWindowRunCount.at(2, 1), 0);
    EXPECT_EQ(aggregates_.BanWindowPoints.at(2, 1), 0);
    EXPECT_EQ(aggregates_.RunCount.at(2, 1), 3);
    // A one-day window is today only; the timed-out run is in it but not counted.
    EXPECT_EQ(aggregates_.PassWindowRunCount.at(3, 1), 0);
    EXPECT_EQ(aggregates_.PassWindowPoints.at(3, 1), 0);
    EXPECT_EQ(aggregates_.BanWindowPoints.at(3, 1), 0);
    EXPECT_EQ(aggregates_.TodayRunCount.at(3, 1), 0);

    // Just after midnight the seventh day back is still out, the sixth still in.
    clock_.Set(today_, {0, 0, 1});
    Aggregate({RunOn(DaysBefore(today_, 6), 1, 2, 30), RunOn(DaysBefore(today_, 7), 1, 2, 30)});
    EXPECT_EQ(aggregates_.PassWindowRunCount.at(2, 1), 1);

    // At midnight itself: a run dated on the seventh day back lies on the window's edge and
    // stays out, and a 0-day window still takes in nothing, not even today; for both windows.
    settings_.PassWindowDays[4] = Variant(0LL);
    settings_.BanWindowDays[4] = Variant(7LL);
    clock_.Set(today_, {0, 0, 0});
    Aggregate({RunOn(today_, 1, 2, 30), RunOn(DaysBefore(today_, 6), 1, 2, 30),
               RunOn(DaysBefore(today_, 7), 1, 2, 30), RunOn(today_, 1, 4, 30),
               RunOn(DaysBefore(today_, 6), 1, 4, 30), RunOn(DaysBefore(today_, 7), 1, 4, 30)});
    EXPECT_EQ(aggregates_.PassWindowRunCount.at(2, 1), 2);
    EXPECT_EQ(aggregates_.PassWindowPoints.at(2, 1), 22);
    EXPECT_EQ(aggregates_.BanWindowRunCount.at(2, 1), 0);
    EXPECT_EQ(aggregates_.BanWindowPoints.at(2, 1), 0);
    EXPECT_EQ(aggregates_.PassWindowRunCount.at(4, 1), 0);
    EXPECT_EQ(aggregates_.PassWindowPoints.at(4, 1), 0);
    EXPECT_EQ(aggregates_.BanWindowRunCount.at(4, 1), 2);
    EXPECT_EQ(aggregates_.BanWindowPoints.at(4, 1), 22);
    EXPECT_EQ(aggregates_.TodayRunCount.at(4, 1), 1);
}

// "Today" is the clock's day: yesterday's runs and tomorrow's (a machine whose clock is ahead)
// are not today's.
TEST_F(Aggregation, TodayIsTheClocksDay) {
    Aggregate({RunOn(today_, 9, 6, 60), RunOn(DaysBefore(today_, 1), 9, 6, 60),
               RunOn(DaysBefore(today_, -1), 9, 6, 60)});
    EXPECT_EQ(aggregates_.TodayRunCount.at(6, 9), 1);
    EXPECT_EQ(aggregates_.TodayPoints.at(6, 9), 5);
    EXPECT_EQ(aggregates_.RunCount.at(6, 9), 3);
}

// Pupils above 1000 have best times of their own but never set the level's best time.
TEST_F(Aggregation, PupilAbove1000IsNotRanked) {
    Aggregate({RunOn(today_, 1200, 2, 10), RunOn(today_, 1000, 2, 40), RunOn(today_, 1, 3, 50),
               RunOn(today_, 1201, 3, 20)});
    EXPECT_EQ(aggregates_.BestTime.at(2, 1200), 10);
    EXPECT_EQ(aggregates_.LevelBestTime[2], 40);
    EXPECT_EQ(aggregates_.LevelBestTime[3], 50);
    EXPECT_EQ(aggregates_.RunCount.at(2, 1200), 1);
}

// One damaged record (level 36, pupil 5001, negative fields) used to stop the program on
// every machine; it must be skipped from every table while its neighbours count.
TEST_F(Aggregation, InvalidAndOutOfRangeRecordsAreSkippedFromEveryTable) {
    ScoreRecord badDate = RunOn(today_, 2, 2, 5);
    badDate.RunDate = -3.0;
    Aggregate({RunOn(today_, 2, 2, 30), RunOn(today_, 2, 36, 5), RunOn(today_, 5001, 2, 5),
               RunOn(today_, -4, 2, 5), RunOn(today_, 2, -1, 5), RunOn(today_, 0, 2, 5),
               RunOn(today_, 2, 0, 5), RunOn(today_, 2, 2, -5), badDate, RunOn(today_, 2, 2, 60)});
    EXPECT_EQ(aggregates_.LoadedRecordCount, 2u);
    EXPECT_EQ(aggregates_.LoadedSeconds[1], 60);
    EXPECT_EQ(aggregates_.RunCount.at(2, 2), 2);
    EXPECT_EQ(aggregates_.TotalPoints.at(2, 2), 16);
    EXPECT_EQ(aggregates_.BestTime.at(2, 2), 30);
    EXPECT_EQ(aggregates_.BestTime.at(2, 0), kNoTime);
    EXPECT_EQ(aggregates_.BestTime.at(0, 2), kNoTime);
    EXPECT_EQ(aggregates_.LevelBestTime[2], 30);
}

// Only the last 20000 records count: the oldest ones of a longer file are not read.
TEST_F(Aggregation, OnlyTheLast20000RecordsAreLoaded) {
    std::vector<ScoreRecord> records;
    for (int i = 0; i < 25000; ++i) {
        records.push_back(RunOn(today_, i < 5000 ? 1 : 2, 2, i < 5000 ? 10 : 300));
    }
    Aggregate(records);
    EXPECT_EQ(aggregates_.LoadedRecordCount, 20000u);
    EXPECT_EQ(aggregates_.RunCount.at(2, 1), 0);
    EXPECT_EQ(aggregates_.BestTime.at(2, 1), kNoTime);
    EXPECT_EQ(aggregates_.RunCount.at(2, 2), 20000);
}

// The multiplier applies to every run before the sums, as a person computes it:
// 1.5 x 11 = 16, 0.7 x 11 = 7 (twice), 1.3 x 10 = 13 (not 12) and 1.3 x 1 = 1.
TEST_F(Aggregation, MultipliersApplyPerRun) {
    settings_.PointMultiplier[2] = 1.5;
    settings_.PointMultiplier[3] = 0.7;
    settings_.PointMultiplier[4] = 1.3;
    settings_.TargetTime[4] = 100;
    Aggregate({RunOn(today_, 1, 2, 30), RunOn(today_, 1, 3, 30), RunOn(today_, 1, 3, 30),
               RunOn(today_, 1, 4, 53), RunOn(today_, 1, 4, 500)});
    EXPECT_EQ(aggregates_.TotalPoints.at(2, 1), 16);
    EXPECT_EQ(aggregates_.TotalPoints.at(3, 1), 14);
    EXPECT_EQ(RunPoints(53, 100), 10);
    EXPECT_EQ(aggregates_.TotalPoints.at(4, 1), 13 + 1);
}

// A rebuild must not keep anything of the last one: cells of a pupil whose records are gone
// (deleted by a teacher) go back to zero and no time.
TEST_F(Aggregation, RebuildForgetsTheLastStanding) {
    Aggregate({RunOn(today_, 3, 2, 30), RunOn(today_, 4, 5, 20)});
    ASSERT_EQ(aggregates_.RunCount.at(5, 4), 1);
    Aggregate({RunOn(today_, 3, 2, 40)});
    EXPECT_EQ(aggregates_.RunCount.at(5, 4), 0);
    EXPECT_EQ(aggregates_.TotalPoints.at(5, 4), 0);
    EXPECT_EQ(aggregates_.BestTime.at(5, 4), kNoTime);
    EXPECT_EQ(aggregates_.LevelBestTime[5], kNoTime);
    EXPECT_EQ(aggregates_.RunCount.at(2, 3), 1);
    EXPECT_EQ(aggregates_.BestTime.at(2, 3), 40);
}

// A missing data folder (network drive down): four five-second waits, then the loader's
// message; a drive that comes back within them is simply read.
TEST_F(Aggregation, MissingFolderWaitsFiveSecondsFourTimesThenFails) {
    fs::path file = dir_ / "down" / kScoreRecordFileName;
    try {
        AggregateScoreRecords(file, settings_, clock_, aggregates_, waiter_);
        FAIL() << "no error";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.problem().rfind("ファイルがありません3", 0), 0u) << e.problem();
    }
    EXPECT_EQ(waiter_.waits, (std::vector<int>{5000, 5000, 5000, 5000}));

    FakeWaiter back;
    back.onWait = [&](int n) {
        if (n == 2) {
            testing::WriteRecordFile(dir_, {});
            fs::create_directories(dir_ / "down");
            fs::copy_file(dir_ / kScoreRecordFileName, file);
        }
    };
    AggregateScoreRecords(file, settings_, clock_, aggregates_, back);
    EXPECT_EQ(back.waits.size(), 2u);
}

// Other errors end with the loader's long message, naming the step.
TEST_F(Aggregation, OtherErrorsGiveTheLoadersMessage) {
    fs::create_directories(dir_ / kScoreRecordFileName);  // a folder where the file should be
    try {
        AggregateScoreRecords(dir_ / kScoreRecordFileName, settings_, clock_, aggregates_, waiter_);
        FAIL() << "no error";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.problem().rfind("成績ランダムファイル表示", 0), 0u) << e.problem();
        EXPECT_NE(e.problem().find("line"), std::string::npos);
    }
}

}  // namespace
}  // namespace kagaku
