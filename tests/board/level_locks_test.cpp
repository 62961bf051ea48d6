#include "board/level_locks.h"

#include <gtest/gtest.h>

#include <vector>

#include "board/board_fixture.h"

namespace kagaku {
namespace {

using testing::CatalogueState;
using testing::Clear;

std::vector<int> Enabled(const LevelLocks& locks, int levelCount) {
    std::vector<int> out;
    for (int i = 1; i <= levelCount; ++i) {
        if (locks.StartEnabled[static_cast<std::size_t>(i)]) {
            out.push_back(i);
        }
    }
    return out;
}

// A pupil without runs: level 1, every practice level, and level 2 because level 1 is a
// practice level with no uncleared level before it; the chain stops at level 2.
TEST(LevelLocks, PupilWithoutRuns) {
    auto s = CatalogueState();
    s->signIn.PupilNumber = 5;
    const LevelLocks locks = ApplyLevelLocks(s->Board(), s->board);
    EXPECT_EQ(Enabled(locks, 12), (std::vector<int>{1, 2, 3, 5, 7, 9, 11}));
    EXPECT_FALSE(locks.GoalCleared);
    EXPECT_EQ(s->board.GoalCleared.ToDouble(), 0.0);
}

// Catches the chain not stopping at the first real level when level 1 is not a practice level.
TEST(LevelLocks, ChainOfRealLevels) {
    auto s = CatalogueState();
    for (int i = 1; i <= 12; ++i) {
        s->setup.LevelNames[static_cast<std::size_t>(i)] = "ﾚﾍﾞﾙ" + std::to_string(i);
    }
    s->signIn.PupilNumber = 5;
    EXPECT_EQ(Enabled(ComputeLevelLocks(s->Board()), 12), (std::vector<int>{1}));
    Clear(*s, 1, 5);
    Clear(*s, 2, 5);
    EXPECT_EQ(Enabled(ComputeLevelLocks(s->Board()), 12), (std::vector<int>{1, 2, 3}));
    // A free level opens whatever came before it.
    s->setup.Settings.ClearPoints[6] = kFreeLevelPoints;
    EXPECT_EQ(Enabled(ComputeLevelLocks(s->Board()), 12), (std::vector<int>{1, 2, 3, 6}));
}

// Catches a ban on an uncleared level, a ban while the goal is cleared, a ban with both limits
// 0, and a ban on the last level.
TEST(LevelLocks, TooMuchPracticeOnACleredLevel) {
    auto s = CatalogueState();
    s->signIn.PupilNumber = 5;
    Clear(*s, 2, 5);
    s->setup.Settings.BanCount[2] = Variant(10);
    s->standing.BanWindowRunCount.at(2, 5) = 10;
    LevelLocks locks = ApplyLevelLocks(s->Board(), s->board);
    EXPECT_FALSE(locks.StartEnabled[2]);
    EXPECT_TRUE(locks.TooMuchPractice[2]);
    EXPECT_TRUE(locks.StartEnabled[3]);
    EXPECT_TRUE(locks.StartEnabled[4]);

    s->setup.Settings.BanCount[2] = Variant(0);
    s->setup.Settings.BanPoints[2] = Variant();
    locks = ComputeLevelLocks(s->Board());
    EXPECT_TRUE(locks.StartEnabled[2]);
    EXPECT_FALSE(locks.TooMuchPractice[2]);

    s->setup.Settings.BanPoints[2] = Variant(50);
    s->standing.BanWindowPoints.at(2, 5) = 50;
    EXPECT_TRUE(ComputeLevelLocks(s->Board()).TooMuchPractice[2]);
    Clear(*s, 6, 5);
    locks = ApplyLevelLocks(s->Board(), s->board);
    EXPECT_TRUE(locks.GoalCleared);
    EXPECT_EQ(s->board.GoalCleared.ToDouble(), 1.0);
    EXPECT_FALSE(locks.TooMuchPractice[2]);
    EXPECT_TRUE(locks.StartEnabled[2]);

    Clear(*s, 12, 5);
    s->setup.Settings.BanCount[12] = Variant(1);
    s->standing.BanWindowRunCount.at(12, 5) = 5;
    s->standing.PassWindowPoints.at(6, 5) = 0;
    EXPECT_FALSE(ComputeLevelLocks(s->Board()).TooMuchPractice[12]);
}

// The teacher has every level open and still sees a ban earned by the teacher's own runs.
TEST(LevelLocks, Teacher) {
    auto s = CatalogueState();
    s->signIn.PupilNumber = 1;
    s->signIn.PupilName = "先生" + std::string(16, ' ');
    EXPECT_EQ(Enabled(ComputeLevelLocks(s->Board()), 12).size(), 12u);
    s->setup.Settings.BanCount[4] = Variant(2);
    s->standing.BanWindowRunCount.at(4, 1) = 2;
    const LevelLocks locks = ComputeLevelLocks(s->Board());
    EXPECT_FALSE(locks.StartEnabled[4]);
    EXPECT_TRUE(locks.TooMuchPractice[4]);
    EXPECT_TRUE(locks.StartEnabled[5]);
}

}  // namespace
}  // namespace kagaku
