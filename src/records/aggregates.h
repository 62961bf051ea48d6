#pragma once
// Score records: the shared record file 成績累積データ.dat (44-byte records appended by every
// machine under a lock), and the standing rebuilt from it. Nothing of a pupil's standing is
// stored anywhere else: every screen that needs counts, points within the windows or best times
// calls AggregateScoreRecords, which reads the last 20000 records and refills the tables below.
//
// Data flow: score_record_file (bytes on the share) -> LoadScoreRecords (loaded window, best
// times) -> AggregateScoreRecords (counts and points) -> screens; RecordFinishedRun sets the
// best-time flags and appends the finished run.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kagaku {

inline constexpr int kMaxLevel = 35;    // levels 0..35 (level 0 is never played)
inline constexpr int kMaxPupil = 5000;  // pupil numbers 0..5000
inline constexpr int kLevelSlots = kMaxLevel + 1;
inline constexpr int kPupilSlots = kMaxPupil + 1;
inline constexpr std::int32_t kNoTime = 99999;  // best time of a pupil or level without a run

// Everything the tables hold for one level and pupil, kept together so that adding up one
// record touches one cache line instead of nine scattered ones.
struct alignas(64) PupilLevelStanding {
    std::int64_t TotalPoints = 0;
    std::int64_t PassWindowPoints = 0;
    std::int64_t BanWindowPoints = 0;
    std::int64_t TodayPoints = 0;
    std::int32_t RunCount = 0;
    std::int32_t PassWindowRunCount = 0;
    std::int32_t BanWindowRunCount = 0;
    std::int32_t TodayRunCount = 0;
    std::int32_t BestTime = kNoTime;
};

inline std::size_t StandingIndex(int level, int pupil) {
    return static_cast<std::size_t>(level) * kPupilSlots + static_cast<std::size_t>(pupil);
}

// One column of the standing, seen as a table indexed by level, then pupil.
template <typename T, T PupilLevelStanding::*Member>
class LevelPupilTable {
public:
    explicit LevelPupilTable(std::vector<PupilLevelStanding>& cells) : cells_(&cells) {}
    LevelPupilTable(const LevelPupilTable&) = delete;
    LevelPupilTable& operator=(const LevelPupilTable&) = delete;

    const T& at(int level, int pupil) const {
        return (*cells_)[StandingIndex(level, pupil)].*Member;
    }
    // Writing is for the aggregation itself (and for tests that build a standing by hand, which
    // call ScoreAggregates::Clear before the next rebuild).
    T& at(int level, int pupil) { return (*cells_)[StandingIndex(level, pupil)].*Member; }

private:
    std::vector<PupilLevelStanding>* cells_;
};

struct ScoreAggregates {
    ScoreAggregates();
    ScoreAggregates(const ScoreAggregates& other);
    ScoreAggregates& operator=(const ScoreAggregates& other);

    // Every cell back to no runs, every best time to 99999, nothing loaded.
    void Clear();

    // The cells, levels 0..35 by pupils 0..5000.
    std::vector<PupilLevelStanding> Cells;
    // Cells written since the last reset; the next rebuild resets only these, which keeps a
    // rebuild proportional to the records rather than to the 36 x 5001 tables.
    std::vector<std::uint32_t> WrittenCells;

    LevelPupilTable<std::int32_t, &PupilLevelStanding::RunCount> RunCount{Cells};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::PassWindowRunCount> PassWindowRunCount{
        Cells};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::BanWindowRunCount> BanWindowRunCount{Cells};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::TodayRunCount> TodayRunCount{Cells};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::TotalPoints> TotalPoints{Cells};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::PassWindowPoints> PassWindowPoints{Cells};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::BanWindowPoints> BanWindowPoints{Cells};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::TodayPoints> TodayPoints{Cells};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::BestTime> BestTime{Cells};
    // Lowest best time of the level over pupils 1 to 1000 (pupils above 1000 are not ranked).
    std::vector<std::int32_t> LevelBestTime = std::vector<std::int32_t>(kLevelSlots, kNoTime);

    // The loaded window of records that are real runs, oldest first; index k holds the k-th
    // loaded record (0-based), LoadedRecordCount of them.
    std::vector<double> LoadedDate;       // whole-day OLE dates
    std::vector<double> LoadedTimeOfDay;  // fractions of a day
    std::vector<std::int32_t> LoadedPupil;
    std::vector<std::int32_t> LoadedLevel;
    std::vector<std::int32_t> LoadedSeconds;
    std::size_t LoadedRecordCount = 0;
};

}  // namespace kagaku
