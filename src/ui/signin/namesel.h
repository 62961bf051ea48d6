#pragma once
// The name screen: the pupil finds his or her name in the school's list (with two running
// totals beside every name), narrows it to a grade if wanted and confirms with O.K. The screen
// shows what it is given and announces what the pupil chose: signedIn (the program signs the
// pupil in and opens the level menu), leaveAsked (back to the family's menu program), and
// versionAsked (the version dialog, after which the program calls Activate).
//
// What may happen meanwhile: while the list is read, and during the pauses after a roster
// fault (retried from a timer), no name stands chosen, so O.K. only sounds the cue and the exit
// waits for the list; a mode or grade chosen meanwhile starts a newer rebuild and the older one
// ends at its next pause. Once O.K. has signed someone in, it hides, and no key, click or
// double click starts a second sign-in.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/errors.h"
#include "records/aggregates.h"
#include "roster/roster_tables.h"
#include "roster/name_list.h"
#include "roster/sign_in.h"
#include "sound/cue_player.h"
#include "state/program_setup.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kagaku::ui {

class MessageBoxes;
class RecordFileTask;

class namesel final : public QWidget {
    Q_OBJECT

public:
    // What the screen reads, and what its list refreshes: the standing from the score file and
    // the roster tables (both the program's).
    struct Inputs {
        const ProgramSetup& setup;
        ScoreAggregates& standing;
        RosterTables& roster;
        const Clock& clock;
        MessageBoxes& messages;
        CuePlayer& cues;
    };
    explicit namesel(Inputs inputs, QWidget* parent = nullptr);

    // 名簿表示: re-aggregates the records, reads the roster and rebuilds the lists.
    void ShowRoster();
    // The screen comes to the front again: the points mode, a fresh list and the prompt.
    void Activate();

    // How long one second of the fault pause lasts (tests shorten it).
    static int pauseMillisecondsPerSecond;

Q_SIGNALS:
    // O.K. (or "1", Enter, a double click) with the pupil chosen; the screen stands covered.
    void signedIn(std::int16_t pupil);
    // The exit to the family's menu program ("0" or Command7), once the list stands.
    void leaveAsked();
    // A click on the title.
    void versionAsked();
    // The grade the board's lists start from: the box's choice, or every grade when the
    // screen comes to the front.
    void gradeFilterChosen(const std::string& grade);
    // The score file could not be read; the screen does nothing more.
    void fileFailed(const kagaku::DataFileError& error);
    // The sixth roster fault of one rebuild: the message to end the program with.
    void listGaveUp(const QString& message);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Builders of the constructor.
    void BuildModes();
    void BuildGradeBox();
    void BuildNameList();
    void BuildChosenName();
    void BuildButtons();
    void LayOut();
    void BuildCover(const QPalette& palette);

    void FormLoad();
    void TryRoster(int generation);
    void AfterPause(int generation);
    void ShowList(NameList built);
    void End();
    void OnListClick(int row);
    void OnListDoubleClick(int row);
    void OnOk();
    void OnExit();
    void OnModeChosen(int index);
    void OnGradeChosen();
    void ShowCover(bool shown);
    void ShowPrompt();
    bool HandleKey(QKeyEvent* event);

    Inputs inputs_;
    QFrame* panel_ = nullptr;                  // Picture6
    QLabel* title_ = nullptr;                  // Label4
    QFrame* modeFrame_ = nullptr;              // Frame1
    QButtonGroup* modes_ = nullptr;
    std::vector<QRadioButton*> modeButtons_;   // Option1(0..3)
    QComboBox* gradeBox_ = nullptr;            // Combo1
    QListWidget* nameList_ = nullptr;          // List1
    QLabel* chosenName_ = nullptr;             // Label1
    QPushButton* okButton_ = nullptr;          // Command14
    QPushButton* exitButton_ = nullptr;        // Command7
    QFrame* cover_ = nullptr;                  // Picture5
    NameList rows_;                            // List1 and List3 as last built
    std::optional<std::int16_t> chosenPupil_;  // Label2: the pupil of the chosen row
    int listMode_ = 0;
    bool loaded_ = false;
    int rebuildGeneration_ = 0;  // counts rebuilds started, so an outdated one is dropped
    bool rebuilding_ = false;    // the list is being read (or paused after a fault)
    NameListRebuild rebuild_;    // the faults of the rebuild under way
    QPointer<RecordFileTask> aggregation_;  // the records' aggregation while it waits
    std::optional<DataFileError> aggregateFault_;
    bool ended_ = false;  // the program is ending; the screen does nothing more
};

}  // namespace kagaku::ui
