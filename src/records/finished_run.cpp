#include "records/finished_run.h"

#include "records/backups.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "state/shared_state.h"

namespace kagaku {

namespace {

bool InTables(int level, int pupil) {
    return level >= 0 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil;
}

}  // namespace

std::uint64_t RecordFinishedRun(int level, SharedState& state, const Clock& clock,
                                RecordFileWaiter& waiter) {
    const int pupil = state.PupilNumber;
    const int current = state.CurrentLevel;
    const std::int32_t time = state.ResultTime;
    ScoreAggregates& aggregates = state.Aggregates;
    const ScoreAggregates& standing = aggregates;

    // The tables still describe the standing before this run.
    state.GoalClearedBefore = 0;
    if (InTables(current, pupil)) {
        const auto slot = static_cast<std::size_t>(current);
        if (standing.RunCount.at(current, pupil) >= state.Settings.ClearCount[slot] &&
            standing.TotalPoints.at(current, pupil) >= state.Settings.ClearPoints[slot]) {
            state.GoalClearedBefore = 1;
        }
    }

    if (InTables(level, pupil) && standing.BestTime.at(level, pupil) > time) {
        state.NewPersonalBest = 1;
        aggregates.BestTime.at(level, pupil) = time;
    }

    const ScoreRecord record = MakeRunRecord(clock, pupil, current, time, state.SchoolCode);
    // The first append of the day, on any PC, backs the files up first (under the lock).
    const auto file = ScoreRecordPath(state.ProgramDataFolder);
    const std::uint64_t written = AppendScoreRecord(
        file, record, waiter, [&] { TakeDailyBackup(file, record.RunDate + record.RunTimeOfDay); });

    // The school's best is beaten by whoever runs faster, whatever the pupil's number: only the
    // rebuild of LevelBestTime leaves pupils above 1000 out.
    if (level >= 0 && level <= kMaxLevel) {
        std::int32_t& levelBest = aggregates.LevelBestTime[static_cast<std::size_t>(level)];
        if (levelBest > time) {
            levelBest = time;
            state.NewAllTimeBest = 1;
        }
    }
    return written;
}

}  // namespace kagaku
