#include "ui/shell/program.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <memory>

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
    : programFolder_(std::move(programFolder)), services_(services) {
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
    if (base_)
        delete base_.data();
    if (current_)
        delete current_.data();
}

void Program::Start() {
    auto* splash = MakeSplash();
    ShowFullScreen(splash);
    // The splash is drawn by the event loop before its timer, queued behind the show, runs
    // the start-up.
    splash->StartTimer1();
}

int Program::Run() {
    Start();
    // Every end is asked for from the running loop (the start-up runs from the splash's timer,
    // a message's end from its callback), except with stand-in boxes that answer at once: an
    // end asked for before the loop runs, which QCoreApplication::exit would ignore, is
    // returned here.
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
    // Drawn now, without letting events run: the work that follows may take a moment before
    // the event loop gets its turn.
    base_->repaint();
}

void Program::CloseBaseScreen() {
    if (base_)
        base_->close();
}

void Program::ShowVersionDialog(QWidget* parent, std::function<void()> closed) {
    auto* dialog = new frmver(Q(setup_.ProgramName), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->adjustSize();
    if (parent != nullptr) {
        dialog->move(parent->geometry().center() - dialog->rect().center());
    }
    // Goes with its parent: once the parent has been deleted, closed never runs.
    connect(dialog, &QDialog::finished, dialog, [closed = std::move(closed)](int) {
        if (closed)
            closed();
    });
    dialog->open();
}

void Program::EndWithFileError(const DataFileError& error, QWidget* parent) {
    EndAfterMessage(parent, QStringLiteral("化学式 - ファイルのエラー"),
                    QStringLiteral("次のファイルに問題があるため、プログラムを終了します。\n\n"
                                   "ファイル: %1\n問題: %2\n\n先生を呼んでください。")
                        .arg(Q(error.file()), Q(error.problem())),
                    1);
}

void Program::StopWithMessage(const std::string& title, const std::string& text) {
    EndAfterMessage(current_, Q(title), Q(text), 3);
}

void Program::EndAfterMessage(QWidget* parent, const QString& title, const QString& text,
                              int status) {
    // The first end asked for is the one that happens: a second one while its message is open
    // (a sound failing beneath a file error, say) shows nothing more.
    if (ending_ || ended_)
        return;
    ending_ = true;
    OpenEndingMessage(parent, title, text, status);
}

void Program::OpenEndingMessage(QWidget* parent, const QString& title, const QString& text,
                                int status) {
    auto answered = std::make_shared<bool>(false);
    if (parent != nullptr) {
        // A box goes with its parent. Should the screen beneath go first, the message opens
        // again on its own, so that it is read and the end still comes.
        connect(parent, &QObject::destroyed, this, [this, answered, title, text, status] {
            if (*answered || ended_)
                return;
            QTimer::singleShot(0, this, [this, title, text, status] {
                if (!ended_)
                    OpenEndingMessage(nullptr, title, text, status);
            });
        });
    }
    messages().Inform(parent, title, text, [this, answered, status] {
        *answered = true;
        EndProgram(status);
    });
}

void Program::EndProgram(int status) {
    if (ended_)
        return;
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
