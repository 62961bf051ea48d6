#include "records/aggregates.h"

namespace kagaku {

ScoreAggregates::ScoreAggregates() : Cells(static_cast<std::size_t>(kLevelSlots) * kPupilSlots) {}

// The tables are views of this object's own cells, so a copy copies the data and keeps its own
// views.
ScoreAggregates::ScoreAggregates(const ScoreAggregates& other)
    : Cells(other.Cells),
      WrittenCells(other.WrittenCells),
      LevelBestTime(other.LevelBestTime),
      LoadedDate(other.LoadedDate),
      LoadedTimeOfDay(other.LoadedTimeOfDay),
      LoadedPupil(other.LoadedPupil),
      LoadedLevel(other.LoadedLevel),
      LoadedSeconds(other.LoadedSeconds),
      LoadedRecordCount(other.LoadedRecordCount) {}

ScoreAggregates& ScoreAggregates::operator=(const ScoreAggregates& other) {
    if (this != &other) {
        Cells = other.Cells;
        WrittenCells = other.WrittenCells;
        LevelBestTime = other.LevelBestTime;
        LoadedDate = other.LoadedDate;
        LoadedTimeOfDay = other.LoadedTimeOfDay;
        LoadedPupil = other.LoadedPupil;
        LoadedLevel = other.LoadedLevel;
        LoadedSeconds = other.LoadedSeconds;
        LoadedRecordCount = other.LoadedRecordCount;
    }
    return *this;
}

void ScoreAggregates::Clear() {
    Cells.assign(Cells.size(), PupilLevelStanding{});
    WrittenCells.clear();
    LevelBestTime.assign(kLevelSlots, kNoTime);
    LoadedDate.clear();
    LoadedTimeOfDay.clear();
    LoadedPupil.clear();
    LoadedLevel.clear();
    LoadedSeconds.clear();
    LoadedRecordCount = 0;
}

}  // namespace kagaku
