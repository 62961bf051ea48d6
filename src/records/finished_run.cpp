#include "records/finished_run.h"

#include "records/backups.h"
#include "records/score_record.h"
#include "records/score_record_file.h"

namespace kagaku {

namespace {

bool InTables(int level, int pupil) {
    return level >= 0 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil;
}

}  // namespace

FinishedRunOutcome RecordFinishedRun(const FinishedRun& run, const std::string& programDataFolder,
                                     const LevelSettings& settings, const Variant& schoolCode,
                                     ScoreAggregates& aggregates, const Clock& clock,
                                     RecordFileWaiter& waiter) {
    const int level = run.Level;
    const int pupil = run.PupilNumber;
    const int current = run.CurrentLevel;
    const std::int32_t time = run.ResultTime;
    const ScoreAggregates& standing = aggregates;
    FinishedRunOutcome outcome;

    // The tables still describe the standing before this run.
    if (InTables(current, pupil)) {
        const auto slot = static_cast<std::size_t>(current);
        if (standing.RunCount.at(current, pupil) >= settings.ClearCount[slot] &&
            standing.TotalPoints.at(current, pupil) >= settings.ClearPoints[slot]) {
            outcome.GoalClearedBefore = true;
        }
    }

    if (InTables(level, pupil) && standing.BestTime.at(level, pupil) > time) {
        outcome.NewPersonalBest = true;
        aggregates.BestTime.at(level, pupil) = time;
    }

    const ScoreRecord record = MakeRunRecord(clock, pupil, current, time, schoolCode);
    // The first append of the day, on any PC, backs the files up first (under the lock).
    const auto file = ScoreRecordPath(programDataFolder);
    outcome.RecordNumber = AppendScoreRecord(
        file, record, waiter, [&] { TakeDailyBackup(file, record.RunDate + record.RunTimeOfDay); });

    // The school's best is beaten by whoever runs faster, whatever the pupil's number: only the
    // rebuild of LevelBestTime leaves pupils above 1000 out.
    if (level >= 0 && level <= kMaxLevel) {
        std::int32_t& levelBest = aggregates.LevelBestTime[static_cast<std::size_t>(level)];
        if (levelBest > time) {
            levelBest = time;
            outcome.NewAllTimeBest = true;
        }
    }
    return outcome;
}

}  // namespace kagaku
