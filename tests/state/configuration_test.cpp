#include "state/configuration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "support/test_support.h"
#include "state/program_setup.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

struct SchoolCase {
    const char* field;
    const char* code;  // "" = no code
    const char* name;
};

class SchoolFieldSplit : public ::testing::TestWithParam<SchoolCase> {};

// The code is split off only when the leading number of the first five characters is not 0.
TEST_P(SchoolFieldSplit, GivesCodeAndName) {
    const SchoolCase& c = GetParam();
    Variant code = Variant("stale");
    std::string name = "stale";
    SplitSchoolField(c.field, code, name);
    if (std::string(c.code).empty()) {
        EXPECT_TRUE(code.IsEmpty()) << c.field;
    } else {
        EXPECT_EQ(code.ToText(), c.code) << c.field;
    }
    EXPECT_EQ(name, c.name) << c.field;
}

INSTANTIATE_TEST_SUITE_P(Fields, SchoolFieldSplit,
                         ::testing::Values(SchoolCase{"12345ABC塾", "12345", "ABC塾"},
                                           SchoolCase{"ABC塾", "", "ABC塾"},
                                           SchoolCase{"00000ABC塾", "", "00000ABC塾"},
                                           SchoolCase{"12abcXYZ", "12abc", "XYZ"},
                                           // five characters, not five bytes
                                           SchoolCase{"12345髙橋塾", "12345", "髙橋塾"},
                                           SchoolCase{"", "", ""}));

// A complete data tree in a temporary folder:
//   parent/パスデータ.txt, parent/kagaku/ (the program folder),
//   data/共通データ.txt, data/音フォルダ/新音ファイル.txt, data/kagaku/タイム回数データ.txt
class ConfigurationTree : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(ProgramFolder());
        WritePathFile(PathText(dir.path() / "data") + "/");
        WriteCommon("4,12345ABC塾,0,,,,,,,\n");
        WriteSettings(
            "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n"
            "45,60,100,3,1.5,10,300,7,7,,,\n"
            "50,70,9999,0,1,,,14,1,a,b,c\n");
        WriteSounds("正解音2,seikai2,*\n");
    }

    fs::path ProgramFolder() const { return dir / "parent/kagaku"; }
    void WritePathFile(const std::string& root) const {
        dir.WriteCp932("parent/パスデータ.txt", root + ",,,,,,,,,\n");
    }
    void WriteCommon(const std::string& s) const { dir.WriteCp932("data/共通データ.txt", s); }
    void WriteSettings(const std::string& s) const {
        dir.WriteCp932("data/kagaku/タイム回数データ.txt", s);
    }
    void WriteSounds(const std::string& s) const {
        dir.WriteCp932("data/音フォルダ/新音ファイル.txt", s);
    }

    // Loads and expects a DataFileError naming fileName.
    void ExpectErrorNaming(const std::string& fileName) {
        ProgramSetup state;
        try {
            LoadConfiguration(ProgramFolder(), state);
            FAIL() << "loaded without an error";
        } catch (const DataFileError& e) {
            EXPECT_NE(e.file().find(fileName), std::string::npos)
                << "error names " << e.file() << ": " << e.problem();
            EXPECT_FALSE(e.problem().empty());
        }
    }

    testing::TempDir dir;
};

TEST_F(ConfigurationTree, LoadsFoldersSchoolSettingsAndSounds) {
    ProgramSetup state;
    LoadConfiguration(ProgramFolder(), state);
    const std::string sep(Separator());
    EXPECT_EQ(state.AppFolder, NormaliseFolder(PathText(ProgramFolder())));
    EXPECT_EQ(state.AppFolderName, "kagaku");
    EXPECT_EQ(state.DataRoot, NormaliseFolder(PathText(dir / "data")));
    EXPECT_EQ(state.ProgramDataFolder, state.DataRoot + "kagaku" + sep);
    EXPECT_EQ(state.SoundFolder, state.DataRoot + "音フォルダ" + sep);
    EXPECT_EQ(state.SchoolYearStartMonth.ToInteger(), 4);
    EXPECT_EQ(state.SchoolCode.ToText(), "12345");
    EXPECT_EQ(state.SchoolName, "ABC塾");
    EXPECT_EQ(state.RosterHideOption.ToInteger(), 0);
    EXPECT_EQ(state.ProgramName, "化学式");
    // Level 1 comes from the second line of the settings file.
    EXPECT_EQ(state.Settings.TargetTime[1], 45);
    EXPECT_EQ(state.Settings.MinimumTime[2], 70);
    EXPECT_EQ(state.Settings.Spare12[2].ToText(), "c");
    EXPECT_EQ(state.Sounds.Files[2], (std::vector<std::string>{"seikai2"}));
}

struct RootCase {
    const char* name;
    const char* root;  // written into パスデータ.txt; "@" stands for the temporary folder
};

class ConfigurationRoot : public ConfigurationTree,
                          public ::testing::WithParamInterface<RootCase> {};

// However the data root is written, the derived folders are the same and end in one separator.
TEST_P(ConfigurationRoot, GivesTheSameFolders) {
    std::string root = GetParam().root;
    std::string base = PathText(dir.path());
    std::string::size_type at = root.find('@');
    if (at != std::string::npos) {
        std::string baseWritten = base;
        if (root.find('\\') != std::string::npos)
            for (char& c : baseWritten)
                if (c == '/')
                    c = '\\';
        root.replace(at, 1, baseWritten);
    }
    WritePathFile(root);
    ProgramSetup state;
    LoadConfiguration(ProgramFolder(), state);
    EXPECT_EQ(state.DataRoot, NormaliseFolder(PathText(dir / "data")));
    EXPECT_EQ(state.ProgramDataFolder, NormaliseFolder(PathText(dir / "data/kagaku")));
    EXPECT_EQ(state.SoundFolder, NormaliseFolder(PathText(dir / "data/音フォルダ")));
    EXPECT_EQ(state.Settings.TargetTime[1], 45);
}

INSTANTIATE_TEST_SUITE_P(Roots, ConfigurationRoot,
                         ::testing::Values(RootCase{"TrailingSlash", "@/data/"},
                                           RootCase{"NoTrailingSlash", "@/data"},
                                           RootCase{"Backslashes", "@\\data\\"},
                                           RootCase{"BackslashesNoTrailing", "@\\data"},
                                           RootCase{"QuotedWithBlanks", "  \"@/data/\"  "},
                                           // relative to the folder of パスデータ.txt
                                           RootCase{"Relative", "../data/"},
                                           RootCase{"RelativeBackslash", "..\\data\\"},
                                           RootCase{"RelativeNoTrailing", "../data"}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(ConfigurationTree, ProgramFolderWithTrailingSeparatorGivesTheSameName) {
    ProgramSetup state;
    LoadConfiguration(PathFromText(PathText(ProgramFolder()) + "/"), state);
    EXPECT_EQ(state.AppFolderName, "kagaku");
    EXPECT_EQ(state.ProgramDataFolder, NormaliseFolder(PathText(dir / "data/kagaku")));
}

// A program folder given relative to the working folder ("." when started from inside it) must
// still give the folder's own name, not ".", or the program would use the wrong data folder.
TEST_F(ConfigurationTree, RelativeProgramFolderGivesTheFolderName) {
    const fs::path previous = fs::current_path();
    fs::current_path(ProgramFolder());
    ProgramSetup state;
    try {
        LoadConfiguration(".", state);
    } catch (...) {
        fs::current_path(previous);
        throw;
    }
    fs::current_path(previous);
    EXPECT_EQ(state.AppFolderName, "kagaku");
    EXPECT_EQ(state.ProgramDataFolder, NormaliseFolder(PathText(dir / "data/kagaku")));
    EXPECT_EQ(state.Settings.TargetTime[1], 45);
}

TEST_F(ConfigurationTree, MissingPathFileIsNamed) {
    fs::remove(dir / "parent/パスデータ.txt");
    ExpectErrorNaming("パスデータ.txt");
}

TEST_F(ConfigurationTree, MissingCommonFileIsNamed) {
    fs::remove(dir / "data/共通データ.txt");
    ExpectErrorNaming("共通データ.txt");
}

TEST_F(ConfigurationTree, MissingSettingsFileIsNamed) {
    fs::remove(dir / "data/kagaku/タイム回数データ.txt");
    ExpectErrorNaming("タイム回数データ.txt");
}

TEST_F(ConfigurationTree, MissingSoundTableIsNamed) {
    fs::remove(dir / "data/音フォルダ/新音ファイル.txt");
    ExpectErrorNaming("新音ファイル.txt");
}

TEST_F(ConfigurationTree, MissingDataRootFolderIsReportedAgainstThePathFile) {
    WritePathFile(PathText(dir / "nowhere") + "/");
    ExpectErrorNaming("パスデータ.txt");
}

TEST_F(ConfigurationTree, EmptyDataRootIsRejected) {
    WritePathFile("");
    ExpectErrorNaming("パスデータ.txt");
}

TEST_F(ConfigurationTree, PathFileWithTooFewFieldsIsNamed) {
    dir.WriteCp932("parent/パスデータ.txt", PathText(dir / "data") + "/,a,b\n");
    ExpectErrorNaming("パスデータ.txt");
}

TEST_F(ConfigurationTree, CommonFileWithTooFewFieldsIsNamed) {
    WriteCommon("4,12345ABC塾,0\n");
    ExpectErrorNaming("共通データ.txt");
}

TEST_F(ConfigurationTree, SettingsFileWithMoreThan36LinesIsNamed) {
    std::string s;
    for (int k = 0; k < 37; ++k)
        s += "1,2,3,4,5,6,7,8,9,,,\n";
    WriteSettings(s);
    ExpectErrorNaming("タイム回数データ.txt");
}

TEST_F(ConfigurationTree, UndecodableBytesAreReportedAgainstTheirFile) {
    dir.WriteBytes("data/共通データ.txt", "4,12345ABC\xA0,0,,,,,,,\r\n");
    ExpectErrorNaming("共通データ.txt");
}

TEST_F(ConfigurationTree, UndecodableSoundTableIsNamed) {
    dir.WriteBytes("data/音フォルダ/新音ファイル.txt", "\x82");
    ExpectErrorNaming("新音ファイル.txt");
}

// The bundled demo tree must start: the program folder is kagaku beside パスデータ.txt.
TEST(DemoTree, LoadsWithItsSchoolCodeAndTwelveLevels) {
    ProgramSetup state;
    ASSERT_NO_THROW(LoadConfiguration(PathFromText(KAGAKU_DEMO_DIR "/kagaku"), state));
    EXPECT_EQ(state.SchoolCode.ToText(), "12345");
    EXPECT_FALSE(state.SchoolName.empty());
    EXPECT_EQ(state.AppFolderName, "kagaku");
    EXPECT_EQ(state.Settings.LinesLoaded, 13);  // the heading line and 12 levels
    for (int level = 1; level <= 12; ++level) {
        EXPECT_GT(state.Settings.PointMultiplier[static_cast<std::size_t>(level)], 0.0) << level;
    }
    for (int key = 2; key <= 4; ++key) {
        EXPECT_FALSE(state.Sounds.Files[static_cast<std::size_t>(key)].empty()) << key;
    }
}

}  // namespace
}  // namespace kagaku
