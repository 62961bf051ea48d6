#pragma once
// What the level menu's columns, locks, lists and rankings read of the running program: the
// catalogue and settings loaded at start-up, the signed-in pupil, the standing rebuilt from the
// score file and the roster of the name screen. The program owns each; the board only reads.

#include "records/aggregates.h"
#include "roster/roster_tables.h"
#include "state/program_setup.h"
#include "state/signed_in.h"

namespace kagaku {

struct BoardData {
    const ProgramSetup& Setup;
    const SignedIn& SignIn;
    const ScoreAggregates& Standing;
    const RosterTables& Roster;
};

}  // namespace kagaku
