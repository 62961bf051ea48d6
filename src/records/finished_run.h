#pragma once
// The end-of-run step of a timed run: compare the run with the standing, set the flags the
// result screen reports, and append the record.

#include <cstdint>

#include "common/clock.h"
#include "records/record_file_waiter.h"

namespace kagaku {

struct SharedState;

// For the run just finished on `level` by PupilNumber in ResultTime seconds:
//   GoalClearedBefore = 1 when the pupil had already met CurrentLevel's clear requirement
//     (RunCount not below ClearCount and TotalPoints not below ClearPoints), else 0;
//   NewPersonalBest = 1 and BestTime lowered when the time beats the pupil's best;
//   the run is appended to the record file (dated by the clock, Level = CurrentLevel);
//   NewAllTimeBest = 1 and LevelBestTime lowered when the time beats the level's best, for
//     any pupil number (LevelBestTime itself is rebuilt over pupils 1 to 1000 only).
// The flags are only ever set here, never cleared. Counts and points are left to the next
// AggregateScoreRecords. Returns the number of the record written. Throws DataFileError when
// the append fails and the waiter gives up.
std::uint64_t RecordFinishedRun(int level, SharedState& state, const Clock& clock,
                                RecordFileWaiter& waiter);

}  // namespace kagaku
