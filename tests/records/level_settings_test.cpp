#include "records/level_settings.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>

#include "common/errors.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using Row = std::array<std::string, kSettingsColumns>;

const char* const kHeading =
    "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n";

class LevelSettingsFile : public ::testing::Test {
protected:
    fs::path Write(const std::string& utf8) const {
        return dir.WriteCp932("タイム回数データ.txt", utf8);
    }
    fs::path File() const { return dir / "タイム回数データ.txt"; }
    testing::TempDir dir;
};

TEST_F(LevelSettingsFile, HeadingOnlyGivesZerosAndEmpties) {
    LevelSettings s;
    LoadLevelSettings(Write(kHeading), s);
    EXPECT_EQ(s.LinesLoaded, 1);
    for (std::size_t k = 0; k < kLevelSlots; ++k) {
        EXPECT_EQ(s.TargetTime[k], 0);
        EXPECT_EQ(s.MinimumTime[k], 0);
        EXPECT_EQ(s.ClearPoints[k], 0);
        EXPECT_EQ(s.ClearCount[k], 0);
        EXPECT_EQ(s.PointMultiplier[k], 0.0);
        EXPECT_TRUE(s.Spare10[k].IsEmpty());
        EXPECT_TRUE(s.Spare12[k].IsEmpty());
    }
    // The named headings are texts in the loosely typed columns of entry 0.
    EXPECT_EQ(s.BanCount[0].ToText(), "禁回");
    EXPECT_TRUE(s.BanCount[1].IsEmpty());
    EXPECT_TRUE(s.BanWindowDays[1].IsEmpty());
}

TEST_F(LevelSettingsFile, ReadsEachColumnOfALevelLine) {
    LevelSettings s;
    LoadLevelSettings(Write(std::string(kHeading) + "45,60,100,3,1.5,10,300,7,7,,,\n"), s);
    EXPECT_EQ(s.TargetTime[1], 45);
    EXPECT_EQ(s.MinimumTime[1], 60);
    EXPECT_EQ(s.ClearPoints[1], 100);
    EXPECT_EQ(s.ClearCount[1], 3);
    EXPECT_DOUBLE_EQ(s.PointMultiplier[1], 1.5);
    EXPECT_EQ(s.BanCount[1].ToInteger(), 10);
    EXPECT_EQ(s.BanPoints[1].ToInteger(), 300);
    EXPECT_EQ(s.PassWindowDays[1].ToInteger(), 7);
    EXPECT_EQ(s.BanWindowDays[1].ToInteger(), 7);
    EXPECT_TRUE(s.Spare10[1].IsEmpty());
    EXPECT_EQ(s.LinesLoaded, 2);
}

// A blank item reads as 0 in the numeric columns and as empty (acting as 0) in the others, so a
// blank 禁回 or 禁点 switches that ban test off.
TEST_F(LevelSettingsFile, BlankItemsReadAsZeroOrEmpty) {
    LevelSettings s;
    s.TargetTime[1] = 99;
    s.BanCount[1] = Variant(5);
    LoadLevelSettings(Write(std::string(kHeading) + " , ,,,,,,,,,,\n"), s);
    EXPECT_EQ(s.TargetTime[1], 0);
    EXPECT_EQ(s.PointMultiplier[1], 0.0);
    EXPECT_TRUE(s.BanCount[1].IsEmpty());
    EXPECT_EQ(s.BanCount[1].ToInteger(), 0);
    EXPECT_TRUE(s.BanPoints[1].IsEmpty());
}

// A line with eleven items takes the first item of the next line as its twelfth, and every later
// level shifts by one item.
TEST_F(LevelSettingsFile, ShortLineShiftsLaterLevels) {
    LevelSettings s;
    LoadLevelSettings(
        Write(std::string(kHeading) + "45,60,100,3,1.5,10,300,7,7,,\n"  // eleven items
                                      "50,70,200,4,2,20,400,14,14,,,\n"
                                      "55,80,300,5,3,30,500,21,21,,,,\n"),  // thirteen items
        s);
    EXPECT_EQ(s.TargetTime[1], 45);
    EXPECT_EQ(s.Spare12[1].ToInteger(), 50);
    EXPECT_EQ(s.TargetTime[2], 70);
    EXPECT_EQ(s.MinimumTime[2], 200);
    EXPECT_DOUBLE_EQ(s.PointMultiplier[2], 20.0);
    EXPECT_EQ(s.Spare12[2].ToInteger(), 55);
    // Line 3 lost its first item to level 2: 80 is level 3's target.
    EXPECT_EQ(s.TargetTime[3], 80);
    EXPECT_TRUE(s.Spare12[3].IsEmpty());
    EXPECT_EQ(s.LinesLoaded, 4);
}

TEST_F(LevelSettingsFile, NonNumbersInNumericColumnsReadAsZero) {
    LevelSettings s;
    LoadLevelSettings(Write(std::string(kHeading) + "abc,12abc,-5,7,x,a,b,c,d,e,f,g\n"), s);
    EXPECT_EQ(s.TargetTime[1], 0);
    EXPECT_EQ(s.MinimumTime[1], 0);
    EXPECT_EQ(s.ClearPoints[1], -5);
    EXPECT_EQ(s.PointMultiplier[1], 0.0);
    EXPECT_EQ(s.Spare12[1].ToText(), "g");
}

TEST_F(LevelSettingsFile, ThirtySixLinesLoadAndThirtySevenAreRejected) {
    std::string s36 = kHeading;
    for (int k = 1; k <= 35; ++k)
        s36 += std::to_string(k) + ",2,3,4,5,6,7,8,9,,,\n";
    LevelSettings s;
    LoadLevelSettings(Write(s36), s);
    EXPECT_EQ(s.TargetTime[35], 35);

    LevelSettings before = s;
    try {
        LoadLevelSettings(Write(s36 + "36,2,3,4,5,6,7,8,9,,,\n"), s);
        FAIL() << "a 37-line file was accepted";
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("タイム回数データ.txt"), std::string::npos);
    }
    EXPECT_EQ(s.TargetTime, before.TargetTime);
}

// A file that ends inside a group of twelve is damaged; loading must not leave half a table.
TEST_F(LevelSettingsFile, FileEndingMidGroupIsRejectedAndTheTableKept) {
    LevelSettings s;
    LoadLevelSettings(Write(std::string(kHeading) + "45,60,100,3,1.5,10,300,7,7,,,\n"), s);
    LevelSettings before = s;
    EXPECT_THROW(LoadLevelSettings(Write(std::string(kHeading) + "1,2,3,4,5,6,7,8,9,,,\n"
                                                                 "1,2,3\n"),
                                   s),
                 DataFileError);
    EXPECT_EQ(s.TargetTime, before.TargetTime);
    EXPECT_EQ(s.BanCount, before.BanCount);
    EXPECT_EQ(s.LinesLoaded, before.LinesLoaded);
}

TEST_F(LevelSettingsFile, MissingOrUndecodableFileIsNamed) {
    LevelSettings s;
    try {
        LoadLevelSettings(File(), s);
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("タイム回数データ.txt"), std::string::npos);
    }
    dir.WriteBytes("タイム回数データ.txt", "45,60,\xFF\r\n");
    EXPECT_THROW(LoadLevelSettings(File(), s), DataFileError);
}

std::vector<Row> SampleRows() {
    return {LevelSettingsHeadings(),
            {"45", "60", "100", "3", "1.5", "10", "300", "7", "7", "メモ", "", "x1"},
            {"50", "70", "9999", "0", "1", "", "", "14", "1", "", "0", ""}};
}

// Saving writes plain CR LF lines in code page 932 and reads them back at once; the three spare
// columns come back exactly as written.
TEST_F(LevelSettingsFile, SaveWritesPlainLinesAndLoadsThemBack) {
    LevelSettings s;
    SaveLevelSettings(File(), SampleRows(), s);
    const std::string expected = std::string(kHeading) +
                                 "45,60,100,3,1.5,10,300,7,7,メモ,,x1\n"
                                 "50,70,9999,0,1,,,14,1,,0,\n";
    testing::TempDir other;
    EXPECT_EQ(testing::ReadBytes(File()),
              testing::ReadBytes(other.WriteCp932("expected.txt", expected)));
    EXPECT_EQ(s.LinesLoaded, 3);
    EXPECT_DOUBLE_EQ(s.PointMultiplier[1], 1.5);
    EXPECT_EQ(s.Spare10[1].ToText(), "メモ");
    EXPECT_EQ(s.Spare12[1].ToText(), "x1");
    EXPECT_TRUE(s.BanCount[2].IsEmpty());
    EXPECT_EQ(s.Spare11[2].ToText(), "0");

    // The rows the editor shows from the table save to the same file.
    const std::string saved = testing::ReadBytes(File());
    SaveLevelSettings(File(), LevelSettingsRows(s, 2), s);
    EXPECT_EQ(testing::ReadBytes(File()), saved);
}

// Levels beyond the last saved line keep the values they had before the save.
TEST_F(LevelSettingsFile, LevelsBeyondTheLastLineKeepTheirValues) {
    LevelSettings s;
    s.TargetTime[5] = 123;
    s.BanCount[5] = Variant(9);
    SaveLevelSettings(File(), SampleRows(), s);
    EXPECT_EQ(s.TargetTime[1], 45);
    EXPECT_EQ(s.TargetTime[5], 123);
    EXPECT_EQ(s.BanCount[5].ToInteger(), 9);
}

TEST_F(LevelSettingsFile, SaveRejectsItemsThatWouldShiftTheFile) {
    LevelSettings s;
    SaveLevelSettings(File(), SampleRows(), s);
    const std::string saved = testing::ReadBytes(File());
    for (const char* bad : {"1,5", "\"7\"", "a\r\nb", "a\nb"}) {
        auto rows = SampleRows();
        rows[1][9] = bad;
        EXPECT_THROW(SaveLevelSettings(File(), rows, s), DataFileError) << bad;
        EXPECT_EQ(testing::ReadBytes(File()), saved) << bad;
    }
    auto rows = SampleRows();
    rows[2][10] = "😀";  // no code page 932 form
    EXPECT_THROW(SaveLevelSettings(File(), rows, s), DataFileError);
    EXPECT_EQ(testing::ReadBytes(File()), saved);
    EXPECT_THROW(SaveLevelSettings(File(), std::vector<Row>(37, SampleRows()[1]), s),
                 DataFileError);
    EXPECT_EQ(testing::ReadBytes(File()), saved);
}

#ifndef _WIN32
// (POSIX only: the file size limit of a forked child has no Windows counterpart.)
// A save that fails part-way (here: the file size limit, as a full disk would) must leave the old
// file whole and no temporary file behind, so that the next start still finds its settings.
TEST_F(LevelSettingsFile, FailedSaveLeavesTheOldFileWhole) {
    LevelSettings s;
    SaveLevelSettings(File(), SampleRows(), s);
    const std::string saved = testing::ReadBytes(File());

    std::vector<Row> big = SampleRows();
    for (int k = 3; k <= 35; ++k)
        big.push_back({std::string(200, '9'), "1", "1", "1", "1", "", "", "", "", "", "", ""});

    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = 1024;
        limit.rlim_max = 1024;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(3);
        LevelSettings childSettings;
        try {
            SaveLevelSettings(File(), big, childSettings);
        } catch (const DataFileError& e) {
            bool named = e.file().find("タイム回数データ.txt") != std::string::npos;
            _exit(named ? 0 : 4);
        } catch (...) {
            _exit(5);
        }
        _exit(6);  // the save claimed success
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3 setrlimit, 4 file not named, 5 other error, 6 no error";
    EXPECT_EQ(testing::ReadBytes(File()), saved);
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename(), File().filename()) << "left behind: " << entry.path();
    }
}
#endif

}  // namespace
}  // namespace kagaku
