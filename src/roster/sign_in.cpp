#include "roster/sign_in.h"

#include <cmath>
#include <utility>

#include "common/errors.h"
#include "common/text_ops.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"

namespace kagaku {

std::optional<std::int16_t> ChosenPupil(const NameList& list, int row) {
    if (row < 1 || static_cast<std::size_t>(row) > list.Numbered.size()) {
        return std::nullopt;
    }
    const double value =
        text::Val(PupilNumberText(list.Numbered[static_cast<std::size_t>(row - 1)]));
    if (!std::isfinite(value) || value < -0.5 || value >= kMaxPupil + 0.5) {
        return std::nullopt;
    }
    const auto number = static_cast<std::int16_t>(text::RoundHalfEven(value));
    if (number < 0 || number > kMaxPupil) {
        return std::nullopt;
    }
    return number;
}

void SignInPupil(SignedIn& signIn, std::int16_t pupilNumber, std::string pupilName,
                 std::string pupilGradeLabel, const Clock& clock) {
    SignedIn next;
    next.PupilNumber = pupilNumber;
    next.PupilName = std::move(pupilName);
    next.PupilGradeLabel = std::move(pupilGradeLabel);
    next.SignInSeconds =
        static_cast<std::int32_t>(text::RoundHalfEven(clock.SecondsSinceMidnight()));
    // The teacher's password is asked again in every sign-in; the count of wrong entries
    // belongs to the program run, so that signing in again does not reopen a locked dialog.
    next.TeacherPassword = signIn.TeacherPassword;
    next.TeacherPassword.Given = false;
    next.ChangeBackupTaken = false;
    signIn = std::move(next);
}

SignInResult ConfirmSignIn(SignedIn& signIn, const RosterTables& roster,
                           std::optional<std::int16_t> chosenPupil, const Clock& clock) {
    if (!chosenPupil || *chosenPupil < 0 || *chosenPupil > kMaxPupil) {
        return SignInResult::NoNameChosen;
    }
    const auto n = static_cast<std::size_t>(*chosenPupil);
    SignInPupil(signIn, *chosenPupil, roster.RosterName[n], roster.RosterGradeLabel[n], clock);
    return SignInResult::SignedIn;
}

NameScreenKey NameScreenKeyAction(char32_t key, bool okVisible, bool exitVisible,
                                  bool listHasFocus) {
    if (key == U'1' && okVisible) {
        return NameScreenKey::Confirm;
    }
    if (key == U'0' && exitVisible) {
        return NameScreenKey::ExitToMenuProgram;
    }
    if ((key == U'\r' || key == U' ') && listHasFocus && okVisible) {
        return NameScreenKey::Confirm;
    }
    return NameScreenKey::None;
}

std::string NameListFaultMessage(double marker, std::string_view description, int errorNumber) {
    std::string m = "名簿表示";
    m += text::NumberText(marker);
    m += description;
    m += text::NumberText(static_cast<long long>(errorNumber));
    return m;
}

std::optional<std::string> NameListRetry::OnFault(double marker, std::string_view description,
                                                  int errorNumber) {
    ++faults_;
    if (faults_ >= kFaultLimit) {
        return NameListFaultMessage(marker, description, errorNumber);
    }
    return std::nullopt;
}

std::optional<NameList> NameListRebuild::Try(const ProgramSetup& setup,
                                             const ScoreAggregates& standing,
                                             RosterTables& roster, const Clock& clock,
                                             int listMode, std::string_view gradeFilter,
                                             const std::function<void()>& aggregate) {
    static const std::function<void()> kNoAggregation;
    try {
        return RebuildNameList(setup, standing, roster, clock, listMode, gradeFilter, progress_,
                               aggregated_ ? kNoAggregation : aggregate);
    } catch (const RosterFileError& e) {
        description_ = e.file() + "：" + e.problem();
        errorNumber_ = e.ErrorNumber();
    } catch (const DataFileError& e) {
        description_ = e.file() + "：" + e.problem();
        errorNumber_ = 0;
    } catch (const std::exception& e) {
        description_ = e.what();
        errorNumber_ = 0;
    }
    // The aggregation has run by the time the roster is read; it is not repeated.
    if (progress_.Marker >= 2) {
        aggregated_ = true;
    }
    return std::nullopt;
}

std::optional<std::string> NameListRebuild::AfterPause() {
    return retry_.OnFault(progress_.Marker, description_, errorNumber_);
}

NameList RebuildNameListWithRetry(const ProgramSetup& setup, const ScoreAggregates& standing,
                                  RosterTables& roster, const Clock& clock, int listMode,
                                  std::string_view gradeFilter,
                                  const std::function<void()>& aggregate,
                                  const std::function<void(int seconds)>& pause) {
    NameListRebuild rebuild;
    for (;;) {
        if (std::optional<NameList> list =
                rebuild.Try(setup, standing, roster, clock, listMode, gradeFilter, aggregate)) {
            return std::move(*list);
        }
        // Every fault is paused on first, the sixth too, so the file has six chances to come
        // back before the program gives up.
        if (pause) {
            pause(NameListRetry::kPauseSeconds);
        }
        if (auto message = rebuild.AfterPause()) {
            throw NameListGaveUp(*message);
        }
    }
}

}  // namespace kagaku
