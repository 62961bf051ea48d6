#pragma once
// The score board's choices and fills. The display (time, points, own runs) and the list
// within it decide which list every level column shows; a fill builds all of them at once:
// rankings from the aggregates, run lists from score records. After every fill the screen runs
// the lock pass and shows the lists of the levels that are not practice levels.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "board/rankings.h"
#include "board/run_lists.h"
#include "common/variant.h"

namespace kagaku {

enum class BoardList {
    BestTimes,          // time display, "BEST表示"
    TodayRuns,          // time display, "本日のみ"
    PeriodTimeFirst,    // time display, the period list
    CumulativeRanking,  // points display, "合計累計"
    TodayRanking,       // points display, "合計本日"
    PeriodPointsFirst,  // points display, "すべて"
    OwnRuns,            // the own display, "個人ﾀｲﾑ"
};

// BoardMode 1 time display, 2 points display (0 counts as 1); option is Option1's index 1..3.
BoardList ListFor(int boardMode, int option);

// The run lists read the record file afresh when they are filled, so they show runs that other
// machines have finished since the last aggregation: how many of the last records a list reads
// (1000 for today's runs, 20000 for the period and own-runs lists). The rankings come from the
// aggregates and read nothing.
std::optional<std::size_t> RecordScanFor(BoardList list);

// Captions of Option2(0..2).
const std::array<std::string, 3>& DisplayCaptions();
// Captions of Option1(1..3) in a display (0 time, 1 points). The time display leaves the third
// caption as it was: currentThird is what it reads now ("オール表示" until the points display
// has once set "すべて").
std::array<std::string, 3> ListOptionCaptions(int display, const std::string& currentThird);
inline constexpr const char* kInitialThirdListCaption = "オール表示";
// The refresh sets these on Option1(1) and (2) before the display switch replaces them.
inline constexpr const char* kRefreshFirstListCaption = "累計順";
inline constexpr const char* kRefreshSecondListCaption = "本日順";

// The heading Label5 above the columns while the list is shown ("" for the period lists, whose
// period shows in the period box).
std::string ListHeading(BoardList list);
// The period box is visible only while a period list is shown.
bool ShowsPeriodBox(BoardList list);

// The period box's entries (ListPeriod 1..5 in order) and the entry shown when the board loads.
const std::array<std::string, 5>& PeriodChoices();
inline constexpr int kInitialListPeriod = 3;
// ListPeriod for a chosen entry 0..4; nothing when no entry is chosen.
std::optional<int> ListPeriodForChoice(int index);

struct BoardFill {
    // Per level 1..LevelCount: its lines; entry 0 stays empty.
    LevelLines Lines;
    // Per level: the line to bring into view (rankings only).
    std::vector<std::optional<std::size_t>> OwnLine;
};

// Builds every level's list. Practice levels get no best-time list (their lists are hidden);
// the points rankings cover every level. records are the score records in file order (run
// lists only); now is the present date and time; listPeriod is the board's ListPeriod (period
// lists only).
BoardFill FillBoard(const BoardInputs& in, BoardList list, std::span<const RunRecord> records,
                    double now, const Variant& listPeriod);

}  // namespace kagaku
