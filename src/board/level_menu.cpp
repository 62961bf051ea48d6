#include "board/level_menu.h"

#include <algorithm>

#include "board/level_locks.h"
#include "common/text_ops.h"
#include "state/shared_state.h"

namespace kagaku {

namespace {

std::string Plain(long long n) {
    return text::NumberText(n);
}
std::string Plain(int n) {
    return text::NumberText(static_cast<long long>(n));
}
std::string Plain(long n) {
    return text::NumberText(static_cast<long long>(n));
}

int CatalogueLevels(const SharedState& state) {
    return std::clamp<int>(state.LevelCount, 0, kMaxLevel);
}

}  // namespace

std::string RecentWindowLine(const SharedState& state, int level) {
    const auto i = static_cast<std::size_t>(level);
    const int p = state.PupilNumber;
    return "最近" + state.Settings.PassWindowDays[i].ToText() +
           "日=" + Plain(state.Aggregates.PassWindowRunCount.at(level, p)) + "回 / " +
           Plain(state.Aggregates.PassWindowPoints.at(level, p)) + "点";
}

std::string PassRuleLine(const SharedState& state, int level) {
    const auto i = static_cast<std::size_t>(level);
    const LevelSettings& s = state.Settings;
    if (s.ClearPoints[i] == kFreeLevelPoints) {
        return "目標=" + Plain(s.TargetTime[i]) + "秒" + " --------";
    }
    return "目標=" + Plain(s.TargetTime[i]) + "秒 " + Plain(s.ClearCount[i]) + "回/" +
           Plain(s.ClearPoints[i]) + "点(×" + text::NumberText(s.PointMultiplier[i]) + ")";
}

LevelColumnTexts LevelColumn(const SharedState& state, int level) {
    const auto i = static_cast<std::size_t>(level);
    const int p = state.PupilNumber;
    const ScoreAggregates& a = state.Aggregates;
    LevelColumnTexts c;
    c.Number = Plain(level);
    c.Name = state.LevelNames[i];
    c.StartButton = "ｽﾀｰﾄ(&" + Plain(level) + ")";
    c.RecentWindow = RecentWindowLine(state, level);
    c.PassRule = PassRuleLine(state, level);
    c.Today = a.TodayRunCount.at(level, p) != 0 ? Plain(a.TodayRunCount.at(level, p)) + "回/" +
                                                      Plain(a.TodayPoints.at(level, p)) + "点"
                                                : "-----";
    c.AllTime = a.RunCount.at(level, p) != 0 ? Plain(a.RunCount.at(level, p)) + "回/" +
                                                   Plain(a.TotalPoints.at(level, p)) + "点"
                                             : "------";
    c.Practice = IsPracticeLevel(state.LevelNames[i]);
    return c;
}

void ApplyPracticeTargets(SharedState& state) {
    for (int level = 1; level <= CatalogueLevels(state); ++level) {
        const auto i = static_cast<std::size_t>(level);
        if (IsPracticeLevel(state.LevelNames[i])) {
            state.Settings.TargetTime[i] = kPracticeTargetSeconds;
            state.Settings.MinimumTime[i] = kPracticeTargetSeconds;
        }
    }
}

MenuHeader MenuHeaderTexts(const SharedState& state, const Clock& clock) {
    MenuHeader h;
    h.Title = state.ProgramName;
    h.TitlePointSize = text::Length(state.ProgramName) > 9 ? 20 : 24;
    h.GradeAndName = state.PupilGradeLabel + " " + text::Trim(state.PupilName);
    h.SchoolAndNumber = state.SchoolName + ":" + Plain(state.PupilNumber);

    // A sign-in before midnight is still counted from the evening before, never negative. The
    // sign-in time is rounded to the second, so up to half a second before it is still now,
    // not almost a day ago.
    double since = clock.SecondsSinceMidnight() - state.SignInSeconds;
    if (since < -1.0) {
        since += 86400.0;
    } else if (since < 0) {
        since = 0;
    }
    // The clock's seconds come from a day fraction; a whole second may read a hair below.
    h.MinutesSinceSignIn = "起動後" + Plain(text::Int(since + 1e-6) / 60) + "分";

    long long today = 0;
    for (int level = 1; level <= kMaxLevel; ++level) {
        today += state.Aggregates.TodayRunCount.at(level, state.PupilNumber);
    }
    h.TodayTotal = "本日総回数＝" + Plain(today) + "回";
    h.ShowDataButton = IsTeacher(state.PupilName);
    h.ShowPrintButton = text::Contains(state.PupilName, "先生");
    return h;
}

MenuLayout MenuLayoutFor(int levelCount) {
    MenuLayout layout;
    if (levelCount < 5) {
        layout.ColumnWidthTwips = 14592 / std::max(levelCount, 1);
        layout.ScrollBarVisible = false;
        layout.ScrollMaximum = 1;
    } else {
        layout.ColumnWidthTwips = 3456;
        layout.ScrollBarVisible = true;
        layout.ScrollMaximum = levelCount - 3;
    }
    return layout;
}

int ActivationScrollPos(SharedState& state) {
    const MenuLayout layout = MenuLayoutFor(state.LevelCount);
    const double stored = state.MenuScrollPos.ToDouble();
    int pos = 1;
    if (layout.ScrollBarVisible && stored >= 1 && stored <= layout.ScrollMaximum) {
        pos = static_cast<int>(text::RoundHalfEven(stored));
    }
    state.MenuScrollPos = Variant(pos);
    return pos;
}

int ScrollPosAfterChange(SharedState& state, int value) {
    const int pos = (value > state.LevelCount || value < 1) ? 1 : value;
    state.MenuScrollPos = Variant(pos);
    return pos;
}

std::optional<int> ColumnLeft(int level, int pos, int marginTwips, int columnWidthTwips) {
    const int left = marginTwips + (level - pos) * columnWidthTwips;
    if (left < 0) {
        return std::nullopt;
    }
    return left;
}

MenuKeyAction MenuKeyFor(char32_t key, int levelCount, bool keysReady, bool backEnabled) {
    MenuKeyAction action;
    if (!keysReady) {
        return action;
    }
    int level = 0;
    if (key >= U'1' && key <= U'9') {
        level = static_cast<int>(key - U'0');
    } else if (key >= U'a' && key <= U'd') {
        level = 10 + static_cast<int>(key - U'a');
    } else if (key == U'0') {
        if (backEnabled) {
            action.What = MenuKeyAction::Kind::Back;
        }
        return action;
    }
    if (level >= 1 && level <= levelCount) {
        action.What = MenuKeyAction::Kind::StartLevel;
        action.Level = level;
    }
    return action;
}

}  // namespace kagaku
