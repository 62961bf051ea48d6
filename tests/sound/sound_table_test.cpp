#include "sound/sound_table.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using Names = std::vector<std::string>;

class SoundTableFile : public ::testing::Test {
protected:
    SoundTable Load(const std::string& utf8) const {
        return LoadSoundTable(dir.WriteCp932("新音ファイル.txt", utf8));
    }
    testing::TempDir dir;
};

TEST_F(SoundTableFile, KeysInAnyOrderAndMissingKeys) {
    SoundTable t = Load(
        "不合格音1,fugoukaku1,*\n"
        "正解音2,seikai2,seikai3,seikai4,*\n"
        "間違い音1\n machigai1 ,*\n");
    EXPECT_EQ(t.KeyNames[1], "正解音1");
    EXPECT_EQ(t.KeyNames[10], "不合格音1");
    EXPECT_EQ(t.Files[10], (Names{"fugoukaku1"}));
    EXPECT_EQ(t.Counts[10], 1);
    EXPECT_EQ(t.Files[2], (Names{"seikai2", "seikai3", "seikai4"}));
    EXPECT_EQ(t.Counts[2], 3);
    // The list runs over line ends; blanks around names are dropped.
    EXPECT_EQ(t.Files[3], (Names{"machigai1"}));
    // A key the file does not mention has no files and a count of 0.
    EXPECT_TRUE(t.Files[4].empty());
    EXPECT_EQ(t.Counts[4], 0);
    EXPECT_TRUE(t.Files[8].empty());
}

TEST_F(SoundTableFile, FieldsThatAreNoKeyAreSkipped) {
    SoundTable t = Load("メモ,古い音,*\n正解音2,a,*\n");
    // "古い音" and "*" stand where a key is expected and are skipped.
    EXPECT_EQ(t.Files[2], (Names{"a"}));
    EXPECT_EQ(t.Counts[2], 1);
    for (std::size_t k = 1; k <= kSoundKeys; ++k) {
        if (k != 2) {
            EXPECT_TRUE(t.Files[k].empty()) << k;
        }
    }
}

TEST_F(SoundTableFile, EmptyListHasCountZero) {
    SoundTable t = Load("正解音2,*\n");
    EXPECT_TRUE(t.Files[2].empty());
    EXPECT_EQ(t.Counts[2], 0);
}

// Twenty names without "*" fill the list, leave the count unset, and what follows is read as
// keys again.
TEST_F(SoundTableFile, TwentyNamesWithoutStarLeaveTheCountUnset) {
    std::string s = "正解音2";
    Names twenty;
    for (int i = 1; i <= 20; ++i) {
        twenty.push_back("s" + std::to_string(i));
        s += ",s" + std::to_string(i);
    }
    s += ",extra,間違い音1,m1,*\n";
    SoundTable t = Load(s);
    EXPECT_EQ(t.Files[2], twenty);
    EXPECT_EQ(t.Counts[2], -1);
    EXPECT_EQ(t.Files[3], (Names{"m1"}));
    EXPECT_EQ(t.Counts[3], 1);
}

TEST_F(SoundTableFile, TwentyNamesClosedByStarAreAllKept) {
    std::string s = "正解音2";
    for (int i = 1; i <= 20; ++i)
        s += ",s" + std::to_string(i);
    SoundTable t = Load(s + ",*\n");
    EXPECT_EQ(t.Files[2].size(), 20u);
    EXPECT_EQ(t.Counts[2], 20);
}

TEST_F(SoundTableFile, ListNotClosedAtEndOfFileIsNamed) {
    try {
        Load("正解音2,seikai2,seikai3\n");
        FAIL() << "an unclosed list was accepted";
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("新音ファイル.txt"), std::string::npos);
        EXPECT_NE(e.problem().find("正解音2"), std::string::npos) << e.problem();
    }
}

TEST_F(SoundTableFile, MissingFileIsNamed) {
    try {
        LoadSoundTable(dir / "新音ファイル.txt");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("新音ファイル.txt"), std::string::npos);
    }
}

}  // namespace
}  // namespace kagaku
