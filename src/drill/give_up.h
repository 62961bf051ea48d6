#pragma once
// Giving up a run: at most five times a day per pupil, counted in the pupil's log ギブn.csv in
// the program's data folder (one date per line, #yyyy-mm-dd#, code page 932, CR LF). The log
// is never truncated; entries of earlier days simply stop counting. A give-up records no score
// and returns to the level menu.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/ole_date.h"

namespace kagaku {

inline constexpr int kGiveUpsPerDay = 5;

// ProgramDataFolder & "ギブ" & the pupil number & ".csv" (pupil 12 has ギブ12.csv).
std::filesystem::path GiveUpLogPath(std::string_view programDataFolder, int pupilNumber);

// Makes sure the log exists (an empty one is created) and counts its entries dated today.
// Lines that are not dates count for nothing. Throws DataFileError naming the log when it can
// be neither created nor read.
int CountGiveUpsToday(const std::filesystem::path& log, const CivilDate& today);

// Adds today's entry as one line. A log whose last line lacks its line end gets one first, so
// two entries never run together. Throws DataFileError naming the log when it cannot be
// written.
void AppendGiveUp(const std::filesystem::path& log, const CivilDate& today);

// The give-up button as the drill screen's activation sets it.
struct GiveUpButtonState {
    std::string caption;  // "ギブアップ（後3回）", or "ギブアップ" when none are left
    bool enabled = false;
    // Set when the log could not be read; the button then offers the give-up, and the click
    // reports the problem again.
    std::string problem;
};
GiveUpButtonState GiveUpButtonFor(const std::filesystem::path& log, const CivilDate& today);

// The outcome of a click on the give-up button.
struct GiveUpOutcome {
    // True: the run is abandoned - nothing is recorded, the level menu returns. False: the
    // allowance is used up and the run goes on.
    bool givenUp = false;
    // Message boxes to show, in order.
    std::vector<std::string> messages;
};

// Recounts (another run of the program may have added entries), then either refuses or logs
// the give-up. When the log cannot be read or written, the give-up still goes through - the
// run is not recorded - and a message names the log and the problem.
GiveUpOutcome GiveUp(const std::filesystem::path& log, const CivilDate& today);

}  // namespace kagaku
