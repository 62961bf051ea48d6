#include "board/run_lists.h"

#include <gtest/gtest.h>

#include <vector>

#include "board/board_fixture.h"
#include "records/score_record.h"

namespace kagaku {
namespace {

using testing::AddPupil;
using testing::CatalogueState;

// Monday 5 April 2010, 15:00.
constexpr CivilDate kMonday{2010, 4, 5};
double At(const CivilDate& d, int h = 15) {
    return ToOleDateTime(d, {h, 0, 0});
}

RunRecord Record(const CivilDate& d, int pupil, int level, int seconds) {
    return RunRecord{ToOleDate(d), TimeFraction({9, 5, 3}), pupil, level, seconds};
}

class RunListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        s = CatalogueState();
        AddPupil(*s, 1, "あいう", 1);
        AddPupil(*s, 2, "えお", 8);
        AddPupil(*s, 3, "かきくけこさし", 10);
        s->signIn.PupilNumber = 1;
    }
    BoardInputs In(const char* filter = "全学年") const {
        return BoardInputs{s->Board(), std::string(filter)};
    }
    std::unique_ptr<StateParts> s;
};

// The worked examples: own line, another pupil's Ⅱ marks, a timed-out run, a long name cut to
// five and a time of five digits keeping its last four.
TEST_F(RunListsTest, TodayListLines) {
    const std::vector<RunRecord> records = {
        Record(kMonday, 1, 2, 45),  Record(kMonday, 2, 2, 45),    Record(kMonday, 1, 2, 99999),
        Record(kMonday, 3, 2, 45),  Record(kMonday, 2, 2, 12345), Record({2010, 4, 4}, 2, 2, 45),
        Record(kMonday, 2, 13, 45), Record(kMonday, 0, 2, 45),
    };
    const LevelLines lines = TodayRunList(In(), records, At(kMonday));
    const std::vector<std::string> expected = {
        "  45秒 09:05●あいう　　●5",   "  45秒 09:05Ⅱえお　　　Ⅱ5", "　　× 09:05●あいう　　●",
        "  45秒 09:05　かきくけこ　5", "2345秒 09:05Ⅱえお　　　Ⅱ0",
    };
    EXPECT_EQ(lines[2], expected);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 2) {
            EXPECT_TRUE(lines[i].empty()) << i;
        }
    }
}

// Catches the senior pupil passing a junior-high filter.
TEST_F(RunListsTest, GradeFilterChoosesTheLines) {
    const std::vector<RunRecord> records = {Record(kMonday, 2, 2, 45), Record(kMonday, 3, 2, 45),
                                            Record(kMonday, 2, 2, 50)};
    EXPECT_EQ(TodayRunList(In("中学生全体"), records, At(kMonday))[2].size(), 2u);
    EXPECT_EQ(TodayRunList(In("中２"), records, At(kMonday))[2].size(), 2u);
    EXPECT_EQ(TodayRunList(In("小１"), records, At(kMonday))[2].size(), 0u);
}

struct WindowCase {
    int period;
    int weekday;
    int days;
};

// Catches a week starting on Sunday and "since last week" counted from the wrong Monday.
TEST(PeriodWindow, WeekRunsFromMonday) {
    const WindowCase cases[] = {{1, 2, 1},   {1, 4, 3},    {1, 1, 7},  {1, 7, 6},
                                {2, 2, 8},   {2, 4, 10},   {2, 1, 14}, {3, 4, 30},
                                {4, 4, 365}, {5, 4, 3650}, {0, 4, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(PeriodWindowDays(c.period, c.weekday), c.days)
            << "period " << c.period << " weekday " << c.weekday;
    }
}

// On a Monday "this week" holds only today; on Wednesday "since last week" reaches back to the
// Monday of the week before and no further.
TEST_F(RunListsTest, PeriodListTakesWholeDays) {
    const std::vector<RunRecord> records = {Record({2010, 3, 28}, 2, 2, 45),  // Sunday before
                                            Record({2010, 3, 29}, 2, 2, 45),  // Monday before
                                            Record({2010, 4, 4}, 2, 2, 45),   // Sunday
                                            Record(kMonday, 2, 2, 45)};
    EXPECT_EQ(PeriodRunList(In(), records, At(kMonday), 1, false)[2].size(), 1u);
    EXPECT_EQ(PeriodRunList(In(), records, At({2010, 4, 7}), 2, false)[2].size(), 3u);
    const std::span<const RunRecord> untilSunday(records.data(), 3);
    EXPECT_EQ(PeriodRunList(In(), untilSunday, At({2010, 4, 4}), 1, false)[2].size(), 2u);
}

TEST_F(RunListsTest, PeriodListLinesInBothDisplays) {
    const std::vector<RunRecord> records = {Record(kMonday, 2, 2, 45),
                                            Record(kMonday, 2, 2, 99999)};
    const LevelLines time = PeriodRunList(In(), records, At(kMonday), 3, false);
    EXPECT_EQ(time[2],
              (std::vector<std::string>{"  45秒 04/05Ⅱえお　　　Ⅱ5", "　　× 04/05Ⅱえお　　　Ⅱ"}));
    const LevelLines points = PeriodRunList(In(), records, At(kMonday), 3, true);
    EXPECT_EQ(points[2],
              (std::vector<std::string>{"    5 04/05Ⅱえお　　　Ⅱ45秒", "　　× 04/05Ⅱえお　　　Ⅱ"}));
}

// A run of 90000 seconds or more is shown as failed in the own list instead of breaking it.
TEST_F(RunListsTest, OwnRunsListShowsLongRunsAsFailed) {
    const std::vector<RunRecord> records = {
        Record(kMonday, 1, 2, 45), Record(kMonday, 2, 2, 45), Record(kMonday, 1, 4, 90000),
        Record(kMonday, 1, 4, 99999), Record(kMonday, 1, 4, 12345)};
    const LevelLines lines = OwnRunList(In(), records, At(kMonday));
    EXPECT_EQ(lines[2], std::vector<std::string>{"2010/04/05 9:05:03  45秒"});
    EXPECT_EQ(lines[4],
              (std::vector<std::string>{"2010/04/05 9:05:03　　×", "2010/04/05 9:05:03　　×",
                                        "2010/04/05 9:05:032345秒"}));
    // A filter leaving out the pupil's own grade empties the list.
    EXPECT_TRUE(OwnRunList(In("中１"), records, At(kMonday))[2].empty());
}

// Catches a scan of the whole file where only the last 1000 records belong to today's list.
TEST_F(RunListsTest, TodayListScansOnlyTheLastThousandRecords) {
    std::vector<RunRecord> records(1500, Record(kMonday, 2, 2, 45));
    records[0].Level = 3;
    records[499].Level = 3;
    records[500].Level = 3;
    const LevelLines lines = TodayRunList(In(), records, At(kMonday));
    EXPECT_EQ(lines[3].size(), 1u);
    EXPECT_EQ(lines[2].size(), 999u);
}

// Catches a damaged record that shifts the window or reaches a list: it keeps its place with
// level 0; real runs come through unchanged.
TEST(RunRecordsOfWindow, DamagedRecordsKeepTheirPlaceButNoLevel) {
    RecordWindow window;
    const auto add = [&](double date, int pupil, int level, std::int32_t seconds) {
        ScoreRecord r;
        r.RunDate = date;
        r.RunTimeOfDay = 0.25;
        r.PupilNumber = static_cast<std::int16_t>(pupil);
        r.Level = static_cast<std::int16_t>(level);
        r.Seconds = seconds;
        const auto bytes = EncodeScoreRecord(r);
        window.Bytes.append(bytes.data(), bytes.size());
    };
    add(45000, 12, 2, 40);
    add(45000, 0, 2, 40);      // no pupil
    add(-1, 12, 2, 40);        // a date before the calendar
    add(45000, 12, 2, -5);     // negative seconds
    add(45001, 13, 4, 99999);  // a timed-out run is still a run
    const std::vector<RunRecord> records = RunRecordsOf(window);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].Level, 2);
    EXPECT_EQ(records[0].Pupil, 12);
    EXPECT_EQ(records[0].Seconds, 40);
    EXPECT_DOUBLE_EQ(records[0].TimeOfDay, 0.25);
    EXPECT_EQ(records[1].Level, 0);
    EXPECT_EQ(records[2].Level, 0);
    EXPECT_EQ(records[3].Level, 0);
    EXPECT_EQ(records[4].Level, 4);
    EXPECT_EQ(records[4].Seconds, 99999);
}

struct PointsCase {
    int seconds;
    int target;
    long long points;
};

// The points rule without the multiplier.
TEST(LineRunPoints, FollowsTheTargetTime) {
    const PointsCase cases[] = {
        {60, 60, 5},      {30, 60, 11}, {0, 60, 55},  {61, 60, 4},    {119, 60, 4},
        {120, 60, 1},     {599, 60, 1}, {600, 60, 0}, {99999, 60, 0}, {99998, 100000, 0},
        {1234, 2000, 46}, {0, 0, 0}};  // a level without a target earns nothing
    for (const auto& c : cases) {
        EXPECT_EQ(LineRunPoints(c.seconds, c.target), c.points) << c.seconds << "/" << c.target;
    }
}

}  // namespace
}  // namespace kagaku
