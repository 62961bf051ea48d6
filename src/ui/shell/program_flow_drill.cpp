// The road from the level menu through a drill to its result: the drill screen announces how
// the run ended, the program records a finished run with the cover shown, keeps how it stood,
// and after a second on the cover shows the result; the result screen announces the way on.

#include <QTimer>

#include "common/errors.h"
#include "drill/problem_set.h"
#include "drill/run_frame.h"
#include "mistakes/mistake_notes.h"
#include "mistakes/mistake_practice.h"
#include "results/result_evaluation.h"
#include "roster/sign_in.h"
#include "state/level_catalogue.h"
#include "ui/drill/mainfrm.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/shell/record_file_task.h"

namespace kagaku::ui {

namespace {

// The cover stays this long after the run is recorded, then the result replaces the drill.
constexpr int kCoverMilliseconds = 1000;

}  // namespace

void Program::StartDrill(int level) {
    // A new run: nothing of the last one (its flags, its bests) carries over.
    run_ = CurrentRun{};
    run_.CurrentLevel = static_cast<std::int16_t>(level);
    BeginRunMistakes(runMistakes_, level);

    QPointer<QWidget> previous = currentScreen();
    // A level that cannot run is refused before anything starts, so nothing is recorded.
    const auto refuse = [this, previous, level](const QString& title, const QString& problem) {
        messages().Inform(previous, title,
                          QStringLiteral("レベル%1は始められません。\n\n%2\n\n先生を呼んでください。")
                              .arg(level)
                              .arg(problem),
                          [this, previous] {
                              if (previous)
                                  previous->close();
                              ShowLevelMenu();
                          });
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

    MainFrm* drill = MakeDrillScreen(level, std::move(problems));
    connect(drill, &MainFrm::runFinished, this,
            [this, drill](const CurrentRun& run) { FinishRun(drill, run); });
    connect(drill, &MainFrm::runGivenUp, this, &Program::ShowLevelMenu);
    connect(drill, &MainFrm::practiceEnded, this, &Program::ShowLevelMenu);
    SetCurrentScreen(drill);
    ShowFullScreen(drill);
    // The screen that started the drill (the menu, or a result) is left behind for good.
    if (previous && previous != base_)
        previous->close();
    drill->Activate();
}

MainFrm* Program::MakeDrillScreen(int level, ProblemSet problems) {
    return new MainFrm(level, std::move(problems), setup_, signIn_, runMistakes_,
                       DrillServices{clock(), random(), cues(), messages()});
}

void Program::FinishRun(QPointer<MainFrm> drill, const CurrentRun& run) {
    run_ = run;
    const int level = run.CurrentLevel;
    const RunEnd end = DecideRunEnd(setup_, level, run.TimedOut == 1, run.ElapsedSeconds);
    if (end.action == RunEnd::Action::LeaveForMenu) {
        ShowBaseScreen();
        ShowLevelMenu();
        return;
    }
    if (end.action == RunEnd::Action::KeepCover)
        return;
    run_.ResultTime = end.resultTime;
    // The drill stays drawn under its cover while the record file is busy.
    RecordFileTask::Start(
        drill, messages(),
        [this, level](RecordFileWaiter& waiter) { RecordFinishedRun(level, waiter); },
        [this, drill] {
            ShowBaseScreen();
            QTimer::singleShot(kCoverMilliseconds, this, [this, drill] {
                if (drill && !ending())
                    ShowResultScreen();
            });
        },
        [this, drill](const DataFileError& error) { EndWithFileError(error, drill); });
}

void Program::ShowResultScreen() {
    // The standing is rebuilt with the run just stored while the cover stays in front.
    RecordFileTask::Start(
        base_ ? base_.data() : currentScreen(), messages(),
        [this](RecordFileWaiter& waiter) { RebuildStanding(waiter); },
        [this] { OpenResultScreen(); },
        [this](const DataFileError& error) { EndWithFileError(error, currentScreen()); });
}

void Program::OpenResultScreen() {
    auto* result = new FrmSyuuryou(
        ResultInputsFrom(setup_, signIn_, run_, aggregates_, board_.GoalCleared),
        PracticeOfRun(runMistakes_, setup_.LevelNames, setup_.LevelCount), setup_.SeasonColour,
        cues());
    connect(result, &FrmSyuuryou::soundsEnded, this, [this] {
        // The bests were announced; the cover has done its work.
        run_.NewPersonalBest = 0;
        run_.NewAllTimeBest = 0;
        CloseBaseScreen();
    });
    connect(result, &FrmSyuuryou::toMenu, this, &Program::ShowLevelMenu);
    connect(result, &FrmSyuuryou::againAsked, this, [this] {
        ShowBaseScreen();
        StartDrill(run_.CurrentLevel);
    });
    connect(result, &FrmSyuuryou::mistakePracticeAsked, this,
            [this](const MistakePractice& practice) {
                StartMistakePractice(practice, PracticeReturn::ResultScreen);
            });
    ShowScreen(result);
    result->EvaluateRun();
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
    RecordFileTask::Start(
        currentScreen(), messages(), [this](RecordFileWaiter& waiter) { RebuildStanding(waiter); },
        [this, level] { StartDrill(level); },
        [this](const DataFileError& error) { EndWithFileError(error, currentScreen()); });
}

}  // namespace kagaku::ui
