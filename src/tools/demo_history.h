#pragma once
// A made-up history for the demo school: about six weeks of timed runs by the roster's pupils,
// ending at a given moment, so that a newcomer's first start shows filled rankings, run lists
// and charts. The same moment always gives the same records (the random numbers are seeded
// from its day). No run ends after that moment: a history made in the morning shows no runs
// "later today". The pupils come in the afternoon; when the end moment comes before the
// afternoon is over, the last day's runs are placed earlier (from the morning on) and stop
// before it, and a moment before the morning leaves the last day without runs.
//
// The runs are played out day by day as the program would let the pupils play them: before
// every run the standing is rebuilt from the records written so far (the program's own
// aggregation) and the pupil picks only a level the lock pass leaves open, so no run lies
// behind a closed level or past an over-practice ban. Times stay between a floor no pupil
// could beat (a share of the target time) and the time-out, five times the minimum time; a
// run that reaches the time-out is recorded as timed out. Some pupils get faster from run to
// run, others stay where they started.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/ole_date.h"
#include "records/score_record.h"

namespace kagaku {

struct DemoHistoryOptions {
    CivilDate LastDay;  // the history ends on this day (the day of the build)
    // ... at this second of it (the time of the build); no run ends later. 0 is midnight at
    // the start of the last day, 86400 the end of it.
    int EndSecond = 86400;
    int Days = 42;  // six weeks, the last day included
};

// Fastest time a pupil can plausibly finish a level in: this share of its target time.
inline constexpr double kFastestShareOfTarget = 0.45;

// The history of the school whose program folder is given (its パスデータ.txt, settings and
// roster are read as the program reads them), in the order the runs ended. workFile is a
// scratch record file the standing is rebuilt from as the runs are played out; it is removed
// at the end. Throws DataFileError when the tree cannot be read.
std::vector<ScoreRecord> MakeDemoHistory(const std::filesystem::path& programFolder,
                                         const DemoHistoryOptions& options,
                                         const std::filesystem::path& workFile);

// MakeDemoHistory, written as the school's score record file (replaced whole, atomically).
// Returns the number of records written.
std::size_t WriteDemoHistory(const std::filesystem::path& programFolder,
                             const DemoHistoryOptions& options);

}  // namespace kagaku
