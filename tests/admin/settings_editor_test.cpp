// The level settings editor's grid without a window: keys, marks, checks before a save, and
// the save against a file that another teacher changed meanwhile.
#include <gtest/gtest.h>

#include "admin/settings_editor.h"
#include "common/errors.h"
#include "state/level_catalogue.h"
#include "support/test_support.h"
#include "support/state_parts.h"

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

// Form_Activate on each kind of file: the reason shown, the grid on the settings in force when
// the file cannot be used, and what the check at save says then. A damaged file is what a save
// replaces: no question about another PC's change, unless it changes again.
TEST(SettingsGridOpen, EachKindOfFile) {
    const std::vector<SettingsRow> inForce{SettingsRow{"45", "60", "100", "3", "1"},
                                           SettingsRow{"50", "70", "100", "3", "1"}};
    struct Case {
        const char* name;
        std::optional<std::string> text;  // nothing: no file; "<dir>": a folder in its place
        std::optional<SettingsFileTrouble> trouble;
        int levels;
        bool changedAtSave;
        const char* catches;
    } cases[] = {
        {"good", kFile, std::nullopt, 6, false, "a good file refused"},
        {"missing", std::nullopt, SettingsFileTrouble::Missing, 2, false, "no fallback"},
        {"folder", std::string("<dir>"), SettingsFileTrouble::Unreadable, 2, false, ""},
        {"mid-group", std::string("目標Time,最低Time\n45,60,100\n"),
         SettingsFileTrouble::Damaged, 2, false, "a damaged file asking at every save"},
        {"heading only", std::string("a,b,c,d,e,f,g,h,i,,,\n"), SettingsFileTrouble::Damaged, 2,
         false, "a heading-only file asking at every save"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const fs::path file = dir / "タイム回数データ.txt";
        if (c.text == "<dir>") {
            fs::create_directory(file);
        } else if (c.text) {
            dir.WriteCp932("タイム回数データ.txt", *c.text);
        }
        SettingsGrid grid;
        const auto problem = grid.Open(file, inForce);
        EXPECT_EQ(problem.has_value(), c.trouble.has_value());
        if (problem && c.trouble) {
            EXPECT_EQ(problem->trouble, *c.trouble);
            EXPECT_FALSE(problem->problem.empty());
            EXPECT_NE(problem->file.find("タイム回数データ.txt"), std::string::npos);
        }
        EXPECT_EQ(grid.LastSettingsRow(), c.levels);
        if (c.text == "<dir>") {
            // Still unreadable at save: an error for the editor's message, never a crash.
            EXPECT_THROW(grid.FileChangedOnDisk(file), DataFileError);
            continue;
        }
        EXPECT_EQ(grid.FileChangedOnDisk(file), c.changedAtSave) << c.catches;
        if (c.trouble == SettingsFileTrouble::Damaged) {
            dir.WriteCp932("タイム回数データ.txt", *c.text + "x");
            EXPECT_TRUE(grid.FileChangedOnDisk(file)) << "another PC's change went unnoticed";
        }
    }
}

// The file replaced by something unreadable after the editor opened: the check throws the
// file error for the editor's message and the grid keeps every edit.
TEST_F(Editor, FileUnreadableAtTheCheckKeepsTheEdits) {
    grid.SetCurrent(2, 1);
    grid.TypeText("77");
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_THROW(grid.FileChangedOnDisk(file), DataFileError);
    EXPECT_EQ(grid.Cell(2, 1), "77");
    EXPECT_TRUE(grid.IsMarked(2, 1));
    EXPECT_TRUE(grid.SettingsChanged());
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
        // 判期間: a pass window of 0 days counts no run, so the level is never cleared and
        // every later level stays locked (Space empties a cell: one key away).
        {8, "", true, true, "a blank pass window on a timed level"},
        {8, "0", true, true, "a pass window of 0 days on a timed level"},
        {8, "", false, false, "a blank pass window refused on a practice level"},
        {6, "0", true, false, "a 0 ban count refused (it switches the ban off)"},
        {7, "0", true, false, "a 0 ban points refused (it switches the ban off)"},
        {9, "", true, false, "a blank ban window refused (it switches the ban off)"},
        {9, "0", true, false, "a 0 ban window refused (it switches the ban off)"},
        // Columns 1 to 4 load rounded: 0.4 would pass "above 0" and load as 0.
        {1, "0.4", true, true, "0.4 as target time, loaded as 0"},
        {2, "60.5", true, true, "a fraction as minimum time"},
        {3, "99.9", true, true, "a fraction as clear points"},
        {4, "2.5", false, true, "a fraction as clear count on a practice level"},
        {1, "45.0", true, false, "a whole number written with .0 refused"},
        {2, "0", true, true, "a zero minimum time on a timed level"},
        {3, "0", true, false, "0 clear points refused"},
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
    StateParts state;
    BuildLevelCatalogue(state.setup);
    const std::vector<bool> timed = TimedLevels(state.setup);
    EXPECT_FALSE(timed[1]);
    EXPECT_TRUE(timed[2]);
    EXPECT_TRUE(timed[12]);
    EXPECT_FALSE(timed[14]);
}

}  // namespace
}  // namespace kagaku::admin
