#include "admin/new_school.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/paths.h"
#include "records/score_record_file.h"
#include "roster/roster_file.h"
#include "state/configuration.h"
#include "state/data_root_setting.h"
#include "support/state_parts.h"
#include "support/test_support.h"

namespace kagaku::admin {
namespace {

namespace fs = std::filesystem;

fs::path Demo(const char* relative) {
    return fs::u8path(KAGAKU_DEMO_DIR) / fs::u8path(relative);
}

// The names under a folder, recursively, with each file's bytes.
std::set<std::pair<std::string, std::string>> Contents(const fs::path& folder) {
    std::set<std::pair<std::string, std::string>> all;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        all.emplace(PathText(fs::relative(e.path(), folder)),
                    e.is_regular_file() ? testing::ReadBytes(e.path()) : "");
    return all;
}

// A new tree is one the program starts on: its own readers take every file back.
TEST(NewSchool, TreeIsReadByTheProgramsOwnReaders) {
    testing::TempDir dir;
    const fs::path root = dir / "share/学校データ";
    CreateSchoolTree(root, "kagaku", {"みどり塾", "12345"});
    fs::create_directories(dir / "opt/kagaku");
    SetDataRoot(PathFileFor(dir / "opt/kagaku"), PathText(root));

    StateParts state;
    LoadConfiguration(dir / "opt/kagaku", state.setup);
    EXPECT_EQ(state.setup.SchoolCode.ToText(), "12345");
    EXPECT_EQ(state.setup.SchoolName, "みどり塾");
    EXPECT_EQ(state.setup.SchoolYearStartMonth.ToInteger(), 4);
    EXPECT_EQ(state.setup.RosterHideOption.ToInteger(), 0);
    EXPECT_EQ(state.setup.Settings.LinesLoaded, 13);
    EXPECT_EQ(state.setup.Settings.TargetTime[2], 60);
    EXPECT_EQ(state.setup.Settings.ClearPoints[1], 9999);

    // Every sound the table names, and the two fixed ones, is there.
    for (int k = 1; k <= kSoundKeys; ++k) {
        EXPECT_FALSE(state.setup.Sounds.Files[static_cast<std::size_t>(k)].empty()) << k;
        for (const std::string& f : state.setup.Sounds.Files[static_cast<std::size_t>(k)])
            EXPECT_TRUE(fs::is_regular_file(InFolder(state.setup.SoundFolder, f + ".wav"))) << f;
    }
    EXPECT_TRUE(fs::is_regular_file(InFolder(state.setup.SoundFolder, "最高1.wav")));
    EXPECT_TRUE(fs::is_regular_file(InFolder(state.setup.SoundFolder, "合格.wav")));

    RosterTables tables;
    tables.SchoolYear = 2026;
    int listed = 0;
    RunRosterPass(RosterFilePath(state.setup.DataRoot), state.setup.RosterHideOption, tables,
                  [&](const RosterRecord& r, int, int) {
                      ++listed;
                      EXPECT_EQ(r.Name, FitRosterText("先生"));
                  });
    EXPECT_EQ(listed, 1);

    const fs::path scores = ScoreRecordPath(state.setup.ProgramDataFolder);
    ASSERT_TRUE(fs::is_regular_file(scores));
    EXPECT_EQ(fs::file_size(scores), 0u);

    // Text files in code page 932 with CR LF only; the defaults are the demo's own.
    for (const char* text : {"共通データ.txt", "新名簿.txt", "音フォルダ/新音ファイル.txt",
                             "kagaku/タイム回数データ.txt"}) {
        const std::string bytes = testing::ReadBytes(root / fs::u8path(text));
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << text << " has a bare LF";
            }
        }
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << text;
    }
    for (const char* same : {"音フォルダ/新音ファイル.txt", "kagaku/タイム回数データ.txt"}) {
        EXPECT_EQ(testing::ReadBytes(root / fs::u8path(same)),
                  testing::ReadBytes(Demo((std::string("学校データ/") + same).c_str())))
            << same;
    }
}

struct RefusalCase {
    const char* name;
    const char* existing;  // a file or folder already in the target, "" for the target a file
};

class NewSchoolRefusal : public ::testing::TestWithParam<RefusalCase> {};

// Any part of a tree already there refuses the whole call, and nothing in the folder changes.
TEST_P(NewSchoolRefusal, LeavesTheFolderAsItWas) {
    testing::TempDir dir;
    const std::string existing = GetParam().existing;
    fs::path target = dir / "tree";
    if (existing.empty()) {
        dir.WriteBytes("tree", "a file");
    } else if (existing.back() == '/') {
        fs::create_directories(target / fs::u8path(existing));
        dir.WriteBytes("tree/" + existing + "keep.txt", "kept");
    } else {
        dir.WriteBytes("tree/" + existing, "kept");
    }
    const auto before = Contents(dir.path());
    EXPECT_THROW(CreateSchoolTree(target, "kagaku", {"みどり塾", "12345"}), NewSchoolRefused);
    EXPECT_EQ(Contents(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Parts, NewSchoolRefusal,
                         ::testing::Values(RefusalCase{"CommonFile", "共通データ.txt"},
                                           RefusalCase{"Roster", "新名簿.txt"},
                                           RefusalCase{"SoundFolder", "音フォルダ/"},
                                           RefusalCase{"DataFolder", "kagaku/"},
                                           RefusalCase{"TargetIsAFile", ""}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

struct SchoolCase {
    const char* name;
    const char* code;
    bool accepted;
    const char* catches;
};

// Only a name and code that 共通データ.txt gives back unchanged are written.
TEST(NewSchool, CommonFileGivesBackTheNameAndCodeOrRefuses) {
    const SchoolCase cases[] = {
        {"みどり塾", "12345", true, "the ordinary case"},
        {"みどり塾", "", true, "a school without a code"},
        {"塾,本校", "00123", true, "a comma in the name (quoted)"},
        {"みどり塾　", "12345", true, "a full-width space at the end is kept"},
        {"", "12345", false, "an empty name"},
        {"み\"どり", "12345", false, "a quote cannot be carried by a quoted field"},
        {"みどり\n塾", "12345", false, "a line end would split the field"},
        {"みどり塾", "1234", false, "a code of four digits"},
        {"みどり塾", "1234a", false, "a code with a letter"},
        {"みどり塾", "00000", false, "code 00000 reads as no code"},
        {"123塾", "", false, "without a code a leading number is taken for a code"},
    };
    for (const SchoolCase& c : cases) {
        SCOPED_TRACE(c.catches);
        if (!c.accepted) {
            EXPECT_THROW(CommonFileText({c.name, c.code}), NewSchoolRefused);
            continue;
        }
        FieldReader reader(CommonFileText({c.name, c.code}), "共通データ.txt");
        EXPECT_EQ(reader.Next(), "4");
        Variant code;
        std::string name;
        SplitSchoolField(reader.Next(), code, name);
        EXPECT_EQ(code.ToText(), c.code);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(reader.Next(8).size(), 8u);
        EXPECT_TRUE(reader.AtEnd());
    }
}

// A name the code page cannot hold fails before anything is written.
TEST(NewSchool, NameOutsideTheCodePageWritesNothing) {
    testing::TempDir dir;
    EXPECT_THROW(CreateSchoolTree(dir / "tree", "kagaku", {"みどり塾😀", "12345"}), DataFileError);
    EXPECT_FALSE(fs::exists(dir / "tree"));
}

}  // namespace
}  // namespace kagaku::admin
