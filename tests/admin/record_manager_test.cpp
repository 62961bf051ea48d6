// The record manager's lines, selections and correction checks, and the editor's
// distributions, from real record files.
#include <gtest/gtest.h>

#include "admin/record_manager.h"
#include "admin/time_distribution.h"
#include "common/files.h"
#include "records/record_test_support.h"

namespace kagaku::admin {
namespace {

using testing::RunOn;

constexpr CivilDate kDay{2024, 6, 10};

RecordWindow WindowOf(const std::vector<ScoreRecord>& records, std::uint64_t first = 1) {
    RecordWindow w;
    w.Bytes = testing::RecordFileBytes(records);
    w.WholeRecords = first - 1 + records.size();
    w.FirstRecordNumber = first;
    return w;
}

RosterLookup Roster() {
    RosterLookup r;
    r.NameOf[12] = "あいう";
    r.GradeOf[12] = "中２";
    r.NameOf[7] = "とても長い名前の生徒";
    r.GradeOf[7] = "小６";
    return r;
}

TEST(RecordListing, LinesHaveTheManagersColumns) {
    ScoreRecord own = RunOn(kDay, 12, 3, 45);
    own.RunTimeOfDay = TimeFraction({9, 5, 7});
    own.SchoolCode = MakeRecordText("123");
    ScoreRecord other = RunOn(kDay, 7, 12, 99999);
    other.RunTimeOfDay = TimeFraction({15, 30, 0});
    other.SchoolCode = MakeRecordText("999");
    ScoreRecord none = RunOn(kDay, 1, 0, 10);  // level 0: no run
    const RecordListing l =
        BuildRecordListing(WindowOf({own, none, other}), Roster(), {MakeRecordText("123"), "本校"});
    ASSERT_EQ(l.Lines.size(), 2u);
    EXPECT_EQ(l.Numbers, (std::vector<std::uint64_t>{1, 3}));
    EXPECT_EQ(l.Lines[0],
              "   1 2024/06/10　  9:05:07ﾚﾍﾞﾙ3　   45秒 　  12 あいう　　　 中２++本校");
    EXPECT_EQ(l.Lines[1],
              "   3 2024/06/10　 15:30:00ﾚﾍﾞﾙ12　99999秒 　   7 とても長い名 小６++他塾");

    // A school without a code knows its own records (five spaces as written).
    ScoreRecord blank = RunOn(kDay, 12, 3, 45);
    const RecordListing b =
        BuildRecordListing(WindowOf({blank}), Roster(), {MakeRecordText(""), "本校"});
    EXPECT_EQ(b.Lines[0].substr(b.Lines[0].size() - 6), "本校");
}

// The pupil box holds one item per roster record, hidden pupils too, in the file's order (not
// by number, and not only the listed pupils).
TEST(RosterLookupItems, OnePerRecordInFileOrder) {
    kagaku::testing::TempDir dir;
    dir.WriteCp932("新名簿.txt",
                   "12,2003,0,0,あいう,0,,\n3,1996,0,0,えお,1,,\n7,2003,0,0,かき,2,,\n");
    SharedState state;
    state.DataRoot = PathText(dir.path()) + "/";
    const RosterLookup r = ReadRosterLookup(state, kDay);
    EXPECT_EQ(r.PupilItems,
              (std::vector<std::string>{" 12 /  あいう", " 3 /  えお", " 7 /  かき"}));
    EXPECT_EQ(r.NameOf[3], "えお");
}

TEST(RecordListing, NumbersOfFiveDigitsWidenTheColumnAndKeepTheOrder) {
    const RecordListing l = BuildRecordListing(
        WindowOf({RunOn(kDay, 1, 1, 1), RunOn(kDay, 1, 1, 2)}, 9999), Roster(), {});
    EXPECT_EQ(l.Lines[0].substr(0, 6), " 9999 ");
    EXPECT_EQ(l.Lines[1].substr(0, 6), "10000 ");
    EXPECT_TRUE(BuildRecordListing(WindowOf({}), Roster(), {}).Lines.empty());
}

TEST(RecordListing, SelectionAfterRewriteAndDeletion) {
    RecordListing l;
    l.Numbers = {1, 2, 4, 5};  // record 3 has level 0
    l.Lines.resize(4);
    EXPECT_EQ(LineOfRecord(l, 4), 2u);
    EXPECT_EQ(LineOfRecord(l, 3), std::nullopt);
    EXPECT_EQ(LineAfterDeletion(l, 2), 1u);  // the record that followed, now number 2
    EXPECT_EQ(LineAfterDeletion(l, 3), 2u);
    EXPECT_EQ(LineAfterDeletion(l, 6), 3u);  // the last one was deleted: the new last line
    EXPECT_EQ(LineAfterDeletion(RecordListing{}, 1), std::nullopt);
}

TEST(RecordCorrection, PanelAndChecks) {
    ScoreRecord timedOut = RunOn(kDay, 12, 3, 99999);
    const EditPanel p = EditPanelFor(timedOut, Roster());
    EXPECT_EQ(p.Level, "ﾚﾍﾞﾙ 3");
    EXPECT_EQ(p.Date, "2024/06/10");
    EXPECT_EQ(p.Grade, "中２");
    EXPECT_EQ(p.Seconds, " 99999");
    EXPECT_EQ(p.ScrollValue, 99999);
    EXPECT_EQ(p.Pupil, " 12 /  あいう");

    struct Case {
        const char* pupil;
        const char* seconds;
        bool accepted;
        const char* catches;
    } cases[] = {
        {" 12 /  あいう", " 45", true, "the panel's own texts refused"},
        {" 7 /  x", "99999", true, "a timed-out time refused"},
        {"12 あいう", "45", false, "an entry without / read as pupil 0"},
        {" 0 /  x", "45", false, "pupil 0 written"},
        {" 12 /", "45.5", false, "a fraction rounded silently"},
        {" 12 /", "100000", false, "a time beyond the timed-out mark"},
        {" 12 /", "-1", false, "a negative time"},
        {" 12 /", "", false, "an empty time read as 0"},
    };
    for (const Case& c : cases) {
        const auto result = CorrectedRecord(timedOut, c.pupil, c.seconds);
        EXPECT_EQ(std::holds_alternative<ScoreRecord>(result), c.accepted) << c.catches;
    }
    const auto fixed = std::get<ScoreRecord>(CorrectedRecord(timedOut, " 7 /  x", " 45"));
    EXPECT_EQ(fixed.PupilNumber, 7);
    EXPECT_EQ(fixed.Seconds, 45);

    // Catches a correction that touches more than the pupil (bytes 16-17) and the seconds
    // (20-23): the time of day, date, level, school code and the text fields stay as read.
    ScoreRecord read = RunOn(kDay, 12, 3, 61);
    read.RunTimeOfDay = 0.6372;
    read.SchoolCode = {'1', '2', '3', '4', '5'};
    read.TallyText = {'t', 'a', 'l', 'l', 'y'};
    read.PointsText = {' ', '4', '2', ' ', ' '};
    read.Reserved = {'\x01', '\x02', '\x03', '\x04', '\x05'};
    const ScoreRecordBytes before = EncodeScoreRecord(read);
    const ScoreRecordBytes after =
        EncodeScoreRecord(std::get<ScoreRecord>(CorrectedRecord(read, " 7 /  x", " 45")));
    for (std::size_t i = 0; i < kScoreRecordSize; ++i) {
        if ((i < 16 || i > 17) && (i < 20 || i > 23)) {
            EXPECT_EQ(after[i], before[i]) << "byte " << i;
        }
    }
}

TEST(TimeDistribution, HeadingAndBinLines) {
    const TimeDistributions none = BuildTimeDistributions(WindowOf({}));
    const auto empty = DistributionLines(none, 4, false);
    ASSERT_EQ(empty.size(), 102u);
    EXPECT_EQ(empty[0], "レベル4 今まで0回  （★=1）");
    EXPECT_EQ(empty[1], "   0～");
    EXPECT_EQ(empty[101], "1000～");

    std::vector<ScoreRecord> runs{RunOn(kDay, 5, 2, 85),    RunOn(kDay, 5, 2, 300),
                                  RunOn(kDay, 6, 2, 99999), RunOn(kDay, 6, 2, 1200),
                                  RunOn(kDay, 6, 51, 10),   RunOn(kDay, 6, 0, 10)};
    for (int i = 0; i < 30; ++i) {
        runs.push_back(RunOn(kDay, 100 + i, 2, 45));
    }
    const TimeDistributions d = BuildTimeDistributions(WindowOf(runs));
    const auto all = DistributionLines(d, 2, false);
    EXPECT_EQ(all[0], "レベル2 今まで34回  （★=3）");
    EXPECT_EQ(all[1 + 4], "  40～★★★★★★★★★★");
    EXPECT_EQ(all[1 + 8], "  80～");     // one run is a third of a star
    EXPECT_EQ(all[1 + 100], "1000～★");  // 1200 s and the timed-out run: 2/3 rounds up
    const auto best = DistributionLines(d, 2, true);
    EXPECT_EQ(best[0], "レベル2 （★=3）");
    EXPECT_EQ(best[1 + 8], "  80～");  // pupil 5's best, 85 s, alone in bin 8
    EXPECT_EQ(d.BestTimes[2][8], 1);
    EXPECT_EQ(d.BestTimes[2][30], 1);  // pupil 6's best, 1200 s, gathered in bin 30
    EXPECT_EQ(d.BestTimes[2][100], 0);
    int counted = 0;
    for (int runsOfLevel : d.RunCount) {
        counted += runsOfLevel;
    }
    EXPECT_EQ(counted, 34);  // levels 0 and 51 are not counted
}

}  // namespace
}  // namespace kagaku::admin
