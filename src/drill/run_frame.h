#pragma once
// The frame around a run on the drill screen, as plain rules: whether a level may start, which
// controls it shows, and what the end of a run does. The drill screen gathers the setup and the run,
// asks these, and only shows the outcome.

#include <cstdint>
#include <optional>
#include <string>

#include "records/finished_run.h"
#include "state/current_run.h"
#include "state/program_setup.h"

namespace kagaku {

// Levels 8 and 10 ask for ions: their drill shows the four charge buttons and their key hints.
bool ShowsChargeButtons(int level);

// Why a timed level cannot start: its target time or minimum time is not a positive number of
// seconds (0, empty or not a number in the settings file). Such a run would time out at its
// first tick, or score nothing, so it is refused before anything starts. Practice levels run
// without a clock and need neither. The text names the level and the setting to set.
std::optional<std::string> LevelStartProblem(const ProgramSetup& setup, int level);

// What the end of a run does.
struct RunEnd {
    enum class Action {
        LeaveForMenu,  // a practice level: nothing is recorded, the level menu returns
        Record,        // a timed level: the result is stored and the result screen follows
        KeepCover,     // an untimed level that is not a practice level: nothing more happens
    };
    Action action = Action::KeepCover;
    // The time to store: the elapsed whole seconds, or 99999 for a run that timed out.
    std::int32_t resultTime = 0;
};
// The run's result flags from what recording it found: GoalClearedBefore follows the outcome;
// NewPersonalBest and NewAllTimeBest are set when the outcome says so and never cleared here
// (the result screen clears them once it has shown them).
void NoteRunOutcome(CurrentRun& run, const FinishedRunOutcome& outcome);

RunEnd DecideRunEnd(const ProgramSetup& setup, int level, bool timedOut,
                    std::int32_t elapsedSeconds);

}  // namespace kagaku
