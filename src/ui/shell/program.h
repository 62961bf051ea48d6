#pragma once
// The running program: owns the parts of the program's state and the services, and moves the
// pupil from screen to screen. Screens are created when shown and destroyed when closed;
// everything that must outlive a screen lives in one of the parts below or in the data files:
//   setup()        what start-up loaded (folders, common and level settings, catalogue, sounds)
//   signIn()       the pupil signed in, since when, and the teacher's password
//   run()          the level being played, its clock and its result
//   board()        what the level menu's score board shows (period, grades, scroll, ranking)
//   standing()     the counts, points and best times rebuilt from the score file
//   roster()       the roster the name screen read
//   runMistakes()  the wrong answers of the run, for the result screen's practice
//
// The screens (one class each, named as the program names them, in ui/ by stage: shell,
// signin, menu, drill, result, teacher), what each announces, and the logic they bind to:
//   Firstfrm      splash: today's era date and the season colour; startUpDue, and StartUp
//                 here loads state/configuration.h (state/start_up.h)
//   namesel       name screen: the pupil finds his or her name; signedIn (SignIn here),
//                 leaveAsked (the family's menu program), versionAsked (frmver)
//                 (roster/name_list.h, roster/sign_in.h)
//   seisekitime1  level menu and score board: level columns, locks, run lists and rankings;
//                 levelChosen (StartDrill), mistakePracticeAsked, signOutAsked (namesel)
//                 (board/level_menu.h, board/level_locks.h, board/score_board.h)
//   DetailView    the level menu's report panel: a pupil's run charts and figures, printed
//                 or saved as PDF by the teacher (board/detail_report.h; drawn by
//                 report_painter.h)
//   DataPanel     the teacher's data panel on the level menu: says which of the forms below,
//                 the backups or よく間違える問題 the teacher asked for
//   MistakeRankingPanel  よく間違える問題 over the level columns: the problems the class or a
//                 pupil misses most, printed or saved as PDF one page a level
//                 (mistakes/mistake_ranking.h, mistakes/mistake_views.h; drawn by
//                 mistake_pages_painter.h)
//   MistakePracticeOffer  間違えた問題を練習 on the result screen and in the menu's practice
//                 columns: starts the drill's practice on the missed problems
//                 (mistakes/mistake_practice.h)
//   TeacherPasswordDialog  asks for the teacher's password, when one is set, before the data
//                 panel, printing or PDF files open (admin/teacher_password.h)
//   FrmTimeData   level settings editor; settingsSaved (put in force here), closed
//                 (admin/settings_editor.h, admin/time_distribution.h)
//   FrmData       score record manager; changeBackupTaken (kept in the sign-in), closed
//                 (admin/record_manager.h)
//   BackupRestoreDialog  バックアップから戻す over the level menu: the score file's backups
//                 and the restore of one (records/backups.h)
//   MainFrm       drill: questions, typed answers with the formula display, the clock and
//                 give-up; announces runFinished, runGivenUp or practiceEnded, and the
//                 program records a finished run (drill/timed_drill.h,
//                 drill/practice_session.h, drill/give_up.h, drill/run_clock.h,
//                 drill/run_frame.h, records/finished_run.h)
//   BASEFRM       cover: hides the change from the drill to the result and back (no logic)
//   FrmSyuuryou   result: points, messages and sounds of the recorded run, then toMenu,
//                 againAsked (the same level once more) or mistakePracticeAsked
//                 (results/result_evaluation.h)
//   frmver        version dialog over the name screen (state/start_up.h)
// The road: Firstfrm -> namesel -> seisekitime1 -> MainFrm -> BASEFRM -> FrmSyuuryou ->
// seisekitime1 (or MainFrm again); a practice of mistakes goes from FrmSyuuryou or seisekitime1
// to MainFrm and back to where it started. The name screen's exit ends the program. The
// teacher's forms take seisekitime1's place when its data panel asks for them and give it
// back; the backups open over it and, after a restore, the menu is shown afresh.
//
// No handler runs an event loop of its own. Message boxes and dialogs open window-modal and
// answer through a callback; sounds start and report their end through one
// (sound/cue_player.h); a wait for a busy score file retries from a timer with the screen
// drawn and covered (record_file_task.h); a message that ends the program ends it from its
// callback. Each screen decides what a tick or a click that arrives meanwhile may do, and a
// screen that goes is deleted on close. Start-up lives in program.cpp, sign-in and the menu
// in program_flow_menu.cpp, drill and result in program_flow_drill.cpp, the practice of
// mistakes in program_flow_mistakes.cpp, the teacher's forms in program_flow_teacher.cpp.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "board/board_data.h"
#include "common/clock.h"
#include "common/errors.h"
#include "drill/problem_set.h"
#include "mistakes/mistake_notes.h"
#include "mistakes/mistake_practice.h"
#include "platform/program_launcher.h"
#include "sound/cue_player.h"
#include "mistakes/run_mistakes.h"
#include "records/aggregates.h"
#include "records/record_file_waiter.h"
#include "roster/roster_tables.h"
#include "state/board_choices.h"
#include "state/current_run.h"
#include "state/program_setup.h"
#include "state/signed_in.h"
#include "ui/shell/services.h"
#include "ui/teacher/teacher_password_dialog.h"

namespace kagaku::ui {

class Firstfrm;
class MainFrm;
class DataPanel;

class Program final : public QObject, private ProgramStopper {
    Q_OBJECT

public:
    struct Services {
        Clock* clock = nullptr;
        RandomSource* random = nullptr;
        MessageBoxes* messages = nullptr;
        SoundDevice* sound = nullptr;
        ProgramLauncher* launcher = nullptr;
    };

    // programFolder is the folder the program file is in; the data tree is found from it.
    Program(std::filesystem::path programFolder, Services services);
    ~Program() override;

    // Read-only after start-up; the few later changes go through the members below.
    const ProgramSetup& setup() const { return setup_; }
    SignedIn& signIn() { return signIn_; }
    CurrentRun& run() { return run_; }
    BoardChoices& board() { return board_; }
    ScoreAggregates& standing() { return aggregates_; }
    RosterTables& roster() { return roster_; }
    MistakesOfRun& runMistakes() { return runMistakes_; }
    // What the level menu's board reads: setup, sign-in, standing and roster.
    BoardData boardData() const { return {setup_, signIn_, aggregates_, roster_}; }

    // The changes to the setup after start-up, each made by its one place: the splash sets the
    // season colour, the sign-in builds the level catalogue, the level menu gives practice
    // levels their fixed times, and the settings editor keeps what it saved.
    void SetSeasonColour(std::uint32_t colour) { setup_.SeasonColour = colour; }
    void BuildLevelCatalogue();
    void ApplyPracticeTargets();
    LevelSettings& editedLevelSettings() { return setup_.Settings; }
    // Rebuilds the standing from the program's score file and settings.
    void RebuildStanding(RecordFileWaiter& waiter);
    // Records the run just finished on level (ResultTime set) and sets the run's result flags.
    // Throws DataFileError when the append fails and the waiter gives up.
    void RecordFinishedRun(int level, RecordFileWaiter& waiter);
    // Where the run's mistakes are logged: the data folder, the pupil and the level played.
    MistakeLogPlace mistakeLogPlace() const {
        return {setup_.ProgramDataFolder, signIn_.PupilNumber, run_.CurrentLevel};
    }
    const Clock& clock() const { return *services_.clock; }
    RandomSource& random() { return *services_.random; }
    // Message boxes: each opens over its parent and answers through a callback.
    MessageBoxes& messages() { return *services_.messages; }
    CuePlayer& cues() { return *cues_; }
    const std::filesystem::path& programFolder() const { return programFolder_; }

    // Shows the splash, which runs StartUp 100 ms after the event loop has taken over.
    void Start();
    // Start, then the event loop until the program ends; returns the exit status. An end asked
    // for before the loop runs (which QCoreApplication::exit would ignore) is returned at once.
    int Run();
    // Loads the configuration and shows the first working screen. On a damaged or missing
    // file it shows a message naming the file and the problem and ends the program with
    // status 1.
    void StartUp();

    // ---- sign-in and level menu (program_flow_menu.cpp) ----
    // Shows the new screen in front, then closes the one it replaces.
    void ShowScreen(QWidget* screen);
    // The splash on today's season colour (which every later screen takes), wired to StartUp;
    // it is the screen in front until the name screen replaces it.
    Firstfrm* MakeSplash();
    // The name screen, the first working screen after start-up, and again after 戻る(0).
    void ShowNameScreen();
    // O.K. on the name screen: signs the pupil in, builds the level catalogue and opens the
    // level menu.
    void SignIn(std::int16_t pupil);
    // The level menu, after sign-in and whenever a drill or result returns to it.
    void ShowLevelMenu();
    // The name screen's exit: starts the family's menu program and ends this program; when it
    // is missing or cannot start, says so and ends all the same.
    void LeaveForMenuProgram(QWidget* parent);
    // Shows the message (OK button only) and returns at once; the program ends with the status
    // when the message is answered.
    void EndWithMessage(QWidget* parent, const QString& text, int status);
    // ---- end of sign-in and level menu ----

    // ---- drill and result (program_flow_drill.cpp) ----
    // Starts a run of the level: resets the run and shows the drill screen, or refuses a level
    // that cannot run with a message and returns to the menu.
    void StartDrill(int level);
    // Rebuilds the standing with the run just recorded and shows its result screen.
    void ShowResultScreen();
    // Developer entry (and tests): signs the pupil in without the name screen, rebuilds the
    // standing from the records and starts the level.
    void StartDrillFor(int pupilNumber, const std::string& pupilName, int level);
    // ---- end of drill and result ----

    // ---- teacher's forms (program_flow_teacher.cpp) ----
    // The teacher's password in front of the teacher's functions: asked once per sign-in where
    // one is set, counted for the whole program run.
    PasswordGate TeacherPasswordGate();
    // Wires a level menu's data panel: each form it asks for opens from here.
    void ConnectDataPanel(DataPanel& panel, QWidget* menu);
    // The score record manager in place of the level menu; its 戻る shows the menu again.
    void ShowRecordManager();
    // The level settings editor in place of the level menu; a save puts the settings in force
    // at once, and its 戻る shows the menu again.
    void ShowLevelSettingsEditor();
    // The score file's backups, window-modal over the menu; after a restore the menu is shown
    // afresh on the restored records.
    void OpenBackupRestore(QWidget* menu);
    // ---- end of teacher's forms ----

    // ---- practice of mistakes (program_flow_mistakes.cpp) ----
    enum class PracticeReturn { ResultScreen, LevelMenu };
    // Runs the drill's practice on the subset under its practice level, recording nothing.
    // 練習終わり (or learning the last problem) returns to the result screen it came from, kept
    // as it was meanwhile, or to a fresh level menu.
    void StartMistakePractice(const MistakePractice& practice, PracticeReturn back);
    // ---- end of practice of mistakes ----

    // The cover shown between the drill and the result.
    void ShowBaseScreen();
    void CloseBaseScreen();
    // Opens the version dialog window-modal, centred on parent, and returns at once; closed
    // runs once it has been closed (never when parent has gone first).
    void ShowVersionDialog(QWidget* parent, std::function<void()> closed = {});

    // Shows the message for a data file that failed and returns at once; the program ends
    // with status 1 when the message is answered.
    void EndWithFileError(const DataFileError& error, QWidget* parent = nullptr);

    // The screen in front (for tests and for centring dialogs).
    QWidget* currentScreen() const { return current_; }
    void SetCurrentScreen(QWidget* screen) { current_ = screen; }

    int exitStatus() const { return exitStatus_; }
    // True from the moment a message that ends the program opens: the screens beneath keep
    // their timers meanwhile, and a tick must not start anything (end a run, record it).
    bool ending() const { return ending_ || ended_; }

private:
    // ---- drill and result (program_flow_drill.cpp) ----
    MainFrm* MakeDrillScreen(int level, ProblemSet problems);
    // A timed run has ended on the drill screen: keeps how it stood, records it, then the
    // cover for a second and the result.
    void FinishRun(QPointer<MainFrm> drill, const CurrentRun& run);
    void OpenResultScreen();
    // ---- end of drill and result ----

    // Shows the 音声エラー message; the program ends with status 3 when it is answered.
    void StopWithMessage(const std::string& title, const std::string& text) override;
    // The one way a message ends the program: the first asked for wins, later ones show
    // nothing.
    void EndAfterMessage(QWidget* parent, const QString& title, const QString& text, int status);
    void OpenEndingMessage(QWidget* parent, const QString& title, const QString& text,
                           int status);
    void EndProgram(int status);

    std::filesystem::path programFolder_;
    Services services_;
    ProgramSetup setup_;
    SignedIn signIn_;
    CurrentRun run_;
    BoardChoices board_;
    ScoreAggregates aggregates_;
    RosterTables roster_;
    MistakesOfRun runMistakes_;
    std::unique_ptr<CuePlayer> cues_;
    QPointer<QWidget> current_;
    QPointer<QWidget> base_;
    int exitStatus_ = 0;
    bool ended_ = false;
    bool ending_ = false;  // a message that ends the program is open
};

}  // namespace kagaku::ui
