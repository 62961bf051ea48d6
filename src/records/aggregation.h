#pragma once
// Rebuilding the standing from the score record file: the last 20000 records are read in one
// go, records that are no real run (or that cannot be placed in the tables) are left out, and
// every count, point sum and best time is refilled. The tables take no lock; a record another
// machine is just appending is counted once it is whole.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "common/clock.h"
#include "records/aggregates.h"
#include "records/level_settings.h"
#include "records/record_file_waiter.h"
#include "records/score_record_file.h"

namespace kagaku {

// Only the last this many whole records are read.
inline constexpr std::size_t kLoadWindowRecords = 20000;

// Reads the last maxRecords whole records into window (reusing its memory), waiting on a
// missing or busy file as described below. Throws DataFileError when waiting does not help.
void ReadRecordWindowPatiently(const std::filesystem::path& recordFile, std::uint64_t maxRecords,
                               RecordWindow& window, RecordFileWaiter& waiter);

// Fills the loaded window and the best times (BestTime, LevelBestTime over pupils 1 to 1000),
// clearing the counts and points. Records skipped: date negative, not a number or beyond
// 9999; level not 1..35; pupil not 1..5000; negative seconds.
// Waiting: a missing file or folder is tried again every five seconds, and after the fourth
// wait the load fails with "ファイルがありません"; a busy file is tried again every second for
// as long as it is busy (with a notice once the wait is long). Throws DataFileError with the
// loader's message for every other error.
void LoadScoreRecords(const std::filesystem::path& recordFile, ScoreAggregates& aggregates,
                      RecordFileWaiter& waiter);

// LoadScoreRecords, then the counts and point sums of every loaded run: all runs, the runs
// dated within the level's pass window and ban window (a window of N days takes in today and
// the N - 1 days before it; 0 or empty takes in nothing), and today's runs. Counts leave out
// runs of 6000 seconds or more; the sums take every run's CountedRunPoints.
void AggregateScoreRecords(const std::filesystem::path& recordFile, const LevelSettings& settings,
                           const Clock& clock, ScoreAggregates& aggregates,
                           RecordFileWaiter& waiter);

}  // namespace kagaku
