#pragma once
// The program's identity and its built-in level catalogue: twelve offered levels, a practice
// and a timed level for each of six topics, and a thirteenth defined but not offered.

#include <string_view>

#include "state/shared_state.h"

namespace kagaku {

inline constexpr const char* kProgramName = "化学式";

void SetProgramName(SharedState& state);

// Fills LevelCount, GoalLevel, LevelNames and LevelTimed. Showing the level menu afterwards is
// the caller's (the name screen's) part.
void BuildLevelCatalogue(SharedState& state);

// Gives every offered level (1 to 12) whose name is empty the name "ﾚﾍﾞﾙ" and its number, so
// that a catalogue with gaps still shows a name on every level column.
void FillEmptyLevelNames(SharedState& state);

// The drill screen runs the practice mode on odd levels and the timed drill on even ones.
bool IsPracticeLevelNumber(int level);
// The end of a run records nothing for a level whose name contains "練".
bool IsPracticeLevelName(std::string_view name);
// The problem category of a level: (level + 1) divided by 2, rounded down.
int ProblemCategoryOfLevel(int level);

}  // namespace kagaku
