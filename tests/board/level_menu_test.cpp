#include "board/level_menu.h"

#include <gtest/gtest.h>

#include "board/board_fixture.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::CatalogueState;
using testing::FakeClock;

// A pupil without runs sees dashes; the pass rule and the recent-window line read plainly.
TEST(LevelColumn, CaptionsOfACOlumn) {
    auto s = CatalogueState();
    s->PupilNumber = 4;
    s->Settings.TargetTime[2] = 45;
    LevelColumnTexts c = LevelColumn(*s, 2);
    EXPECT_EQ(c.StartButton, "ｽﾀｰﾄ(&2)");
    EXPECT_EQ(c.Today, "-----");
    EXPECT_EQ(c.AllTime, "------");
    EXPECT_EQ(c.PassRule, "目標=45秒 3回/100点(×1.5)");
    EXPECT_EQ(c.RecentWindow, "最近7日=0回 / 0点");
    EXPECT_FALSE(c.Practice);
    EXPECT_TRUE(LevelColumn(*s, 1).Practice);

    s->Aggregates.TodayRunCount.at(2, 4) = 2;
    s->Aggregates.TodayPoints.at(2, 4) = 16;
    s->Aggregates.RunCount.at(2, 4) = 9;
    s->Aggregates.TotalPoints.at(2, 4) = 70;
    s->Settings.ClearPoints[2] = 9999;
    c = LevelColumn(*s, 2);
    EXPECT_EQ(c.Today, "2回/16点");
    EXPECT_EQ(c.AllTime, "9回/70点");
    EXPECT_EQ(c.PassRule, "目標=45秒 --------");
}

TEST(LevelMenu, PracticeLevelsGetSixHundredSeconds) {
    auto s = CatalogueState();
    ApplyPracticeTargets(*s);
    EXPECT_EQ(s->Settings.TargetTime[1], 600);
    EXPECT_EQ(s->Settings.MinimumTime[11], 600);
    EXPECT_EQ(s->Settings.TargetTime[2], 60);
}

// Catches a scroll bar for four levels, a wrong maximum, and a stale scroll position.
TEST(LevelMenu, LayoutAndScrollPosition) {
    EXPECT_EQ(MenuLayoutFor(4).ColumnWidthTwips, 3648);
    EXPECT_FALSE(MenuLayoutFor(4).ScrollBarVisible);
    EXPECT_EQ(MenuLayoutFor(12).ColumnWidthTwips, 3456);
    EXPECT_EQ(MenuLayoutFor(12).ScrollMaximum, 9);
    auto s = CatalogueState();
    EXPECT_EQ(ActivationScrollPos(*s), 1);
    s->MenuScrollPos = Variant(9);
    EXPECT_EQ(ActivationScrollPos(*s), 9);
    s->MenuScrollPos = Variant(10);
    EXPECT_EQ(ActivationScrollPos(*s), 1);
    EXPECT_EQ(ScrollPosAfterChange(*s, 13), 1);
    EXPECT_EQ(ScrollPosAfterChange(*s, 5), 5);
    EXPECT_EQ(s->MenuScrollPos.ToDouble(), 5.0);
    EXPECT_FALSE(ColumnLeft(4, 5, 200, 3456).has_value());
    EXPECT_EQ(ColumnLeft(6, 5, 200, 3456), 3656);
}

TEST(LevelMenu, Keys) {
    using K = MenuKeyAction::Kind;
    EXPECT_EQ(MenuKeyFor(U'2', 12, true, true).Level, 2);
    EXPECT_EQ(MenuKeyFor(U'c', 12, true, true).Level, 12);
    EXPECT_EQ(MenuKeyFor(U'b', 10, true, true).What, K::None);
    EXPECT_EQ(MenuKeyFor(U'B', 12, true, true).What, K::None);
    EXPECT_EQ(MenuKeyFor(U'2', 12, false, true).What, K::None);
    EXPECT_EQ(MenuKeyFor(U'0', 12, true, true).What, K::Back);
    EXPECT_EQ(MenuKeyFor(U'0', 12, true, false).What, K::None);
}

// Catches negative minutes after midnight.
TEST(LevelMenu, HeaderCaptions) {
    auto s = CatalogueState();
    s->ProgramName = "化学式";
    s->PupilName = "先生" + std::string(16, ' ');
    s->PupilGradeLabel = "中２";
    s->SchoolName = "本校";
    s->PupilNumber = 7;
    s->SignInSeconds = 86400 - 120;
    s->Aggregates.TodayRunCount.at(2, 7) = 2;
    s->Aggregates.TodayRunCount.at(35, 7) = 1;
    FakeClock clock({2010, 4, 6}, {0, 3, 0});
    const MenuHeader h = MenuHeaderTexts(*s, clock);
    EXPECT_EQ(h.MinutesSinceSignIn, "起動後5分");
    EXPECT_EQ(h.TodayTotal, "本日総回数＝3回");
    EXPECT_EQ(h.GradeAndName, "中２ 先生");
    EXPECT_EQ(h.SchoolAndNumber, "本校:7");
    EXPECT_EQ(h.TitlePointSize, 24);
    EXPECT_TRUE(h.ShowDataButton);
}

// The sign-in time is rounded: a menu shown within the same second of a sign-in rounded up
// read 起動後1439分.
TEST(LevelMenu, MinutesSinceSignInAroundTheRoundedSecond) {
    struct Case {
        double secondsAfterTen;  // when the menu is shown, 10:00:00 plus this
        const char* expected;
    };
    const Case cases[] = {{0.8, "起動後0分"}, {1.0, "起動後0分"}, {61.0, "起動後1分"}};
    for (const Case& c : cases) {
        auto s = CatalogueState();
        s->SignInSeconds = 10 * 3600 + 1;  // signed in at 10:00:00.6
        FakeClock clock({2010, 4, 6}, {10, 0, 0});
        clock.AdvanceSeconds(c.secondsAfterTen);
        EXPECT_EQ(MenuHeaderTexts(*s, clock).MinutesSinceSignIn, c.expected) << c.secondsAfterTen;
    }
}

}  // namespace
}  // namespace kagaku
