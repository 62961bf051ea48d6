#include "board/level_menu.h"

#include <algorithm>

#include "board/level_locks.h"
#include "common/text_ops.h"

namespace kagaku {

namespace {

std::string Plain(long long n) {
    return text::NumberText(n);
}
std::string Plain(int n) {
    return text::NumberText(static_cast<long long>(n));
}
// std::int64_t is a long on Linux; on Windows, where it is a long long, nothing calls this.
[[maybe_unused]] std::string Plain(long n) {
    return text::NumberText(static_cast<long long>(n));
}

constexpr double kSecondsPerDay = 86400.0;
// More than the half second by which a rounded sign-in moment can lie ahead of the true one.
constexpr double kSignInRoundingSlack = 1.0;

int CatalogueLevels(const ProgramSetup& setup) {
    return std::clamp<int>(setup.LevelCount, 0, kMaxLevel);
}

}  // namespace

std::string RecentWindowLine(const BoardData& data, int level) {
    const auto i = static_cast<std::size_t>(level);
    const int p = data.SignIn.PupilNumber;
    return "最近" + data.Setup.Settings.PassWindowDays[i].ToText() +
           "日=" + Plain(data.Standing.PassWindowRunCount.at(level, p)) + "回 / " +
           Plain(data.Standing.PassWindowPoints.at(level, p)) + "点";
}

std::string PassRuleLine(const LevelSettings& settings, int level) {
    const auto i = static_cast<std::size_t>(level);
    const LevelSettings& s = settings;
    if (s.ClearPoints[i] == kFreeLevelPoints) {
        return "目標=" + Plain(s.TargetTime[i]) + "秒" + " --------";
    }
    return "目標=" + Plain(s.TargetTime[i]) + "秒 " + Plain(s.ClearCount[i]) + "回/" +
           Plain(s.ClearPoints[i]) + "点(×" + text::NumberText(s.PointMultiplier[i]) + ")";
}

LevelColumnTexts LevelColumn(const BoardData& data, int level) {
    const auto i = static_cast<std::size_t>(level);
    const int p = data.SignIn.PupilNumber;
    const ScoreAggregates& a = data.Standing;
    LevelColumnTexts c;
    c.Number = Plain(level);
    c.Name = data.Setup.LevelNames[i];
    c.StartButton = "ｽﾀｰﾄ(&" + Plain(level) + ")";
    c.RecentWindow = RecentWindowLine(data, level);
    c.PassRule = PassRuleLine(data.Setup.Settings, level);
    c.Today = a.TodayRunCount.at(level, p) != 0 ? Plain(a.TodayRunCount.at(level, p)) + "回/" +
                                                      Plain(a.TodayPoints.at(level, p)) + "点"
                                                : "-----";
    c.AllTime = a.RunCount.at(level, p) != 0 ? Plain(a.RunCount.at(level, p)) + "回/" +
                                                   Plain(a.TotalPoints.at(level, p)) + "点"
                                             : "------";
    c.Practice = IsPracticeLevel(data.Setup.LevelNames[i]);
    return c;
}

void ApplyPracticeTargets(ProgramSetup& setup) {
    for (int level = 1; level <= CatalogueLevels(setup); ++level) {
        const auto i = static_cast<std::size_t>(level);
        if (IsPracticeLevel(setup.LevelNames[i])) {
            setup.Settings.TargetTime[i] = kPracticeTargetSeconds;
            setup.Settings.MinimumTime[i] = kPracticeTargetSeconds;
        }
    }
}

int MinutesSinceSignIn(double secondsNow, std::int32_t signInSeconds) {
    double since = secondsNow - signInSeconds;
    if (since < 0) {
        // The sign-in moment was kept rounded to the nearest second, so just after it the
        // present may read up to half a second earlier: that is no time at all. Anything
        // further back is a sign-in of the evening before, counted across midnight.
        since = since > -kSignInRoundingSlack ? 0.0 : since + kSecondsPerDay;
    }
    // The clock's seconds come from a day fraction; a whole second may read a hair below.
    return static_cast<int>(text::Int(since + 1e-6) / 60);
}

MenuHeader MenuHeaderTexts(const BoardData& data, const Clock& clock) {
    MenuHeader h;
    h.Title = data.Setup.ProgramName;
    h.TitlePointSize = text::Length(data.Setup.ProgramName) > 9 ? 20 : 24;
    h.GradeAndName = data.SignIn.PupilGradeLabel + " " + text::Trim(data.SignIn.PupilName);
    h.SchoolAndNumber = data.Setup.SchoolName + ":" + Plain(data.SignIn.PupilNumber);

    h.MinutesSinceSignIn =
        "起動後" + Plain(MinutesSinceSignIn(clock.SecondsSinceMidnight(), data.SignIn.SignInSeconds)) +
        "分";

    long long today = 0;
    for (int level = 1; level <= kMaxLevel; ++level) {
        today += data.Standing.TodayRunCount.at(level, data.SignIn.PupilNumber);
    }
    h.TodayTotal = "本日総回数＝" + Plain(today) + "回";
    h.ShowDataButton = IsTeacher(data.SignIn.PupilName);
    h.ShowPrintButton = text::Contains(data.SignIn.PupilName, "先生");
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

int ActivationScrollPos(BoardChoices& board, int levelCount) {
    const MenuLayout layout = MenuLayoutFor(levelCount);
    const double stored = board.MenuScrollPos.ToDouble();
    int pos = 1;
    if (layout.ScrollBarVisible && stored >= 1 && stored <= layout.ScrollMaximum) {
        pos = static_cast<int>(text::RoundHalfEven(stored));
    }
    board.MenuScrollPos = Variant(pos);
    return pos;
}

int ScrollPosAfterChange(BoardChoices& board, int levelCount, int value) {
    const int pos = (value > levelCount || value < 1) ? 1 : value;
    board.MenuScrollPos = Variant(pos);
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
