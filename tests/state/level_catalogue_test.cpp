#include "state/level_catalogue.h"

#include <gtest/gtest.h>

namespace kagaku {
namespace {

TEST(LevelCatalogue, OffersTwelveLevelsAndDefinesAThirteenthTimedOne) {
    ProgramSetup state;
    BuildLevelCatalogue(state);
    EXPECT_EQ(state.LevelCount, 12);
    EXPECT_EQ(state.GoalLevel.ToInteger(), 6);
    EXPECT_EQ(state.LevelNames[1], "元素練習");
    EXPECT_EQ(state.LevelNames[12], "イオン式など２");
    EXPECT_EQ(state.LevelNames[13], "全体－２");
    EXPECT_EQ(state.LevelTimed[13], 1);
    // Entries outside 1..13 are not levels of the catalogue.
    EXPECT_EQ(state.LevelTimed[0], 0);
    EXPECT_TRUE(state.LevelNames[0].empty());
    for (std::size_t level = 14; level < state.LevelTimed.size(); ++level) {
        EXPECT_EQ(state.LevelTimed[level], 0) << level;
        EXPECT_TRUE(state.LevelNames[level].empty()) << level;
    }
}

// The odd levels of the catalogue are its practice levels (untimed, never recorded), the even
// ones its timed drills.
TEST(LevelCatalogue, OddOfferedLevelsArePracticeLevels) {
    ProgramSetup state;
    BuildLevelCatalogue(state);
    for (int level = 1; level <= state.LevelCount; ++level) {
        EXPECT_EQ(IsPracticeLevel(state.LevelNames[static_cast<std::size_t>(level)]),
                  level % 2 != 0)
            << level;
    }
    EXPECT_EQ(ProblemCategoryOfLevel(1), 1);
    EXPECT_EQ(ProblemCategoryOfLevel(2), 1);
    EXPECT_EQ(ProblemCategoryOfLevel(12), 6);
    EXPECT_EQ(ProblemCategoryOfLevel(13), 7);
}

// An empty name on an offered level gets ﾚﾍﾞﾙ and its number (no blank); past level 12 nothing
// is filled in.
TEST(LevelCatalogue, EmptyNamesOfOfferedLevelsAreFilledIn) {
    ProgramSetup state;
    state.LevelNames[1] = "元素練習";
    state.LevelNames[12] = "x";
    FillEmptyLevelNames(state);
    EXPECT_EQ(state.LevelNames[1], "元素練習");
    EXPECT_EQ(state.LevelNames[3], "ﾚﾍﾞﾙ3");
    EXPECT_EQ(state.LevelNames[11], "ﾚﾍﾞﾙ11");
    EXPECT_EQ(state.LevelNames[12], "x");
    EXPECT_TRUE(state.LevelNames[13].empty());
    EXPECT_TRUE(state.LevelNames[0].empty());
}

TEST(LevelCatalogue, ProgramName) {
    ProgramSetup state;
    SetProgramName(state);
    EXPECT_EQ(state.ProgramName, "化学式");
}

}  // namespace
}  // namespace kagaku
