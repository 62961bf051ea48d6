#pragma once
// The mistakes of the run on the drill screen, kept by the program so that the result
// screen, after the drill screen has gone, can offer to practise exactly the problems missed.
// The drill screen's hooks (mistake_notes.h) fill it; the start of every run clears it
// (BeginRunMistakes).

#include <string>
#include <vector>

#include "drill/problem_set.h"

namespace kagaku {

struct MissedProblem {
    int index = 0;  // 1-based position in the run's problem set
    Problem problem;
    int times = 0;  // wrong answers to it in the run
};

struct MistakesOfRun {
    int level = 0;
    int category = 0;
    // The problems answered wrongly in the timed drill, in the order of the problem set, each
    // once. Answers revealed in practice are logged but not kept here.
    std::vector<MissedProblem> missed;
    // The first failure of the run to write the mistake log ("" while none): the file and
    // the problem. Once it failed, the rest of the run writes nothing more.
    std::string logProblem;
};

}  // namespace kagaku
