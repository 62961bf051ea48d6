#pragma once
// The parts of the running program's state, side by side as the program object holds them,
// for logic tests that set up a sign-in, a run or a standing by hand. The aggregate tables are
// large, so a test keeps this on the heap (std::make_unique<StateParts>()).

#include "board/board_data.h"
#include "mistakes/run_mistakes.h"
#include "records/aggregates.h"
#include "roster/roster_tables.h"
#include "state/board_choices.h"
#include "state/current_run.h"
#include "state/program_setup.h"
#include "state/signed_in.h"

namespace kagaku {

struct StateParts {
    ProgramSetup setup;
    SignedIn signIn;
    CurrentRun run;
    BoardChoices board;
    ScoreAggregates standing;
    RosterTables roster;
    MistakesOfRun runMistakes;

    BoardData Board() const { return {setup, signIn, standing, roster}; }
};

}  // namespace kagaku
