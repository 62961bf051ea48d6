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
#include <string>
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
    std::uint32_t Key = kNoKey;  // level x 5001 + pupil

    static constexpr std::uint32_t kNoKey = 0xFFFFFFFF;
};

inline std::uint32_t StandingKey(int level, int pupil) {
    return static_cast<std::uint32_t>(level * kPupilSlots + pupil);
}

struct ScoreAggregates;

// One column of the standing, seen as a table indexed by level (0..35), then pupil (0..5000).
template <typename T, T PupilLevelStanding::*Member>
class LevelPupilTable {
public:
    explicit LevelPupilTable(ScoreAggregates& owner) : owner_(&owner) {}
    LevelPupilTable(const LevelPupilTable&) = delete;
    LevelPupilTable& operator=(const LevelPupilTable&) = delete;

    const T& at(int level, int pupil) const;
    // Writing is for the aggregation itself and for tests that build a standing by hand.
    T& at(int level, int pupil);

private:
    ScoreAggregates* owner_;
};

// The tables are stored sparsely: only the levels and pupils that have records get a cell, in
// the order the records bring them, and a 36 x 5001 index finds them. A rebuild therefore reads
// and writes memory in proportion to the records (20000 at most), not to the 180036 entries of
// each of the nine tables, and starts afresh by forgetting the cells of the last one. Read the
// tables through a const ScoreAggregates& where possible: writing access makes cells.
struct ScoreAggregates {
    ScoreAggregates();
    ScoreAggregates(const ScoreAggregates& other);
    ScoreAggregates& operator=(const ScoreAggregates& other);

    // Every entry back to no runs and no time, nothing loaded.
    void Clear();

    // The standing of a level and pupil; an untouched one reads as no runs and no time.
    const PupilLevelStanding& Standing(int level, int pupil) const {
        const std::uint32_t key = StandingKey(level, pupil);
        const std::uint32_t index = CellIndex[key];
        if (index < Cells.size() && Cells[index].Key == key) {
            return Cells[index];
        }
        return Cells[0];
    }
    // The same for writing: a cell is made on first use. References stay valid until the next
    // cell is made.
    PupilLevelStanding& WritableStanding(int level, int pupil) {
        const std::uint32_t key = StandingKey(level, pupil);
        std::uint32_t& index = CellIndex[key];
        if (index < Cells.size() && Cells[index].Key == key) {
            return Cells[index];
        }
        return NewCell(key, index);
    }

    // Where each level's and pupil's cell is in Cells. An entry counts only when the cell it
    // points at is in use and carries its key, so forgetting every cell needs no pass over the
    // index. Cells[0] is the empty standing, carries no key and is never written.
    std::vector<std::uint32_t> CellIndex;
    std::vector<PupilLevelStanding> Cells;

    LevelPupilTable<std::int32_t, &PupilLevelStanding::RunCount> RunCount{*this};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::PassWindowRunCount> PassWindowRunCount{
        *this};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::BanWindowRunCount> BanWindowRunCount{*this};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::TodayRunCount> TodayRunCount{*this};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::TotalPoints> TotalPoints{*this};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::PassWindowPoints> PassWindowPoints{*this};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::BanWindowPoints> BanWindowPoints{*this};
    LevelPupilTable<std::int64_t, &PupilLevelStanding::TodayPoints> TodayPoints{*this};
    LevelPupilTable<std::int32_t, &PupilLevelStanding::BestTime> BestTime{*this};
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

    // The bytes of the last read, kept so that a rebuild reuses the memory.
    std::string ReadBuffer;

private:
    PupilLevelStanding& NewCell(std::uint32_t key, std::uint32_t& index);
};

template <typename T, T PupilLevelStanding::*Member>
const T& LevelPupilTable<T, Member>::at(int level, int pupil) const {
    return owner_->Standing(level, pupil).*Member;
}

template <typename T, T PupilLevelStanding::*Member>
T& LevelPupilTable<T, Member>::at(int level, int pupil) {
    return owner_->WritableStanding(level, pupil).*Member;
}

}  // namespace kagaku
