#pragma once
// The name screen's list (名簿表示): one row per listed pupil with two running totals summed
// over every level, sorted as a sorted list box sorts its text (ignoring letter case) and shown
// in reverse, so the youngest year group comes first; narrowed to a school grade on request.
//
// A full row reads  year & short label & " " & name & fill & first figure & "/" & second
// figure & "*" & number.  The visible list shows it without the year and without the tail.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "records/aggregates.h"
#include "roster/roster_tables.h"
#include "state/program_setup.h"

namespace kagaku {

inline constexpr const char* kNameListSeparator = "－－－－－－";
inline constexpr const char* kChooseNamePrompt = "名前を選びなさい";
inline constexpr const char* kAllGrades = "全学年";

// Display modes: 0 runs (today/all-time), 1 points (today/all-time), 2 today (points/runs),
// 3 all-time (points/runs).
inline constexpr int kListModeCount = 4;
// The captions of Option1(0..3).
const std::array<std::string, kListModeCount>& ListModeCaptions();
// The twelve entries of the grade box, in the order the box holds them.
const std::array<std::string, 12>& NameScreenGradeChoices();

// A pupil's totals over levels 1 to 35.
struct PupilTotals {
    long long TodayRuns = 0;
    long long TodayPoints = 0;
    long long AllRuns = 0;
    long long AllPoints = 0;
};
PupilTotals SumPupilTotals(const ScoreAggregates& aggregates, int pupil);

// The figures, right-aligned in their fixed widths; a number too long keeps its last digits.
std::string TodayRunsFigure(long long n);
std::string TodayPointsFigure(long long n);
std::string AllRunsFigure(long long n);
std::string AllPointsFigure(long long n);

// The full row of a listed pupil (year first, "*" and the number last).
std::string NameRow(const RosterRecord& record, int gradeNumber, int listMode,
                    const PupilTotals& totals);

// Whether the grade box's text shows a row of grade number g.
bool NameListShows(std::string_view gradeFilter, int gradeNumber);

struct NameList {
    // List1: row 0 is the separator, then the shown pupils.
    std::vector<std::string> Visible;
    // List3: for visible row i (i >= 1), entry i - 1 is the same text followed by "*" and the
    // pupil number.
    std::vector<std::string> Numbered;
};

// Sorts full rows as the hidden sorted list does and builds the shown lists from them, walking
// the sorted rows from the last to the first.
NameList ArrangeNameList(std::vector<std::string> rows, int schoolYear,
                         std::string_view gradeFilter);

// The ascending order of the sorted list box: the whole text, ignoring letter case.
bool SortedListLess(std::string_view a, std::string_view b);

// Where 名簿表示 stands, for the final message of its fault handling.
struct NameListProgress {
    double Marker = 1;
};

// One 名簿表示: computes the school year from the clock, runs aggregate (the record
// aggregation, which handles its own faults) unless it is empty, runs the roster pass of
// DataRoot's roster into roster and builds the rows with the pupils' totals from standing
// (read after aggregate has run). Throws what the roster pass throws.
NameList RebuildNameList(const ProgramSetup& setup, const ScoreAggregates& standing,
                         RosterTables& roster, const Clock& clock, int listMode,
                         std::string_view gradeFilter, NameListProgress& progress,
                         const std::function<void()>& aggregate = {});

// Selecting visible row text (List1_Click): the caption of Label1, the first 10 characters of
// the trimmed row, trimmed again.
std::string ClickCaption(std::string_view visibleRow);
// Double-clicking: the row up to its first "/", trimmed.
std::string DoubleClickCaption(std::string_view visibleRow);
// The pupil number text (Label2) of a numbered row: the text after its last "*". A name may
// itself hold a "*"; the number never does.
std::string PupilNumberText(std::string_view numberedRow);

}  // namespace kagaku
