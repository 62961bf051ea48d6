#pragma once
// The drill screen's two hooks into the mistake log: a wrong answer of the timed drill and an
// answer revealed with 答え表示 in practice. Each builds the log line from the shared state
// (pupil, level, data folder), the drill's problem on screen and the clock, and appends it - one
// small write of one line - so the next question comes at once.
//
// A log that cannot be written never stops the run: the first failure of a run is kept in
// state.RunMistakes.logProblem and returned (once) for the screen to pass on; the rest of the
// run then writes nothing more, so an unreachable share cannot hold up every later answer.

#include <optional>
#include <string>

#include "common/clock.h"
#include "drill/practice_session.h"
#include "drill/timed_drill.h"

namespace kagaku {

struct SharedState;

// Clears the run's mistakes at the start of a run (level: the level about to run).
void BeginRunMistakes(SharedState& state, int level);

// Called when the timed drill has just judged an answer wrong (the typed answer is still the
// drill's composed answer): logs it and keeps the problem in state.RunMistakes.missed. Returns
// the message for the first failure of the run to write the log, nothing otherwise.
std::optional<std::string> NoteWrongAnswer(SharedState& state, const TimedDrill& drill,
                                           const Clock& clock);

// Called when practice has just revealed the answer of the problem on screen: logs it with an
// empty typed answer. Returns as NoteWrongAnswer.
std::optional<std::string> NoteRevealedAnswer(SharedState& state, const PracticeSession& practice,
                                              const Clock& clock);

}  // namespace kagaku
