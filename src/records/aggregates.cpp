#include "records/aggregates.h"

namespace kagaku {

ScoreAggregates::ScoreAggregates()
    : CellIndex(static_cast<std::size_t>(kLevelSlots) * kPupilSlots, 0), Cells(1) {}

// The tables are views of this object's own cells, so a copy copies the data and keeps its own
// views.
ScoreAggregates::ScoreAggregates(const ScoreAggregates& other)
    : CellIndex(other.CellIndex),
      Cells(other.Cells),
      LevelBestTime(other.LevelBestTime),
      LoadedDate(other.LoadedDate),
      LoadedTimeOfDay(other.LoadedTimeOfDay),
      LoadedPupil(other.LoadedPupil),
      LoadedLevel(other.LoadedLevel),
      LoadedSeconds(other.LoadedSeconds),
      LoadedRecordCount(other.LoadedRecordCount) {}

ScoreAggregates& ScoreAggregates::operator=(const ScoreAggregates& other) {
    if (this != &other) {
        CellIndex = other.CellIndex;
        Cells = other.Cells;
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
    Cells.resize(1);  // the index entries of the forgotten cells no longer count
    LevelBestTime.assign(kLevelSlots, kNoTime);
    LoadedDate.clear();
    LoadedTimeOfDay.clear();
    LoadedPupil.clear();
    LoadedLevel.clear();
    LoadedSeconds.clear();
    LoadedRecordCount = 0;
}

PupilLevelStanding& ScoreAggregates::NewCell(std::uint32_t key, std::uint32_t& index) {
    index = static_cast<std::uint32_t>(Cells.size());
    PupilLevelStanding& cell = Cells.emplace_back();
    cell.Key = key;
    return cell;
}

}  // namespace kagaku
