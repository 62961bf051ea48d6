#include "board/level_menu.h"

#include <gtest/gtest.h>

#include "board/board_fixture.h"
#include "roster/sign_in.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::CatalogueState;
using testing::FakeClock;

// A pupil without runs sees dashes; the pass rule and the recent-window line read plainly.
TEST(LevelColumn, CaptionsOfACOlumn) {
    auto s = CatalogueState();
    s->signIn.PupilNumber = 4;
    s->setup.Settings.TargetTime[2] = 45;
    LevelColumnTexts c = LevelColumn(s->Board(), 2);
    EXPECT_EQ(c.StartButton, "ｽﾀｰﾄ(&2)");
    EXPECT_EQ(c.Today, "-----");
    EXPECT_EQ(c.AllTime, "------");
    EXPECT_EQ(c.PassRule, "目標=45秒 3回/100点(×1.5)");
    EXPECT_EQ(c.RecentWindow, "最近7日=0回 / 0点");
    EXPECT_FALSE(c.Practice);
    EXPECT_TRUE(LevelColumn(s->Board(), 1).Practice);

    s->standing.TodayRunCount.at(2, 4) = 2;
    s->standing.TodayPoints.at(2, 4) = 16;
    s->standing.RunCount.at(2, 4) = 9;
    s->standing.TotalPoints.at(2, 4) = 70;
    s->setup.Settings.ClearPoints[2] = 9999;
    c = LevelColumn(s->Board(), 2);
    EXPECT_EQ(c.Today, "2回/16点");
    EXPECT_EQ(c.AllTime, "9回/70点");
    EXPECT_EQ(c.PassRule, "目標=45秒 --------");
}

TEST(LevelMenu, PracticeLevelsGetSixHundredSeconds) {
    auto s = CatalogueState();
    ApplyPracticeTargets(s->setup);
    EXPECT_EQ(s->setup.Settings.TargetTime[1], 600);
    EXPECT_EQ(s->setup.Settings.MinimumTime[11], 600);
    EXPECT_EQ(s->setup.Settings.TargetTime[2], 60);
}

// Catches a scroll bar for four levels, a wrong maximum, and a stale scroll position.
TEST(LevelMenu, LayoutAndScrollPosition) {
    EXPECT_EQ(MenuLayoutFor(4).ColumnWidthTwips, 3648);
    EXPECT_FALSE(MenuLayoutFor(4).ScrollBarVisible);
    EXPECT_EQ(MenuLayoutFor(12).ColumnWidthTwips, 3456);
    EXPECT_EQ(MenuLayoutFor(12).ScrollMaximum, 9);
    auto s = CatalogueState();
    EXPECT_EQ(ActivationScrollPos(s->board, s->setup.LevelCount), 1);
    s->board.MenuScrollPos = Variant(9);
    EXPECT_EQ(ActivationScrollPos(s->board, s->setup.LevelCount), 9);
    s->board.MenuScrollPos = Variant(10);
    EXPECT_EQ(ActivationScrollPos(s->board, s->setup.LevelCount), 1);
    EXPECT_EQ(ScrollPosAfterChange(s->board, s->setup.LevelCount, 13), 1);
    EXPECT_EQ(ScrollPosAfterChange(s->board, s->setup.LevelCount, 5), 5);
    EXPECT_EQ(s->board.MenuScrollPos.ToDouble(), 5.0);
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
    s->setup.ProgramName = "化学式";
    s->signIn.PupilName = "先生" + std::string(16, ' ');
    s->signIn.PupilGradeLabel = "中２";
    s->setup.SchoolName = "本校";
    s->signIn.PupilNumber = 7;
    s->signIn.SignInSeconds = 86400 - 120;
    s->standing.TodayRunCount.at(2, 7) = 2;
    s->standing.TodayRunCount.at(35, 7) = 1;
    FakeClock clock({2010, 4, 6}, {0, 3, 0});
    const MenuHeader h = MenuHeaderTexts(s->Board(), clock);
    EXPECT_EQ(h.MinutesSinceSignIn, "起動後5分");
    EXPECT_EQ(h.TodayTotal, "本日総回数＝3回");
    EXPECT_EQ(h.GradeAndName, "中２ 先生");
    EXPECT_EQ(h.SchoolAndNumber, "本校:7");
    EXPECT_EQ(h.TitlePointSize, 24);
    EXPECT_TRUE(h.ShowDataButton);
}

// The sign-in keeps its moment rounded to the second while the menu reads the clock unrounded.
// Catches the first menu after a sign-in in the later half of a second reading "a day ago"
// (1439 minutes), and a lost wrap for a sign-in of the evening before.
TEST(LevelMenu, MinutesSinceSignInAcrossRoundingAndMidnight) {
    const struct {
        const char* what;
        double signInAt;  // seconds since midnight, 15 March
        double later;     // seconds from the sign-in to the menu
        const char* minutes;
    } cases[] = {
        {"at once, .4 past a second", 36000.4, 0, "起動後0分"},
        {"at once, .6 past a second", 36000.6, 0, "起動後0分"},
        {"0.3 s later, .6 past a second", 36000.6, 0.3, "起動後0分"},
        {"59 s later", 36000.6, 59, "起動後0分"},
        {"59.9 s later", 36000.6, 59.9, "起動後0分"},
        {"61 s later", 36000.6, 61, "起動後1分"},
        {"just before midnight, at once", 86399.6, 0, "起動後0分"},
        {"just before midnight, after midnight", 86399.6, 0.5, "起動後0分"},
        {"across midnight, two minutes", 86340.6, 121, "起動後2分"},
        {"the evening before", 79200, 3 * 3600 + 30, "起動後180分"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = CatalogueState();
        s->roster.RosterName[7] = "山田" + std::string(16, ' ');
        FakeClock clock;
        clock.SetNow(ToOleDate({2011, 3, 15}) + c.signInAt / 86400.0);
        ASSERT_EQ(ConfirmSignIn(s->signIn, s->roster, std::int16_t{7}, clock), SignInResult::SignedIn);
        clock.AdvanceSeconds(c.later);
        EXPECT_EQ(MenuHeaderTexts(s->Board(), clock).MinutesSinceSignIn, c.minutes);
    }
}

}  // namespace
}  // namespace kagaku
