// The road from the level menu through a drill to its result: the drill screen announces how
// the run ended, the program records a finished run with the cover shown, keeps how it stood,
// and after a second on the cover shows the result; the result screen announces the way on.

#include <QTimer>

#include "common/errors.h"
#include "drill/problem_set.h"
#include "drill/run_frame.h"
#include "mistakes/mistake_notes.h"
#include "mistakes/mistake_practice.h"
#include "records/aggregation.h"
#include "records/finished_run.h"
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
    SharedState& s = state();
    ResetRun(level);
    BeginRunMistakes(s, level);

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
    if (const auto problem = LevelStartProblem(s, level)) {
        refuse(QStringLiteral("化学式 - レベルの設定"), Q(*problem));
        return;
    }
    ProblemSet problems;
    try {
        problems = LoadProblemSetForLevel(s.AppFolder, level);
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
    RefreshDrillInputs();
    return new MainFrm(level, std::move(problems), drillSetup_, drillSignIn_,
                       state().RunMistakes,
                       DrillServices{clock(), random(), cues(), messages()});
}

void Program::ResetRun(int level) {
    SharedState& s = state();
    s.CurrentLevel = static_cast<std::int16_t>(level);
    s.ProblemCount = 0;
    s.CompletedCount = 0;
    s.ElapsedSeconds = 0;
    s.TimeLimit = 0;
    s.TimeBarScale = 0.0;
    s.TimedOut = 0;
    s.RunEnding = 0;
    s.ResultTime = 0;
    s.NewPersonalBest = 0;
    s.NewAllTimeBest = 0;
    s.GoalClearedBefore = 0;
}

void Program::KeepRun(const CurrentRun& run) {
    SharedState& s = state();
    s.CurrentLevel = run.CurrentLevel;
    s.ProblemCount = run.ProblemCount;
    s.CompletedCount = run.CompletedCount;
    s.ElapsedSeconds = run.ElapsedSeconds;
    s.TimeLimit = run.TimeLimit;
    s.TimeBarScale = run.TimeBarScale;
    s.TimedOut = run.TimedOut;
    s.RunEnding = run.RunEnding;
}

void Program::RefreshDrillInputs() {
    const SharedState& s = state();
    drillSetup_.LevelCount = s.LevelCount;
    drillSetup_.LevelNames = s.LevelNames;
    drillSetup_.LevelTimed = s.LevelTimed;
    drillSetup_.ProgramName = s.ProgramName;
    drillSetup_.ProgramDataFolder = s.ProgramDataFolder;
    drillSetup_.SchoolName = s.SchoolName;
    drillSetup_.SeasonColour = s.SeasonColour;
    drillSetup_.Settings = s.Settings;
    drillSignIn_.PupilNumber = s.PupilNumber;
    drillSignIn_.PupilName = s.PupilName;
}

void Program::FinishRun(QPointer<MainFrm> drill, const CurrentRun& run) {
    KeepRun(run);
    SharedState& s = state();
    const int level = run.CurrentLevel;
    const RunEnd end = DecideRunEnd(s, level, run.TimedOut == 1, run.ElapsedSeconds);
    if (end.action == RunEnd::Action::LeaveForMenu) {
        ShowBaseScreen();
        ShowLevelMenu();
        return;
    }
    if (end.action == RunEnd::Action::KeepCover)
        return;
    s.ResultTime = end.resultTime;
    // The drill stays drawn under its cover while the record file is busy.
    RecordFileTask::Start(
        drill, messages(),
        [this, level](RecordFileWaiter& waiter) {
            RecordFinishedRun(level, state(), clock(), waiter);
        },
        [this, drill] {
            ShowBaseScreen();
            QTimer::singleShot(kCoverMilliseconds, this, [this, drill] {
                if (drill && !ended_)
                    ShowResultScreen();
            });
        },
        [this, drill](const DataFileError& error) { EndWithFileError(error, drill); });
}

void Program::ShowResultScreen() {
    // The standing is rebuilt with the run just stored while the cover stays in front.
    RecordFileTask::Start(
        base_ ? base_.data() : currentScreen(), messages(),
        [this](RecordFileWaiter& waiter) { AggregateScoreRecords(state(), clock(), waiter); },
        [this] { OpenResultScreen(); },
        [this](const DataFileError& error) { EndWithFileError(error, currentScreen()); });
}

void Program::OpenResultScreen() {
    SharedState& s = state();
    auto* result = new FrmSyuuryou(ResultInputsFrom(s),
                                   PracticeOfRun(s.RunMistakes, s.LevelNames, s.LevelCount),
                                   s.SeasonColour, cues());
    connect(result, &FrmSyuuryou::soundsEnded, this, [this] {
        // The bests were announced; the cover has done its work.
        state().NewPersonalBest = 0;
        state().NewAllTimeBest = 0;
        CloseBaseScreen();
    });
    connect(result, &FrmSyuuryou::toMenu, this, &Program::ShowLevelMenu);
    connect(result, &FrmSyuuryou::againAsked, this, [this] {
        ShowBaseScreen();
        StartDrill(state().CurrentLevel);
    });
    connect(result, &FrmSyuuryou::mistakePracticeAsked, this,
            [this](const MistakePractice& practice) {
                StartMistakePractice(practice, PracticeReturn::ResultScreen);
            });
    ShowScreen(result);
    result->EvaluateRun();
}

void Program::StartDrillFor(int pupilNumber, const std::string& pupilName, int level) {
    SharedState& s = state();
    s.PupilNumber = static_cast<std::int16_t>(pupilNumber);
    s.PupilName = pupilName;
    s.TeacherPassword.Given = false;
    if (s.LevelCount == 0)
        BuildLevelCatalogue(s);
    RecordFileTask::Start(
        currentScreen(), messages(),
        [this](RecordFileWaiter& waiter) { AggregateScoreRecords(state(), clock(), waiter); },
        [this, level] { StartDrill(level); },
        [this](const DataFileError& error) { EndWithFileError(error, currentScreen()); });
}

}  // namespace kagaku::ui
