#pragma once
// The drill screen's two hooks into the mistake log: a wrong answer of the timed drill and an
// answer revealed with 答え表示 in practice. Each builds the log line from where the run logs
// (data folder, pupil, level), the drill's problem on screen and the clock, and appends it - one
// small write of one line - so the next question comes at once.
//
// A log that cannot be written never stops the run: the first failure of a run is kept in
// MistakesOfRun::logProblem and returned (once) for the screen to pass on; the rest of the
// run then writes nothing more, so an unreachable share cannot hold up every later answer.

#include <optional>
#include <string>

#include "common/clock.h"
#include "drill/practice_session.h"
#include "drill/timed_drill.h"
#include "mistakes/run_mistakes.h"

namespace kagaku {

// Where the run's mistakes are logged: the program's data folder, the signed-in pupil and the
// level being played (CurrentLevel).
struct MistakeLogPlace {
    std::string ProgramDataFolder;
    int PupilNumber = 0;
    int CurrentLevel = 0;
};

// Clears the run's mistakes at the start of a run (level: the level about to run).
void BeginRunMistakes(MistakesOfRun& mistakes, int level);

// Called when the timed drill has just judged an answer wrong (the typed answer is still the
// drill's composed answer): logs it and keeps the problem in mistakes.missed. Returns
// the message for the first failure of the run to write the log, nothing otherwise.
std::optional<std::string> NoteWrongAnswer(MistakesOfRun& mistakes, const MistakeLogPlace& place,
                                           const TimedDrill& drill, const Clock& clock);

// Called when practice has just revealed the answer of the problem on screen: logs it with an
// empty typed answer. Returns as NoteWrongAnswer.
std::optional<std::string> NoteRevealedAnswer(MistakesOfRun& mistakes,
                                              const MistakeLogPlace& place,
                                              const PracticeSession& practice, const Clock& clock);

}  // namespace kagaku
