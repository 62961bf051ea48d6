#pragma once
// What start-up loads and every screen reads: where the data folders are, the common
// settings, the level settings, the level catalogue and the sound table. The program fills it
// once (LoadConfiguration, BuildLevelCatalogue) before the first working screen shows; after
// that it is read-only, handed to screens and logic as a const reference.
//
// The program object owns the parts of the running program's state, one owner each:
//   ProgramSetup   this file: loaded at start-up, read-only afterwards
//   SignedIn       state/signed_in.h: the pupil of this sign-in and the teacher's password
//   CurrentRun     state/current_run.h: the level being played, its clock and its result
//   BoardChoices   state/board_choices.h: what the score board shows (period, grades, scroll)
// and beside them the standing rebuilt from the score file (records/aggregates.h) and the
// roster the name screen reads (roster/roster_tables.h). state/ includes nothing above
// records/ and sound/; the logic above it takes the parts, or narrower values, as it needs.

#include <array>
#include <cstdint>
#include <string>

#include "common/variant.h"
#include "records/level_settings.h"
#include "sound/sound_table.h"

namespace kagaku {

struct ProgramSetup {
    // The level catalogue.
    std::int16_t LevelCount = 0;
    std::array<std::string, kLevelSlots> LevelNames{};
    std::array<std::int16_t, kLevelSlots> LevelTimed{};
    Variant GoalLevel;
    std::string ProgramName;

    // Folders (each ends in the separator) and the common settings.
    std::string AppFolder;
    std::string AppFolderName;
    std::string DataRoot;
    std::string ProgramDataFolder;
    std::string SoundFolder;
    Variant SchoolYearStartMonth;
    std::string SchoolName;
    Variant SchoolCode;
    Variant RosterHideOption;
    std::uint32_t SeasonColour = 0;  // 0x00BBGGRR

    LevelSettings Settings;
    SoundTable Sounds;
};

}  // namespace kagaku
