#pragma once
// The run being played: its level, its clock and, once recorded, its result. The program
// resets it when a run starts; the drill screen reports how the run stood when it ended, the
// record path adds the result (ResultTime, the new bests, GoalClearedBefore), and the result
// screen reads it. The run's wrong answers are kept beside it (mistakes/run_mistakes.h).

#include <cstdint>

namespace kagaku {

struct CurrentRun {
    std::int16_t CurrentLevel = 0;
    std::int16_t ProblemCount = 0;
    std::int32_t CompletedCount = 0;
    std::int32_t ElapsedSeconds = 0;
    std::int32_t TimeLimit = 0;
    double TimeBarScale = 0.0;
    std::int16_t TimedOut = 0;
    std::int16_t RunEnding = 0;
    std::int32_t ResultTime = 0;
    std::int16_t NewPersonalBest = 0;
    std::int16_t NewAllTimeBest = 0;
    std::int16_t GoalClearedBefore = 0;
};

}  // namespace kagaku
