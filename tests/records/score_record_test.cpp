#include "records/score_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "common/ole_date.h"
#include "records/record_test_support.h"

namespace kagaku {
namespace {

std::string FromHex(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

std::string AsString(const ScoreRecordBytes& b) {
    return std::string(b.data(), b.size());
}

// Catches any drift in field order, width, byte order or the text fields' padding: other
// machines read these exact bytes.
TEST(ScoreRecordLayout, RunRecordIsTheExpected44Bytes) {
    testing::FakeClock clock({2024, 6, 3}, {10, 30, 15});
    ScoreRecord r = MakeRunRecord(clock, 1234, 12, 87, Variant(std::string("12345")));
    EXPECT_EQ(AsString(EncodeScoreRecord(r)),
              FromHex("00000000c030e6402ed8822dd802dc3fd2040c0057000000313233343520202020202030"
                      "2020202020202020"));
}

// A school without a code must write five spaces (not garbage, not NULs); a timed-out run
// 99999; the reserved bytes must be spaces whatever was read before.
TEST(ScoreRecordLayout, NoSchoolCodeAndTimedOutRun) {
    testing::FakeClock clock({2024, 6, 3}, {0, 0, 0});
    ScoreRecord r = MakeRunRecord(clock, 7, 2, kTimedOutSeconds, Variant());
    std::string bytes = AsString(EncodeScoreRecord(r));
    EXPECT_EQ(bytes.substr(0, 24), FromHex("00000000c030e6400000000000000000070002009f860100"));
    EXPECT_EQ(bytes.substr(24),
              "     "
              "     "
              " 0   "
              "     ");
}

// Time of day must come from the same clock reading as the date, in whole seconds, and never
// read 10:00:00 as 9:59:59 through rounding of the date value.
TEST(ScoreRecordLayout, TimeOfDayIsWholeSecondsOfTheSameMoment) {
    testing::FakeClock clock({2024, 6, 3}, {10, 0, 0});
    clock.AdvanceSeconds(0.75);
    ScoreRecord r = MakeRunRecord(clock, 1, 2, 50, Variant());
    EXPECT_EQ(r.RunDate, ToOleDate({2024, 6, 3}));
    EXPECT_EQ(r.RunTimeOfDay, TimeFraction({10, 0, 0}));

    testing::FakeClock late({2024, 6, 3}, {23, 59, 59});
    ScoreRecord last = MakeRunRecord(late, 1, 2, 50, Variant());
    EXPECT_EQ(last.RunDate, ToOleDate({2024, 6, 3}));
    EXPECT_EQ(OleTimeOf(last.RunTimeOfDay), (TimeOfDay{23, 59, 59}));
}

TEST(ScoreRecordLayout, DecodeReadsBackEveryField) {
    ScoreRecord r = testing::RunOn({2023, 1, 31}, -3, 300, -70000);
    r.SchoolCode = MakeRecordText("9");
    r.Reserved = {'a', 'b', 'c', 'd', 'e'};
    ScoreRecordBytes bytes = EncodeScoreRecord(r);
    ScoreRecord back = DecodeScoreRecord(bytes.data());
    EXPECT_EQ(back.RunDate, r.RunDate);
    EXPECT_EQ(back.RunTimeOfDay, r.RunTimeOfDay);
    EXPECT_EQ(back.PupilNumber, -3);
    EXPECT_EQ(back.Level, 300);
    EXPECT_EQ(back.Seconds, -70000);
    EXPECT_EQ(RecordTextValue(back.SchoolCode), "9");
    EXPECT_EQ(back.Reserved, r.Reserved);
}

// Text fields are cut to five bytes of code page 932 without splitting a double-byte
// character (which would leave a broken lead byte in the file).
TEST(ScoreRecordLayout, TextFieldsCutAtCharacterBoundaries) {
    struct Case {
        const char* utf8;
        std::string bytes;
    } cases[] = {
        {"", "     "},
        {"12345", "12345"},
        {"123456", "12345"},
        {"12", "12   "},
        {"塾塾塾", "\x8f\x6d\x8f\x6d "},
        {"1塾塾", "1\x8f\x6d\x8f\x6d"},
    };
    for (const Case& c : cases) {
        RecordText t = MakeRecordText(c.utf8);
        EXPECT_EQ(std::string(t.data(), t.size()), c.bytes) << c.utf8;
    }
    EXPECT_EQ(RecordTextValue(MakeRecordText("1塾塾")), "1塾塾");
    // A broken lead byte at the end (from a damaged file) still shows as text.
    RecordText broken{'1', '2', '3', '4', '\x8e'};
    EXPECT_EQ(RecordTextValue(broken), "1234?");
}

// Records that would crash or corrupt the tables (level 36, pupil 5001, negative values) must
// be recognised; real runs must not be.
TEST(ScoreRecordCheck, ClassifiesRecordsTheTablesCannotCount) {
    const CivilDate day{2024, 6, 3};
    struct Case {
        ScoreRecord record;
        std::optional<RecordProblem> problem;
    } cases[] = {
        {testing::RunOn(day, 1, 1, 0), std::nullopt},
        {testing::RunOn(day, 5000, 35, kTimedOutSeconds), std::nullopt},
        {testing::RunOn(day, 1, 0, 30), RecordProblem::LevelZero},
        {testing::RunOn(day, 0, 3, 30), RecordProblem::PupilZero},
        {testing::RunOn(day, 1, 36, 30), RecordProblem::LevelOutOfRange},
        {testing::RunOn(day, 1, -1, 30), RecordProblem::LevelOutOfRange},
        {testing::RunOn(day, 5001, 2, 30), RecordProblem::PupilOutOfRange},
        {testing::RunOn(day, -2, 2, 30), RecordProblem::PupilOutOfRange},
        {testing::RunOn(day, 1, 2, -1), RecordProblem::NegativeSeconds},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckScoreRecord(c.record), c.problem)
            << c.record.PupilNumber << " " << c.record.Level << " " << c.record.Seconds;
        // The aggregation's quick test must agree with the check that explains it.
        EXPECT_EQ(IsCountableRun(c.record.RunDate, c.record.PupilNumber, c.record.Level,
                                 c.record.Seconds),
                  !c.problem.has_value());
    }
    ScoreRecord r = testing::RunOn(day, 1, 2, 30);
    for (double bad : {-1.0, std::nan(""), 1e300, 3000000.0}) {
        r.RunDate = bad;
        EXPECT_EQ(CheckScoreRecord(r), RecordProblem::BadDate) << bad;
        EXPECT_FALSE(IsCountableRun(r.RunDate, r.PupilNumber, r.Level, r.Seconds));
    }
    EXPECT_EQ(DescribeRecordProblem(RecordProblem::LevelOutOfRange, testing::RunOn(day, 1, 36, 3)),
              "レベル36が範囲（1〜35）の外です");
}

}  // namespace
}  // namespace kagaku
