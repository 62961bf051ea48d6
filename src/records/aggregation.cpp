#include "records/aggregation.h"

#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "records/run_points.h"
#include "records/score_record.h"
#include "records/score_record_file.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::seconds kNotFoundWait{5};
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

}  // namespace

void ReadRecordWindowPatiently(const fs::path& file, std::uint64_t maxRecords, RecordWindow& window,
                               RecordFileWaiter& waiter) {
    BusyFileWait busy(waiter, kReadWaitNotice, PathText(file), "read");
    WaitingLoopProgress& progress = busy.Progress();
    // The last wait for a file not found came before the previous try stopped.
    if (!progress.gaveUp.empty()) {
        throw DataFileError(PathText(file), progress.gaveUp);
    }
    for (;;) {
        int stage = 0;
        try {
            ReadRecordWindowInto(file, maxRecords, window, &stage);
            return;
        } catch (const FileOperationError& e) {
            switch (e.kind()) {
                case FileErrorKind::Busy:
                    busy.BeforeNextTry();
                    break;
                case FileErrorKind::NotFound: {
                    // The network drive may be coming back: wait a while before giving up.
                    const std::string problem = "ファイルがありません" + Number(stage) +
                                                e.description() + Number(e.errorNumber());
                    const bool last = ++progress.notFoundWaits >= kNotFoundAttempts;
                    if (last) {
                        progress.gaveUp = problem;  // after this wait, whenever it ends
                    }
                    if (!busy.WaitFor(kNotFoundWait) || last) {
                        throw DataFileError(PathText(file), problem);
                    }
                    break;
                }
                case FileErrorKind::Other:
                    throw DataFileError(PathText(file), LoaderErrorMessage(stage, e));
            }
        }
    }
}

namespace {

// What the counts need of the level settings and the present moment, prepared once.
struct CountingRules {
    // Most runs take under a few minutes: their points are worked out once per level and time.
    static constexpr std::int32_t kRemembered = 1024;
    static constexpr std::int64_t kUnknown = std::numeric_limits<std::int64_t>::min();

    std::int64_t Points(std::size_t level, std::int32_t seconds) const {
        if (seconds >= kRemembered) {
            return points[level].CountedPoints(seconds);
        }
        std::vector<std::int64_t>& known = remembered[level];
        if (known.empty()) {
            known.assign(kRemembered, kUnknown);
        }
        std::int64_t& p = known[static_cast<std::size_t>(seconds)];
        if (p == kUnknown) {
            p = points[level].CountedPoints(seconds);
        }
        return p;
    }

    std::array<LevelPointsRule, kLevelSlots> points{};
    mutable std::array<std::vector<std::int64_t>, kLevelSlots> remembered{};
    std::array<double, kLevelSlots> passFrom{};
    std::array<double, kLevelSlots> banFrom{};
    double today = 0.0;

    CountingRules(const LevelSettings& settings, const Clock& clock) {
        // A run's day (at midnight) lies within a window of N days when it is later than the
        // present moment minus N days: today and the N - 1 days before it.
        const double now = clock.Now();
        today = std::floor(now);
        for (std::size_t level = 1; level < kLevelSlots; ++level) {
            points[level] =
                LevelPointsRule(settings.TargetTime[level], settings.PointMultiplier[level]);
            passFrom[level] = now - settings.PassWindowDays[level].ToDouble();
            banFrom[level] = now - settings.BanWindowDays[level].ToDouble();
        }
    }
};

// The fields of a record the tables need, read straight from the bytes.
struct RunFields {
    double date;
    double timeOfDay;
    std::int16_t pupil;
    std::int16_t level;
    std::int32_t seconds;
};

RunFields ReadRunFields(const char* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        RunFields f;
        std::memcpy(&f.date, bytes, 8);
        std::memcpy(&f.timeOfDay, bytes + 8, 8);
        std::memcpy(&f.pupil, bytes + 16, 2);
        std::memcpy(&f.level, bytes + 18, 2);
        std::memcpy(&f.seconds, bytes + 20, 4);
        return f;
    } else {
        ScoreRecord r = DecodeScoreRecord(bytes);
        return {r.RunDate, r.RunTimeOfDay, r.PupilNumber, r.Level, r.Seconds};
    }
}

// The cells of the records a little ahead are asked for early, so that their trips to memory
// overlap instead of following one another: first the index entry, later the cell it names.
void PrefetchCellsAhead(const RecordWindow& window, std::size_t i, const ScoreAggregates& a) {
    constexpr std::size_t kIndexAhead = 16;
    constexpr std::size_t kCellAhead = 8;
    const std::size_t n = window.Count();
    if (i + kIndexAhead < n) {
        const RunFields ahead = ReadRunFields(window.RecordBytes(i + kIndexAhead));
        if (IsCountableRun(ahead.date, ahead.pupil, ahead.level, ahead.seconds)) {
            __builtin_prefetch(&a.CellIndex[StandingKey(ahead.level, ahead.pupil)]);
        }
    }
    if (i + kCellAhead < n) {
        const RunFields ahead = ReadRunFields(window.RecordBytes(i + kCellAhead));
        if (IsCountableRun(ahead.date, ahead.pupil, ahead.level, ahead.seconds)) {
            const std::uint32_t index = a.CellIndex[StandingKey(ahead.level, ahead.pupil)];
            if (index < a.Cells.size()) {
                __builtin_prefetch(&a.Cells[index]);
            }
        }
    }
}

// Loads the window and, when rules are given, adds up every loaded run in the same pass, so
// that each record's cell is visited once.
void Rebuild(const fs::path& recordFile, const CountingRules* rules, ScoreAggregates& aggregates,
             RecordFileWaiter& waiter) {
    RecordWindow window;
    window.Bytes.swap(aggregates.ReadBuffer);
    try {
        ReadRecordWindowPatiently(recordFile, kLoadWindowRecords, window, waiter);
    } catch (...) {
        window.Bytes.swap(aggregates.ReadBuffer);
        throw;
    }
    aggregates.Clear();

    const std::size_t n = window.Count();
    aggregates.LoadedDate.resize(n);
    aggregates.LoadedTimeOfDay.resize(n);
    aggregates.LoadedPupil.resize(n);
    aggregates.LoadedLevel.resize(n);
    aggregates.LoadedSeconds.resize(n);
    aggregates.Cells.reserve(n + 1);

    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        PrefetchCellsAhead(window, i, aggregates);
        const RunFields run = ReadRunFields(window.RecordBytes(i));
        if (!IsCountableRun(run.date, run.pupil, run.level, run.seconds)) {
            continue;  // no real run, or one that cannot be placed in the tables
        }
        const int level = run.level;
        const int pupil = run.pupil;
        const auto slot = static_cast<std::size_t>(level);
        aggregates.LoadedDate[k] = run.date;
        aggregates.LoadedTimeOfDay[k] = run.timeOfDay;
        aggregates.LoadedPupil[k] = pupil;
        aggregates.LoadedLevel[k] = level;
        aggregates.LoadedSeconds[k] = run.seconds;
        ++k;

        PupilLevelStanding& cell = aggregates.WritableStanding(level, pupil);
        if (cell.BestTime > run.seconds) {
            cell.BestTime = run.seconds;
        }
        // Pupils above 1000 have best times of their own but are not ranked.
        if (pupil <= 1000 && aggregates.LevelBestTime[slot] > run.seconds) {
            aggregates.LevelBestTime[slot] = run.seconds;
        }
        if (rules == nullptr) {
            continue;
        }

        // Counts leave out runs of 6000 seconds or more; the sums take every run.
        const std::int32_t counted = run.seconds < kUncountedSeconds ? 1 : 0;
        const std::int64_t points = rules->Points(slot, run.seconds);
        cell.RunCount += counted;
        cell.TotalPoints += points;
        if (run.date > rules->passFrom[slot]) {
            cell.PassWindowRunCount += counted;
            cell.PassWindowPoints += points;
        }
        if (run.date > rules->banFrom[slot]) {
            cell.BanWindowRunCount += counted;
            cell.BanWindowPoints += points;
        }
        if (run.date == rules->today) {
            cell.TodayRunCount += counted;
            cell.TodayPoints += points;
        }
    }
    aggregates.LoadedDate.resize(k);
    aggregates.LoadedTimeOfDay.resize(k);
    aggregates.LoadedPupil.resize(k);
    aggregates.LoadedLevel.resize(k);
    aggregates.LoadedSeconds.resize(k);
    aggregates.LoadedRecordCount = k;
    window.Bytes.swap(aggregates.ReadBuffer);
}

}  // namespace

void LoadScoreRecords(const fs::path& recordFile, ScoreAggregates& aggregates,
                      RecordFileWaiter& waiter) {
    Rebuild(recordFile, nullptr, aggregates, waiter);
}

void AggregateScoreRecords(const fs::path& recordFile, const LevelSettings& settings,
                           const Clock& clock, ScoreAggregates& aggregates,
                           RecordFileWaiter& waiter) {
    const CountingRules rules(settings, clock);
    Rebuild(recordFile, &rules, aggregates, waiter);
}

}  // namespace kagaku
