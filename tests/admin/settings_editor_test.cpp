// The level settings editor's grid without a window: keys, marks, checks before a save, and
// the save against a file that another teacher changed meanwhile.
#include <gtest/gtest.h>

#include "admin/settings_editor.h"
#include "common/errors.h"
#include "state/level_catalogue.h"
#include "support/test_support.h"

namespace kagaku::admin {
namespace {

namespace fs = std::filesystem;

const char* kFile =
    "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n"
    "0,0,9999,0,1,,,7,7,,,\n"
    "45,60,100,3,1.5,10,300,7,7,,,a\n"
    "50,70,100,3,1,,,7,7,,,\n"
    "40,55,100,3,1,,,7,7,,,\n"
    "30,40,100,3,1,,,7,7,,,\n"
    "30,40,100,3,1,,,7,7,,,\n";

struct Editor : ::testing::Test {
    Editor() {
        file = dir.WriteCp932("タイム回数データ.txt", kFile);
        grid.Load(file);
    }
    testing::TempDir dir;
    fs::path file;
    SettingsGrid grid;
};

// Each key's movement at the grid's edges, and Esc doing nothing at all.
TEST_F(Editor, KeysMoveWithinTheLevelCellsOnly) {
    struct Case {
        int row, column;
        EditorKey key;
        int wantRow, wantColumn;
        const char* catches;
    } cases[] = {
        {1, 1, EditorKey::Up, 1, 1, "Up on row 1 reaching the heading row"},
        {6, 1, EditorKey::Down, 6, 1, "Down past the last level"},
        {3, 1, EditorKey::Left, 3, 1, "Left into the level-number column"},
        {3, 12, EditorKey::Right, 3, 12, "Right past column 12"},
        {3, 5, EditorKey::Up, 2, 5, "Up not moving"},
        {3, 5, EditorKey::Down, 4, 5, "Down not moving"},
        {3, 5, EditorKey::Enter, 3, 5, "Enter moving like a spreadsheet"},
    };
    for (const Case& c : cases) {
        grid.SetCurrent(c.row, c.column);
        EXPECT_TRUE(grid.Key(c.key, grid.Cell(c.row, c.column))) << c.catches;
        EXPECT_EQ(grid.Row(), c.wantRow) << c.catches;
        EXPECT_EQ(grid.Column(), c.wantColumn) << c.catches;
    }
    EXPECT_FALSE(grid.Key(EditorKey::Esc, "x"));
    EXPECT_FALSE(grid.SettingsChanged());
}

TEST_F(Editor, ShiftDownThreeTimesFromRowTwoFillsRowsTwoToFive) {
    grid.SetCurrent(2, 3);
    for (int i = 0; i < 3; ++i) {
        grid.Key(EditorKey::ShiftDown, "250");
    }
    for (int row = 1; row <= 6; ++row) {
        const bool filled = row >= 2 && row <= 5;
        EXPECT_EQ(grid.Cell(row, 3), filled ? "250" : row == 1 ? "9999" : "100") << row;
        EXPECT_EQ(grid.IsMarked(row, 3), filled) << row;
    }
    EXPECT_TRUE(grid.SettingsChanged());
    EXPECT_EQ(grid.Row(), 2);
}

// The cells as loaded, an emptied cell saved as an empty item, and the flag after 元に戻す.
TEST_F(Editor, EmptiedCellIsSavedAndRevertKeepsTheFlag) {
    EXPECT_EQ(grid.LastSettingsRow(), 6);
    EXPECT_EQ(grid.Cell(0, 1), "目標Time");
    EXPECT_EQ(grid.Cell(2, 5), "1.5");
    EXPECT_EQ(grid.Cell(2, 12), "a");
    grid.SetCurrent(2, 6);
    grid.TypeText("");
    EXPECT_TRUE(grid.IsMarked(2, 6));
    grid.Load(file);  // 元に戻す
    EXPECT_EQ(grid.Cell(2, 6), "10");
    EXPECT_FALSE(grid.IsMarked(2, 6));
    EXPECT_TRUE(grid.SettingsChanged());

    grid.SetCurrent(2, 6);
    grid.TypeText("");
    LevelSettings settings;
    grid.Save(file, settings);
    EXPECT_FALSE(grid.SettingsChanged());
    const std::string text = testing::ReadBytes(file);
    EXPECT_NE(text.find("45,60,100,3,1.5,,300,7,7,,,a\r\n"), std::string::npos) << text;
    EXPECT_TRUE(settings.BanCount[2].IsEmpty());
    EXPECT_EQ(settings.TargetTime[3], 50);
}

TEST_F(Editor, ASaveAfterAnotherTeachersSaveIsNoticed) {
    EXPECT_FALSE(grid.FileChangedOnDisk(file));
    dir.WriteCp932("タイム回数データ.txt", std::string(kFile) + "1,1,1,1,1,,,7,7,,,\n");
    EXPECT_TRUE(grid.FileChangedOnDisk(file));
    LevelSettings settings;
    grid.Save(file, settings);
    EXPECT_FALSE(grid.FileChangedOnDisk(file));
    fs::remove(file);
    EXPECT_TRUE(grid.FileChangedOnDisk(file));
}

TEST(SettingsGridLoad, MissingOrHeadingOnlyFileIsRefusedAndTheGridKept) {
    testing::TempDir dir;
    SettingsGrid grid;
    grid.LoadRows({SettingsRow{"45", "60"}});
    EXPECT_THROW(grid.Load(dir / "タイム回数データ.txt"), DataFileError);
    const fs::path headingOnly = dir.WriteCp932("h.txt", "a,b,c,d,e,f,g,h,i,,,\n");
    EXPECT_THROW(grid.Load(headingOnly), DataFileError);
    EXPECT_EQ(grid.LastSettingsRow(), 1);
    EXPECT_EQ(grid.Cell(1, 1), "45");
}

TEST(SettingsCheck, RefusesCellsThatWouldBreakOrZeroTheFile) {
    const SettingsRow good{"45", "60", "100", "3", "1.5", "", "", "7", "7", "", "", ""};
    struct Case {
        int column;
        const char* text;
        bool timed;
        bool refused;
        const char* catches;
    } cases[] = {
        {12, "a,b", false, true, "a comma shifting every later item"},
        {11, "say \"hi\"", false, true, "a quote"},
        {10, "two\nlines", false, true, "a line break"},
        {10, "メモ", true, false, "free text refused in a spare column"},
        {1, "abc", false, true, "a word read back as 0"},
        {1, "0", true, true, "a timed level timing out at once"},
        {2, "0", true, true, "a zero minimum time: a time-out of five times 0 seconds"},
        {2, "", true, true, "an empty minimum time on a timed level"},
        {3, "", true, true, "an empty clear-points cell read as 0"},
        {1, "", false, false, "a blank refused on a practice level"},
        {6, "", true, false, "a blank ban refused (it means off)"},
        {9, "-7", true, true, "a negative window"},
        {5, "0.5", true, false, "a fraction refused as multiplier"},
    };
    for (const Case& c : cases) {
        SettingsRow row = good;
        row[static_cast<std::size_t>(c.column - 1)] = c.text;
        const auto problem =
            CheckSettingsRows({good, row}, std::vector<bool>{false, true, c.timed});
        EXPECT_EQ(problem.has_value(), c.refused) << c.catches;
        if (problem) {
            EXPECT_EQ(problem->level, 2) << c.catches;
            EXPECT_EQ(problem->column, c.column) << c.catches;
            EXPECT_NE(problem->message.find("レベル2の"), std::string::npos) << problem->message;
            EXPECT_NE(problem->message.find(std::to_string(c.column) + "列目"), std::string::npos)
                << problem->message;
        }
    }
}

// Only the catalogue's even levels run against the clock; a zero time on a practice level is
// allowed (the demo tree has them).
TEST(SettingsCheck, TimedLevelsAreTheCataloguesEvenLevels) {
    SharedState state;
    BuildLevelCatalogue(state);
    const std::vector<bool> timed = TimedLevels(state);
    EXPECT_FALSE(timed[1]);
    EXPECT_TRUE(timed[2]);
    EXPECT_TRUE(timed[12]);
    EXPECT_FALSE(timed[14]);
}

}  // namespace
}  // namespace kagaku::admin
