#pragma once
// Level menu and score board: the hub screen after sign-in. One column per level of the
// catalogue with its number, name, start button, the pupil's runs and points and the level's
// pass rule; below them each level's score list (run lists and rankings). Every activation
// re-aggregates the records and rebuilds counts, locks and lists from them.
//
// This file holds the column texts, the captions above the columns, the column layout with its
// scroll position, and the keys.

#include <optional>
#include <string>

#include "common/clock.h"
#include "board/board_data.h"
#include "common/variant.h"
#include "state/board_choices.h"

namespace kagaku {

// Practice runs have this target and minimum time whatever the settings file says.
inline constexpr std::int32_t kPracticeTargetSeconds = 600;

// The headings above a column's two count rows.
inline constexpr const char* kTodayHeading = "今日";      // Label9
inline constexpr const char* kAllTimeHeading = "今まで";  // Label10

struct LevelColumnTexts {
    std::string Number;        // Label1
    std::string Name;          // Label3, also its tooltip
    std::string StartButton;   // Command4: "ｽﾀｰﾄ(&3)", the digit being the access key
    std::string RecentWindow;  // Label8: runs and points within the pass window
    std::string PassRule;      // Label7
    std::string Today;         // Label14: today's runs and points
    std::string AllTime;       // Label15: all-time runs and points
    // A practice level's column shows only the number, the name and the start button.
    bool Practice = false;
};

// The texts of level's column for the signed-in pupil. The recent-window line and the pass
// rule are written when the form loads, the count rows on every activation.
LevelColumnTexts LevelColumn(const BoardData& data, int level);
std::string RecentWindowLine(const BoardData& data, int level);
std::string PassRuleLine(const LevelSettings& settings, int level);

// Sets the target and minimum time of every practice level of the catalogue to 600 seconds.
void ApplyPracticeTargets(ProgramSetup& setup);

struct MenuHeader {
    std::string Title;               // Label11: the program name
    int TitlePointSize = 24;         // 20 when the title is longer than 9 characters
    std::string GradeAndName;        // Label12
    std::string SchoolAndNumber;     // Label13
    std::string MinutesSinceSignIn;  // Label17: "起動後12分"
    std::string TodayTotal;          // Label18: "本日総回数＝5回"
    bool ShowDataButton = false;     // Command8 "データ処理": only for the teacher
    bool ShowPrintButton = false;    // Command24(1): for a name containing "先生"
};
MenuHeader MenuHeaderTexts(const BoardData& data, const Clock& clock);
// Whole minutes from the sign-in (SignInSeconds, rounded to the second) to secondsNow, both
// seconds since midnight: never negative, and across midnight for a sign-in of the day before.
int MinutesSinceSignIn(double secondsNow, std::int32_t signInSeconds);

// Column widths and the scroll bar. Four columns fit on the screen; fewer than five levels get
// wider columns and no scroll bar.
struct MenuLayout {
    int ColumnWidthTwips = 3456;
    bool ScrollBarVisible = true;
    int ScrollMaximum = 1;
};
MenuLayout MenuLayoutFor(int levelCount);

// The first column shown at activation: MenuScrollPos, or 1 when it is unset, below 1 or
// beyond the scroll bar's maximum (always 1 without a scroll bar). Writes it back, since it is
// kept for the whole program run.
int ActivationScrollPos(BoardChoices& board, int levelCount);
// The scroll bar moved to value: the new MenuScrollPos (1 when it exceeds the level count).
int ScrollPosAfterChange(BoardChoices& board, int levelCount, int value);
// The left edge of level's column with the first shown column pos; nothing when the column is
// parked beyond the right edge because it lies left of the visible area.
std::optional<int> ColumnLeft(int level, int pos, int marginTwips, int columnWidthTwips);

// What a key typed on the menu does (case-sensitive): "1".."9" and "a".."d" (levels 10..13)
// start a level the catalogue has, "0" goes back to the name screen while that button is
// enabled. Nothing while the keys are not ready.
struct MenuKeyAction {
    enum class Kind { None, StartLevel, Back };
    Kind What = Kind::None;
    int Level = 0;
};
MenuKeyAction MenuKeyFor(char32_t key, int levelCount, bool keysReady, bool backEnabled);

}  // namespace kagaku
