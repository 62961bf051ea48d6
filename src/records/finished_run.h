#pragma once
// The end-of-run step of a timed run: compare the run with the standing, set the flags the
// result screen reports, and append the record.

#include <cstdint>
#include <string>

#include "common/clock.h"
#include "common/variant.h"
#include "records/aggregates.h"
#include "records/level_settings.h"
#include "records/record_file_waiter.h"

namespace kagaku {

// The run just finished: the level played, the pupil, the level the record is written under
// (CurrentLevel) and the time in seconds (ResultTime).
struct FinishedRun {
    int Level = 0;
    int PupilNumber = 0;
    int CurrentLevel = 0;
    std::int32_t ResultTime = 0;
};

// What recording the run found and wrote.
struct FinishedRunOutcome {
    std::uint64_t RecordNumber = 0;
    bool GoalClearedBefore = false;
    bool NewPersonalBest = false;
    bool NewAllTimeBest = false;
};

// For the run just finished on `Level` by PupilNumber in ResultTime seconds:
//   GoalClearedBefore = 1 when the pupil had already met CurrentLevel's clear requirement
//     (RunCount not below ClearCount and TotalPoints not below ClearPoints), else 0;
//   NewPersonalBest = 1 and BestTime lowered when the time beats the pupil's best;
//   the run is appended to the record file (dated by the clock, Level = CurrentLevel);
//   NewAllTimeBest = 1 and LevelBestTime lowered when the time beats the level's best, for
//     any pupil number (LevelBestTime itself is rebuilt over pupils 1 to 1000 only).
// The record goes to the score file in programDataFolder, with the school's code. The caller
// sets the run's flags from the outcome and never clears a best flag already set. Counts and
// points are left to the next AggregateScoreRecords. Throws DataFileError when the append
// fails and the waiter gives up.
FinishedRunOutcome RecordFinishedRun(const FinishedRun& run, const std::string& programDataFolder,
                                     const LevelSettings& settings, const Variant& schoolCode,
                                     ScoreAggregates& aggregates, const Clock& clock,
                                     RecordFileWaiter& waiter);

}  // namespace kagaku
