#pragma once
// The score board's run lists, built straight from score records in file order (the order in
// which the runs ended): today's runs, the runs of a period, and the signed-in pupil's own runs.
// Each accepted record adds one line at the end of its level's list; a record whose level has
// no column is skipped.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "board/board_data.h"
#include "board/grade_marks.h"
#include "common/ole_date.h"
#include "records/aggregates.h"
#include "records/score_record_file.h"

namespace kagaku {

// The fields of one score record the lists use.
struct RunRecord {
    double Date = 0;       // whole-day OLE date
    double TimeOfDay = 0;  // fraction of a day
    std::int32_t Pupil = 0;
    std::int32_t Level = 0;
    std::int32_t Seconds = 0;
};

// The records of the aggregates' loaded window, oldest first.
std::vector<RunRecord> RunRecordsOf(const ScoreAggregates& aggregates);

// The records of a window read from the file, in file order. A record that is no real run (a
// bad date, a level or pupil out of range, negative seconds) keeps its place but has level 0,
// so the lists skip it.
std::vector<RunRecord> RunRecordsOf(const RecordWindow& window);

// How many of the last records each list looks at.
inline constexpr std::size_t kTodayListScan = 1000;
inline constexpr std::size_t kPeriodListScan = 20000;

// A run of this many seconds or more is shown as failed (a timed-out run carries 99999).
inline constexpr std::int32_t kFailedRunSeconds = 90000;

// What the lists read: the program's state (roster tables, settings, catalogue, signed-in pupil),
// the text of the grade box when the fill began (nothing lets the box change during a fill),
// and optionally a progress report (records done, progress maximum).
struct BoardInputs {
    BoardData State;
    std::string GradeFilter;
    std::function<void(std::size_t done, std::size_t maximum)> Progress = {};
};

// One list per level; entry i holds List5(i). Entry 0 stays empty.
using LevelLines = std::vector<std::vector<std::string>>;

// The points a run shows in a list line: its basic points for the level's target time (no
// multiplier), 0 for a run of 99998 seconds or more or on a level without a target time.
long long LineRunPoints(std::int32_t seconds, std::int32_t targetTime);

// "09:05" for 9:05:03; "04/05" for 5 April.
std::string HourMinuteText(double timeOfDay);
std::string MonthDayText(double date);

// The window of the period list in days, from ListPeriod (1 this week, 2 since last week,
// 3 one month, 4 one year, 5 all) and today's weekday (1 Sunday .. 7 Saturday): the week runs
// from Monday to Sunday.
int PeriodWindowDays(int listPeriod, int weekday);

// The lines of today's runs (the last 1000 records).
LevelLines TodayRunList(const BoardInputs& in, std::span<const RunRecord> records, double now);
// The runs of the period (the last 20000 records); pointsFirst is the points display.
LevelLines PeriodRunList(const BoardInputs& in, std::span<const RunRecord> records, double now,
                         int listPeriod, bool pointsFirst);
// The signed-in pupil's runs of the last ten years (the last 20000 records).
LevelLines OwnRunList(const BoardInputs& in, std::span<const RunRecord> records, double now);

}  // namespace kagaku
