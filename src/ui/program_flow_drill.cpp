// The road from the level menu through a drill to its result.

#include <QTimer>

#include "common/errors.h"
#include "drill/problem_set.h"
#include "records/aggregation.h"
#include "state/level_catalogue.h"
#include "ui/frmsyuuryou.h"
#include "ui/look.h"
#include "ui/mainfrm.h"
#include "ui/program.h"
#include "ui/screen_record_waiter.h"

namespace kagaku::ui {

void Program::StartDrill(int level) {
    SharedState& s = state();
    s.CurrentLevel = static_cast<std::int16_t>(level);
    s.RunEnding = 0;
    s.CompletedCount = 0;
    s.TimedOut = 0;
    PumpEvents();

    QPointer<QWidget> previous = currentScreen();
    ProblemSet problems;
    try {
        problems = LoadProblemSetForLevel(s.AppFolder, level);
    } catch (const DataFileError& error) {
        // A level without problems (or with more than the drill holds) is refused before
        // anything starts, so nothing is recorded.
        messages().Inform(previous, QStringLiteral("化学式 - 問題のファイル"),
                          QStringLiteral("レベル%1は始められません。\n\nファイル: %2\n問題: %3\n\n"
                                         "先生を呼んでください。")
                              .arg(level)
                              .arg(Q(error.file()), Q(error.problem())));
        if (previous)
            previous->close();
        ShowLevelMenu();
        return;
    }

    auto* drill = new MainFrm(*this, std::move(problems));
    SetCurrentScreen(drill);
    ShowFullScreen(drill);
    // The screen that started the drill (the menu, or a result) is left behind for good.
    if (previous && previous != base_)
        previous->close();
    PumpEvents();
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
    SharedState& s = state();
    s.PupilNumber = static_cast<std::int16_t>(pupilNumber);
    s.PupilName = pupilName;
    if (s.LevelCount == 0)
        BuildLevelCatalogue(s);
    try {
        ScreenRecordFileWaiter waiter(messages(), currentScreen());
        AggregateScoreRecords(s, clock(), waiter);
    } catch (const DataFileError& error) {
        EndWithFileError(error, currentScreen());
        return;
    }
    StartDrill(level);
}

}  // namespace kagaku::ui
