#pragma once
// The aggregate tables rebuilt from the score record file: per level and pupil counts, points
// within the windows and best times, and the loaded window of records. Nothing of a pupil's
// standing is stored anywhere else; these are rebuilt whenever a screen needs them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kagaku {

inline constexpr int kMaxLevel = 35;    // levels 0..35 (level 0 is never played)
inline constexpr int kMaxPupil = 5000;  // pupil numbers 0..5000
inline constexpr int kLevelSlots = kMaxLevel + 1;
inline constexpr int kPupilSlots = kMaxPupil + 1;
inline constexpr std::int32_t kNoTime = 99999;  // best time of a pupil or level without a run

// A table indexed by level, then pupil.
template <typename T>
class LevelPupilTable {
public:
    explicit LevelPupilTable(T initial = T{})
        : cells_(static_cast<std::size_t>(kLevelSlots) * kPupilSlots, initial) {}
    T& at(int level, int pupil) { return cells_[Index(level, pupil)]; }
    const T& at(int level, int pupil) const { return cells_[Index(level, pupil)]; }
    void Fill(T value) { cells_.assign(cells_.size(), value); }

private:
    static std::size_t Index(int level, int pupil) {
        return static_cast<std::size_t>(level) * kPupilSlots + static_cast<std::size_t>(pupil);
    }
    std::vector<T> cells_;
};

struct ScoreAggregates {
    LevelPupilTable<std::int32_t> RunCount;
    LevelPupilTable<std::int32_t> PassWindowRunCount;
    LevelPupilTable<std::int32_t> BanWindowRunCount;
    LevelPupilTable<std::int32_t> TodayRunCount;
    LevelPupilTable<std::int64_t> TotalPoints;
    LevelPupilTable<std::int64_t> PassWindowPoints;
    LevelPupilTable<std::int64_t> BanWindowPoints;
    LevelPupilTable<std::int64_t> TodayPoints;
    LevelPupilTable<std::int32_t> BestTime{kNoTime};
    std::vector<std::int32_t> LevelBestTime = std::vector<std::int32_t>(kLevelSlots, kNoTime);

    // The loaded window of records, oldest first.
    std::vector<double> LoadedDate;       // whole-day OLE dates
    std::vector<double> LoadedTimeOfDay;  // fractions of a day
    std::vector<std::int32_t> LoadedPupil;
    std::vector<std::int32_t> LoadedLevel;
    std::vector<std::int32_t> LoadedSeconds;
    std::size_t LoadedRecordCount = 0;
};

}  // namespace kagaku
