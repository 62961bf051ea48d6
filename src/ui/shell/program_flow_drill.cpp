// The road from the level menu through a drill to its result.

#include <QTimer>

#include "common/errors.h"
#include "drill/problem_set.h"
#include "drill/run_frame.h"
#include "mistakes/mistake_notes.h"
#include "roster/sign_in.h"
#include "state/level_catalogue.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/shell/look.h"
#include "ui/drill/mainfrm.h"
#include "ui/shell/program.h"
#include "ui/shell/screen_record_waiter.h"

namespace kagaku::ui {

void Program::StartDrill(int level) {
    run_.CurrentLevel = static_cast<std::int16_t>(level);
    run_.RunEnding = 0;
    run_.CompletedCount = 0;
    run_.TimedOut = 0;
    BeginRunMistakes(runMistakes_, level);
    PumpEvents();

    QPointer<QWidget> previous = currentScreen();
    // A level that cannot run is refused before anything starts, so nothing is recorded.
    const auto refuse = [&](const QString& title, const QString& problem) {
        messages().Inform(previous, title,
                          QStringLiteral("レベル%1は始められません。\n\n%2\n\n先生を呼んでください。")
                              .arg(level)
                              .arg(problem));
        if (previous)
            previous->close();
        ShowLevelMenu();
    };
    if (const auto problem = LevelStartProblem(setup_, level)) {
        refuse(QStringLiteral("化学式 - レベルの設定"), Q(*problem));
        return;
    }
    ProblemSet problems;
    try {
        problems = LoadProblemSetForLevel(setup_.AppFolder, level);
    } catch (const DataFileError& error) {
        // A level without problems (or with more than the drill holds).
        refuse(QStringLiteral("化学式 - 問題のファイル"),
               QStringLiteral("ファイル: %1\n問題: %2").arg(Q(error.file()), Q(error.problem())));
        return;
    }

    QPointer<MainFrm> drill = new MainFrm(*this, std::move(problems));
    SetCurrentScreen(drill);
    ShowFullScreen(drill);
    // The screen that started the drill (the menu, or a result) is left behind for good.
    if (previous && previous != base_)
        previous->close();
    PumpEvents();
    // The program may have ended while events ran; a closed drill is not started.
    if (!IsClosed(drill))
        drill->Activate();
}

void Program::ShowResultScreen() {
    auto* result = new FrmSyuuryou(*this);
    SetCurrentScreen(result);
    ShowFullScreen(result);
    QPointer<FrmSyuuryou> guard(result);
    QTimer::singleShot(0, result, [guard] {
        if (guard)
            guard->EvaluateRun();
    });
}

void Program::StartDrillFor(int pupilNumber, const std::string& pupilName, int level) {
    // The same sign-in as the name screen's, so that no field keeps the last pupil's value.
    const auto number = static_cast<std::int16_t>(pupilNumber);
    const bool inRoster = pupilNumber >= 0 && pupilNumber <= kMaxPupil;
    const std::string gradeLabel =
        inRoster ? roster_.RosterGradeLabel[static_cast<std::size_t>(pupilNumber)] : std::string();
    SignInPupil(signIn_, number, pupilName, gradeLabel, clock());
    if (setup_.LevelCount == 0)
        BuildLevelCatalogue();
    try {
        ScreenRecordFileWaiter waiter(messages(), currentScreen());
        RebuildStanding(waiter);
    } catch (const DataFileError& error) {
        EndWithFileError(error, currentScreen());
        return;
    }
    StartDrill(level);
}

}  // namespace kagaku::ui
