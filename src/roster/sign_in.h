#pragma once
// What the name screen does besides its list: O.K. signs the chosen pupil in, the keys the
// form sees before its controls, and the fault handling of 名簿表示 (pause five seconds and
// try again; at the sixth fault in one rebuild, a message and the end of the program).

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "roster/name_list.h"
#include "roster/roster_tables.h"
#include "state/program_setup.h"
#include "state/signed_in.h"

namespace kagaku {

// The cue the screen plays when O.K. is pressed with no name chosen.
inline constexpr const char* kNoNameChosenCue = "間違い音2";

enum class SignInResult {
    NoNameChosen,  // play kNoNameChosenCue and stay
    SignedIn,      // pupil fields written; build the level catalogue and show the level menu
};

// The pupil of visible row `row` of the name list (List1), by the number its List3 row
// carries: nothing for the separator row 0, a row the list does not have, or a number that
// names no pupil slot (outside 0..5000).
std::optional<std::int16_t> ChosenPupil(const NameList& list, int row);

// Signs the pupil in: writes every field of the sign-in, PupilNumber, PupilName,
// PupilGradeLabel and SignInSeconds (the seconds since midnight, rounded to the nearest
// second), forgets a teacher's password given before and the record manager's copy of this
// sign-in. The wrong password entries in a row and their lock outlast the sign-in.
void SignInPupil(SignedIn& signIn, std::int16_t pupilNumber, std::string pupilName,
                 std::string pupilGradeLabel, const Clock& clock);

// O.K. with the chosen pupil (nothing while the prompt shows): SignInPupil with the pupil's
// 20-character roster name and grade label.
SignInResult ConfirmSignIn(SignedIn& signIn, const RosterTables& roster,
                           std::optional<std::int16_t> chosenPupil, const Clock& clock);

enum class NameScreenKey { None, Confirm, ExitToMenuProgram };

// "1" confirms while O.K. is visible, "0" leaves while the exit button is visible, Enter or
// space on the list confirms. O.K. is hidden once a sign-in has begun, so no key starts a
// second one.
NameScreenKey NameScreenKeyAction(char32_t key, bool okVisible, bool exitVisible,
                                  bool listHasFocus);

// The final message: "名簿表示", the progress marker, the description and the error number,
// run together.
std::string NameListFaultMessage(double marker, std::string_view description, int errorNumber);

// Counts the faults of one rebuild.
class NameListRetry {
public:
    static constexpr int kPauseSeconds = 5;
    static constexpr int kFaultLimit = 6;

    // At the start of every rebuild.
    void Reset() { faults_ = 0; }
    // A fault at marker: nothing when the screen should pause kPauseSeconds and try the failed
    // step again; the message to show before the program ends once the limit is reached.
    std::optional<std::string> OnFault(double marker, std::string_view description,
                                       int errorNumber);
    int Faults() const { return faults_; }

private:
    int faults_ = 0;
};

// The rebuild gave up: What() is the message to show before the program ends.
class NameListGaveUp : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 名簿表示 with its fault handling, one try at a time, for a screen that pauses from a timer:
// Try builds the list, or after a fault returns nothing; the caller then pauses kPauseSeconds
// and asks AfterPause whether to try again. The aggregation runs in the first try only (and
// again only when it was the step that failed).
class NameListRebuild {
public:
    std::optional<NameList> Try(const ProgramSetup& setup, const ScoreAggregates& standing,
                                RosterTables& roster, const Clock& clock, int listMode,
                                std::string_view gradeFilter,
                                const std::function<void()>& aggregate = {});
    // After the pause that follows a fault: the message to show before the program ends once
    // the sixth fault of this rebuild is reached; nothing when the failed step is tried again.
    std::optional<std::string> AfterPause();
    int Faults() const { return retry_.Faults(); }

private:
    NameListRetry retry_;
    NameListProgress progress_;
    bool aggregated_ = false;
    std::string description_;  // the last fault, for the final message
    int errorNumber_ = 0;
};

// 名簿表示 with its fault handling. pause(seconds) waits while letting pending events run (the
// screen measures it on a monotonic tick, so midnight does not shorten or lengthen it). The
// aggregation runs once; the roster pass and the rows are tried again after each fault.
// Throws NameListGaveUp at the sixth fault.
NameList RebuildNameListWithRetry(const ProgramSetup& setup, const ScoreAggregates& standing,
                                  RosterTables& roster, const Clock& clock, int listMode,
                                  std::string_view gradeFilter,
                                  const std::function<void()>& aggregate,
                                  const std::function<void(int seconds)>& pause);

}  // namespace kagaku
