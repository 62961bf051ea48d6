#pragma once
// The one shared state record: who is signed in, which level is played, where the data folders
// are, which levels exist and how the current run stands. The application owns one instance for
// the whole program run and passes it by reference to every screen; screens read and write its
// fields directly. There is no other channel between the screens.

#include <array>
#include <cstdint>
#include <string>

#include "admin/teacher_password.h"
#include "common/variant.h"
#include "mistakes/run_mistakes.h"
#include "records/aggregates.h"
#include "records/level_settings.h"
#include "roster/roster_tables.h"
#include "sound/sound_table.h"

namespace kagaku {

struct SharedState {
    // The signed-in pupil.
    std::int16_t PupilNumber = 0;
    std::string PupilName;
    std::string PupilGradeLabel;
    std::int32_t SignInSeconds = 0;
    // The teacher's password: given in this sign-in, and the wrong entries of the program run.
    admin::TeacherPasswordAttempts TeacherPassword;
    // The record manager has kept a copy of the score file before its first change in this
    // sign-in (so that a teacher's mistake can be undone); reset when someone signs in.
    bool ChangeBackupTaken = false;

    // The level catalogue.
    std::int16_t CurrentLevel = 0;
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

    // The current run.
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
    // The run's wrong answers, for the result screen's practice of them.
    MistakesOfRun RunMistakes;

    // Sound cues.
    SoundTable Sounds;
    std::string SoundCommand;
    std::string SoundResult;
    int SoundErrorCount = 0;

    // The score board.
    Variant GradeFilterText;
    Variant GoalCleared;
    Variant MenuScrollPos;
    Variant ListPeriod;

    ScoreAggregates Aggregates;
    RosterTables Roster;
};

}  // namespace kagaku
