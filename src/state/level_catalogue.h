#pragma once
// The program's identity and its built-in level catalogue: twelve offered levels, a practice
// and a timed level for each of six topics, and a thirteenth defined but not offered.

#include <string_view>

#include "state/program_setup.h"

namespace kagaku {

inline constexpr const char* kProgramName = "化学式";

void SetProgramName(ProgramSetup& setup);

// Fills LevelCount, GoalLevel, LevelNames and LevelTimed. Showing the level menu afterwards is
// the caller's (the name screen's) part.
void BuildLevelCatalogue(ProgramSetup& setup);

// Gives every offered level (1 to 12) whose name is empty the name "ﾚﾍﾞﾙ" and its number, so
// that a catalogue with gaps still shows a name on every level column.
void FillEmptyLevelNames(ProgramSetup& setup);

// A practice level: its name contains "練" (the odd levels of the catalogue). The drill screen
// pages through such a level untimed, its end records nothing, and the level menu keeps it
// always open.
bool IsPracticeLevel(std::string_view levelName);
// The problem category of a level: (level + 1) divided by 2, rounded down.
int ProblemCategoryOfLevel(int level);

}  // namespace kagaku
