#include "records/aggregation.h"

#include <array>
#include <cmath>
#include <string>

#include "common/errors.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "records/run_points.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "state/shared_state.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

constexpr int kNotFoundWaitSeconds = 5;
constexpr int kNotFoundAttempts = 4;
constexpr const char* kReadWaitNotice =
    "ほかのパソコンが成績ファイルを使っています。読み込めるまで待っています。しばらくお待ちください"
    "。";

std::string Number(long long n) {
    return text::NumberText(n);
}

// The loader's message for an error that waiting does not mend: every detail run together, as
// the teachers know it from the program's error reports.
std::string LoaderErrorMessage(int stage, const FileOperationError& e) {
    std::string number = Number(e.errorNumber());
    return "成績ランダムファイル表示" + Number(stage) + number + e.description() + number +
           "/date/i=0/time=/name=/Bangou=0/level=0/time=0line" + Number(stage);
}

RecordWindow ReadPatiently(const fs::path& file, RecordFileWaiter& waiter) {
    BusyFileWait busy(waiter, kReadWaitNotice, PathText(file));
    int notFoundWaits = 0;
    for (;;) {
        int stage = 0;
        try {
            return ReadRecordWindow(file, kLoadWindowRecords, &stage);
        } catch (const FileOperationError& e) {
            switch (e.kind()) {
                case FileErrorKind::Busy:
                    busy.OneSecond();
                    break;
                case FileErrorKind::NotFound:
                    // The network drive may be coming back: wait a while before giving up.
                    if (!waiter.Wait(kNotFoundWaitSeconds) ||
                        ++notFoundWaits >= kNotFoundAttempts) {
                        throw DataFileError(PathText(file), "ファイルがありません" + Number(stage) +
                                                                e.description() +
                                                                Number(e.errorNumber()));
                    }
                    break;
                case FileErrorKind::Other:
                    throw DataFileError(PathText(file), LoaderErrorMessage(stage, e));
            }
        }
    }
}

// Back to no runs: only the cells the last rebuild wrote, so that a rebuild costs in proportion
// to the records rather than to the 36 x 5001 tables.
void ResetStanding(ScoreAggregates& aggregates) {
    for (std::uint32_t cell : aggregates.WrittenCells) {
        aggregates.Cells[cell] = PupilLevelStanding{};
    }
    aggregates.WrittenCells.clear();
    aggregates.LevelBestTime.assign(kLevelSlots, kNoTime);
}

}  // namespace

void LoadScoreRecords(const fs::path& recordFile, ScoreAggregates& aggregates,
                      RecordFileWaiter& waiter) {
    RecordWindow window = ReadPatiently(recordFile, waiter);
    ResetStanding(aggregates);

    const std::size_t n = window.Count();
    aggregates.LoadedDate.resize(n);
    aggregates.LoadedTimeOfDay.resize(n);
    aggregates.LoadedPupil.resize(n);
    aggregates.LoadedLevel.resize(n);
    aggregates.LoadedSeconds.resize(n);
    aggregates.WrittenCells.reserve(n);

    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const ScoreRecord record = window.Record(i);
        if (CheckScoreRecord(record)) {
            continue;  // no real run, or one that cannot be placed in the tables
        }
        const int level = record.Level;
        const int pupil = record.PupilNumber;
        aggregates.LoadedDate[k] = record.RunDate;
        aggregates.LoadedTimeOfDay[k] = record.RunTimeOfDay;
        aggregates.LoadedPupil[k] = pupil;
        aggregates.LoadedLevel[k] = level;
        aggregates.LoadedSeconds[k] = record.Seconds;
        ++k;

        const std::size_t cell = StandingIndex(level, pupil);
        aggregates.WrittenCells.push_back(static_cast<std::uint32_t>(cell));
        std::int32_t& best = aggregates.Cells[cell].BestTime;
        if (best > record.Seconds) {
            best = record.Seconds;
        }
        // Pupils above 1000 have best times of their own but are not ranked.
        if (pupil <= 1000) {
            std::int32_t& levelBest = aggregates.LevelBestTime[static_cast<std::size_t>(level)];
            if (levelBest > record.Seconds) {
                levelBest = record.Seconds;
            }
        }
    }
    aggregates.LoadedDate.resize(k);
    aggregates.LoadedTimeOfDay.resize(k);
    aggregates.LoadedPupil.resize(k);
    aggregates.LoadedLevel.resize(k);
    aggregates.LoadedSeconds.resize(k);
    aggregates.LoadedRecordCount = k;
}

void AggregateScoreRecords(const fs::path& recordFile, const LevelSettings& settings,
                           const Clock& clock, ScoreAggregates& aggregates,
                           RecordFileWaiter& waiter) {
    LoadScoreRecords(recordFile, aggregates, waiter);

    // A run's day (at midnight) lies within a window of N days when it is later than the
    // present moment minus N days: today and the N - 1 days before it.
    const double now = clock.Now();
    const double today = std::floor(now);
    std::array<double, kLevelSlots> passFrom{};
    std::array<double, kLevelSlots> banFrom{};
    for (std::size_t level = 1; level < kLevelSlots; ++level) {
        passFrom[level] = now - settings.PassWindowDays[level].ToDouble();
        banFrom[level] = now - settings.BanWindowDays[level].ToDouble();
    }

    for (std::size_t k = 0; k < aggregates.LoadedRecordCount; ++k) {
        const int level = aggregates.LoadedLevel[k];
        const std::int32_t seconds = aggregates.LoadedSeconds[k];
        const double day = aggregates.LoadedDate[k];
        const auto slot = static_cast<std::size_t>(level);
        const bool counted = seconds < kUncountedSeconds;
        const std::int32_t run = counted ? 1 : 0;
        const std::int64_t points = CountedRunPoints(seconds, level, settings);

        PupilLevelStanding& cell =
            aggregates.Cells[StandingIndex(level, aggregates.LoadedPupil[k])];
        cell.RunCount += run;
        cell.TotalPoints += points;
        if (day > passFrom[slot]) {
            cell.PassWindowRunCount += run;
            cell.PassWindowPoints += points;
        }
        if (day > banFrom[slot]) {
            cell.BanWindowRunCount += run;
            cell.BanWindowPoints += points;
        }
        if (day == today) {
            cell.TodayRunCount += run;
            cell.TodayPoints += points;
        }
    }
}

void AggregateScoreRecords(SharedState& state, const Clock& clock, RecordFileWaiter& waiter) {
    AggregateScoreRecords(ScoreRecordPath(state.ProgramDataFolder), state.Settings, clock,
                          state.Aggregates, waiter);
}

}  // namespace kagaku
