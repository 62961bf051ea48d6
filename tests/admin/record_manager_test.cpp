// The record manager's lines, selections and correction checks, and the editor's
// distributions, from real record files.
#include <gtest/gtest.h>

#include "admin/record_manager.h"
#include "admin/time_distribution.h"
#include "common/files.h"
#include "platform/shared_file.h"
#include "records/record_test_support.h"
#include "support/state_parts.h"

namespace kagaku::admin {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
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
    StateParts state;
    state.setup.DataRoot = PathText(dir.path()) + "/";
    const RosterLookup r = ReadRosterLookup(state.setup, kDay);
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

std::vector<ScoreRecord> FiveRuns() {
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= 5; ++i) {
        records.push_back(RunOn(kDay, 10 + i, 2, 100 + i));
    }
    return records;
}

// Another PC deletes (or rewrites) a record after the list was read. The double click and the
// rewrite and deletion under the lock compare with the bytes of the line the teacher chose, not
// with whatever record now holds its number; nothing is written then. (The screens' test does
// the same with kagaku-admin as the other PC.)
TEST(ListedRecord, AnotherPcsChangeIsNoticedAtTheDoubleClickAndUnderTheLock) {
    struct Case {
        const char* name;
        std::size_t line;
        bool otherDeletes;       // else the other PC rewrites record 2
        bool listedAfter;        // the double click still finds the line's record
    } cases[] = {
        {"line 3 after record 2 was deleted: now record 4 at number 3", 2, true, false},
        {"the last line, whose number is gone", 4, true, false},
        {"line 1, before the deleted record", 0, true, true},
        {"line 2 rewritten elsewhere", 1, false, false},
        {"line 3 when another line was rewritten", 2, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, FiveRuns());
        const RecordListing listing =
            BuildRecordListing(ReadRecordWindow(file, 0), Roster(), {MakeRecordText(""), "本校"});
        ASSERT_EQ(listing.Bytes.size(), 5u);
        FakeWaiter other;
        if (c.otherDeletes) {
            DeleteScoreRecord(file, 2, other);
        } else {
            ScoreRecord changed = FiveRuns()[1];
            changed.Seconds = 7;
            RewriteScoreRecord(file, 2, changed, other);
        }
        const std::string afterOther = testing::ReadBytes(file);
        const auto listed = ReadListedRecord(file, listing, c.line);
        EXPECT_EQ(listed.has_value(), c.listedAfter);
        if (listed) {
            EXPECT_EQ(EncodeScoreRecord(*listed), listing.Bytes[c.line]);
            continue;
        }
        FakeWaiter waiter;
        ScoreRecord corrected = FiveRuns()[c.line];
        corrected.Seconds = 45;
        EXPECT_EQ(RewriteListedRecord(file, listing, c.line, corrected, waiter),
                  RecordChange::RecordDiffers);
        EXPECT_EQ(DeleteListedRecord(file, listing, c.line, waiter), RecordChange::RecordDiffers);
        EXPECT_EQ(testing::ReadBytes(file), afterOther) << "the wrong record was changed";
    }
}

// A deletion that fails part way, at every call where a failure can strike: the manager
// finishes or drops it at once, and its message says which, truthfully (the file is then as
// after or as before); when finishing fails too, it says the next writer will.
TEST(ListedRecord, AFailedDeletionSaysWhatBecameOfIt) {
    const std::vector<ScoreRecord> before = FiveRuns();
    std::vector<ScoreRecord> after = before;
    after.erase(after.begin() + 2);
    const std::string beforeBytes = testing::RecordFileBytes(before);
    const std::string afterBytes = testing::RecordFileBytes(after);
    int finished = 0;
    int dropped = 0;
    bool gotThrough = false;
    for (long long k = 0; k < 400 && !gotThrough; ++k) {
        SCOPED_TRACE("EIO at call " + std::to_string(k));
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, before);
        const RecordListing listing =
            BuildRecordListing(ReadRecordWindow(file, 0), Roster(), {MakeRecordText(""), "本校"});
        FakeWaiter waiter;
        FailFileCall(k, EIO);
        try {
            EXPECT_EQ(DeleteListedRecord(file, listing, 2, waiter), RecordChange::Done);
            EXPECT_EQ(testing::ReadBytes(file), afterBytes);
        } catch (const DeletionFault& e) {
            ASSERT_TRUE(e.then().has_value());
            EXPECT_FALSE(fs::exists(DeletionCopyPath(file)));
            EXPECT_EQ(e.headline().find("次にこのファイルに書き込むとき"), std::string::npos)
                << e.headline();
            EXPECT_EQ(e.problem().find("次にこのファイルに書き込むとき"), std::string::npos)
                << e.problem();
            if (*e.then() == InterruptedDeletion::Finished) {
                ++finished;
                EXPECT_EQ(testing::ReadBytes(file), afterBytes);
                EXPECT_NE(e.headline().find("消去を仕上げました。記録3は消えています。"),
                          std::string::npos)
                    << e.headline();
            } else {
                ++dropped;
                EXPECT_EQ(*e.then(), InterruptedDeletion::Dropped);
                EXPECT_EQ(testing::ReadBytes(file), beforeBytes);
                EXPECT_NE(e.headline().find("消去を取り消しました。記録3は消えていません。"),
                          std::string::npos)
                    << e.headline();
            }
        } catch (const DataFileError&) {
            // Failed before the first write: nothing to finish, nothing changed.
            EXPECT_EQ(testing::ReadBytes(file), beforeBytes);
        }
        gotThrough = !FileCallFailed();
        FailFileCall(-1, 0);
    }
    EXPECT_TRUE(gotThrough);
    EXPECT_GT(finished, 0);
    EXPECT_GT(dropped, 0);

    // Every change fails from the move on, finishing too: left for the next writer, said so.
    testing::TempDir dir;
    const fs::path file = testing::WriteRecordFile(dir, before);
    const RecordListing listing =
        BuildRecordListing(ReadRecordWindow(file, 0), Roster(), {MakeRecordText(""), "本校"});
    FakeWaiter waiter;  // answers no to "try again?"
    bool left = false;
    for (long long count = 0; count < 20 && !left; ++count) {
        FailFileChangesAfter(count);
        try {
            DeleteListedRecord(file, listing, 2, waiter);
        } catch (const DeletionFault& e) {
            left = !e.then().has_value();
            if (left) {
                EXPECT_NE(e.headline().find("途中で止まっています"), std::string::npos);
                EXPECT_NE(e.headline().find("次にこのファイルに書き込むとき"), std::string::npos);
            }
        } catch (const DataFileError&) {
        }
        FailFileChangesAfter(-1);
        if (!left) {
            FakeWaiter next;
            FinishInterruptedDeletion(file, next);
            testing::WriteRecordFile(dir, before);
        }
    }
    EXPECT_TRUE(left);
    EXPECT_TRUE(fs::exists(DeletionCopyPath(file)));
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
