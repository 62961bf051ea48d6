#include "ui/shell/program.h"

#include <QApplication>
#include <QTimer>

#include "board/level_menu.h"
#include "drill/run_frame.h"
#include "records/aggregation.h"
#include "records/finished_run.h"
#include "records/score_record_file.h"
#include "state/configuration.h"
#include "state/level_catalogue.h"
#include "ui/drill/basefrm.h"
#include "ui/shell/firstfrm.h"
#include "ui/signin/frmver.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

Program::Program(std::filesystem::path programFolder, Services services)
    : programFolder_(std::move(programFolder)), services_(services), messages_(*services.messages) {
    cues_ = std::make_unique<CuePlayer>(setup_.Sounds, setup_.SoundFolder, *services_.sound,
                                        *services_.random, static_cast<ProgramStopper&>(*this));
}

void Program::BuildLevelCatalogue() {
    kagaku::BuildLevelCatalogue(setup_);
}

void Program::ApplyPracticeTargets() {
    kagaku::ApplyPracticeTargets(setup_);
}

void Program::RebuildStanding(RecordFileWaiter& waiter) {
    AggregateScoreRecords(ScoreRecordPath(setup_.ProgramDataFolder), setup_.Settings, clock(),
                          aggregates_, waiter);
}

void Program::RecordFinishedRun(int level, RecordFileWaiter& waiter) {
    const FinishedRun finished{level, signIn_.PupilNumber, run_.CurrentLevel, run_.ResultTime};
    const FinishedRunOutcome outcome =
        kagaku::RecordFinishedRun(finished, setup_.ProgramDataFolder, setup_.Settings,
                                  setup_.SchoolCode, aggregates_, clock(), waiter);
    NoteRunOutcome(run_, outcome);
}

Program::~Program() {
    DeleteClosedScreensNow();
    if (base_)
        delete base_.data();
    if (current_)
        delete current_.data();
}

void Program::Start() {
    QPointer<Firstfrm> splash = new Firstfrm(*this);
    current_ = splash;
    ShowFullScreen(splash);
    PumpEvents();
    if (splash)
        splash->StartTimer1();
}

int Program::Run() {
    Start();
    if (ended_)
        return exitStatus_;
    const int status = QCoreApplication::exec();
    return status != 0 ? status : exitStatus_;
}

void Program::StartUp() {
    try {
        LoadConfiguration(programFolder_, setup_);
    } catch (const DataFileError& error) {
        EndWithFileError(error, current_);
        return;
    }
    ShowNameScreen();
}

void Program::ShowBaseScreen() {
    if (!base_)
        base_ = new BASEFRM(Q(setup_.ProgramName));
    ShowFullScreen(base_);
    PumpEvents();
}

void Program::CloseBaseScreen() {
    if (base_)
        base_->close();
}

void Program::ShowVersionDialog(QWidget* parent) {
    frmver dialog(Q(setup_.ProgramName), parent);
    dialog.adjustSize();
    if (parent != nullptr) {
        dialog.move(parent->geometry().center() - dialog.rect().center());
    }
    NestedLoopScope loop;
    dialog.exec();
}

void Program::EndWithFileError(const DataFileError& error, QWidget* parent) {
    messages().Inform(parent, QStringLiteral("化学式 - ファイルのエラー"),
                      QStringLiteral("次のファイルに問題があるため、プログラムを終了します。\n\n"
                                     "ファイル: %1\n問題: %2\n\n先生を呼んでください。")
                          .arg(Q(error.file()), Q(error.problem())));
    EndProgram(1);
}

void Program::StopWithMessage(const std::string& title, const std::string& text) {
    messages().Inform(current_, Q(title), Q(text));
    EndProgram(3);
}

void Program::EndProgram(int status) {
    exitStatus_ = status;
    ended_ = true;
    // Close every open screen, the most recent first, then leave the event loop.
    const auto windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->isVisible())
            (*it)->close();
    }
    // Leaves the running loop; before the loop runs this does nothing, and Run returns the
    // status instead.
    QCoreApplication::exit(status);
}

}  // namespace kagaku::ui
