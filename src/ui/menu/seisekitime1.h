#pragma once
// The level menu with its score board: one column per level (number, name, start button, the
// pupil's runs and points, the pass rule and the level's score list), the display and list
// choices above them, and the covers shown while the board is rebuilt. Every time the menu is
// shown it re-aggregates the records and rebuilds the counts, locks and lists.

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "board/board_data.h"
#include "board/score_board.h"
#include "common/clock.h"
#include "common/errors.h"
#include "mistakes/mistake_practice.h"
#include "records/aggregates.h"
#include "roster/roster_tables.h"
#include "state/board_choices.h"
#include "state/program_setup.h"
#include "state/signed_in.h"
#include "ui/teacher/teacher_password_dialog.h"

class QButtonGroup;
class QHBoxLayout;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kagaku {
struct LevelColumnTexts;
}

namespace kagaku::ui {
class DetailView;
class MistakePracticeOffer;
class MistakeRankingPanel;
}

namespace kagaku::ui {

class DataPanel;
class MessageBoxes;
class RecordFileTask;

class seisekitime1 final : public QWidget {
    Q_OBJECT

public:
    // What the menu reads, and what its refresh rebuilds (the standing from the score file) or
    // its choices change (the board's grade, period and scroll position, kept while the pupil
    // goes into a drill and back).
    struct Inputs {
        const ProgramSetup& setup;
        const SignedIn& signIn;
        ScoreAggregates& standing;  // rebuilt by every refresh
        RosterTables& roster;       // the detail view's pupil list re-reads it
        BoardChoices& board;        // the program's: the menu changes it as the pupil chooses
        const Clock& clock;
        MessageBoxes& messages;
        // The teacher's password in front of the data panel, printing and PDF files.
        PasswordGate passwordGate;
    };
    explicit seisekitime1(Inputs inputs, QWidget* parent = nullptr);

    // The refresh of every activation: records, counts, scroll position, locks, best times.
    void Refresh();
    // A number key or a start button: starts the level when its button is enabled.
    void StartLevel(int level);
    bool keysReady() const { return keysReady_; }
    // The teacher's data panel (the program opens the forms it asks for).
    DataPanel& dataPanel() const { return *dataPanel_; }

Q_SIGNALS:
    // A start button, a number key or a click on a level's name; the menu stands covered and
    // starts nothing more.
    void levelChosen(int level);
    // 間違えた問題を練習 in a practice column.
    void mistakePracticeAsked(const kagaku::MistakePractice& practice);
    // 戻る(0): back to the name screen.
    void signOutAsked();
    // The score file could not be read; the menu does nothing more.
    void fileFailed(const kagaku::DataFileError& error);
    // The refresh has come to where the practice levels take their fixed times (the program
    // writes them into the setup at once, before the columns are counted).
    void practiceTargetsDue();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Column {
        QWidget* box = nullptr;
        QLabel* number = nullptr;      // Label1
        QLabel* name = nullptr;        // Label3
        QPushButton* start = nullptr;  // Command4
        QLabel* ban = nullptr;         // Text1: "やりすぎ禁止"
        QLabel* todayHead = nullptr;   // Label9
        QLabel* allHead = nullptr;     // Label10
        QLabel* today = nullptr;       // Label14
        QLabel* all = nullptr;         // Label15
        QLabel* recent = nullptr;      // Label8
        QListWidget* list = nullptr;   // List5
        QLabel* rule = nullptr;        // Label7
        bool practice = false;
        // "間違えた問題を練習": the pupil's own mistakes of the category, in the practice
        // column's empty list space.
        MistakePracticeOffer* mistakes = nullptr;
    };

    // Builders of the constructor, top to bottom.
    QHBoxLayout* BuildHeader();
    QHBoxLayout* BuildChoices();
    QFrame* OptionRow(const char* frameName, const QString& optionName, int first,
                      const std::array<std::string, 3>& captions, QButtonGroup*& group,
                      std::vector<QRadioButton*>& options);
    QComboBox* BuildGradeBox();
    QComboBox* BuildPeriodBox();
    QPushButton* BuildDetailView();
    QWidget* BuildColumnArea();
    void BuildColumns();
    void BuildColumn(int level, const LevelColumnTexts& texts);
    void BuildStartButton(int level, Column& c, const LevelColumnTexts& texts);
    static void LayOutColumn(Column& c);
    static void HideRunCells(Column& c);

    void PlaceColumns();
    void ShowFullCover(bool shown);
    void ShowListCover(bool shown);
    void ClearBoard();
    void DisplaySwitch(int index);
    void ListSwitch(int option);
    void Fill(BoardList list);
    void ShowLists(BoardList list, const std::vector<RunRecord>& records);
    void ShowStanding();
    void ApplyLocks();
    bool MayStart(int level) const;
    void Back();
    void EndWithFileError(const DataFileError& error);
    Column& At(int level) { return columns_[static_cast<std::size_t>(level)]; }
    BoardData boardData() const {
        return {inputs_.setup, inputs_.signIn, inputs_.standing, inputs_.roster};
    }

    Inputs inputs_;
    QLabel* title_ = nullptr;         // Label11
    QLabel* gradeName_ = nullptr;     // Label12
    QLabel* schoolNumber_ = nullptr;  // Label13
    QLabel* minutes_ = nullptr;       // Label17
    QLabel* todayTotal_ = nullptr;    // Label18
    QPushButton* backButton_ = nullptr;  // Command1
    QFrame* displays_ = nullptr;      // Picture5
    QButtonGroup* displayGroup_ = nullptr;
    std::vector<QRadioButton*> displayOptions_;  // Option2(0..2)
    QFrame* lists_ = nullptr;                    // Picture1
    QButtonGroup* listGroup_ = nullptr;
    std::vector<QRadioButton*> listOptions_;  // Option1(1..3) at 0..2
    QComboBox* grades_ = nullptr;             // Combo1
    QComboBox* periods_ = nullptr;            // Combo2
    QLabel* heading_ = nullptr;               // Label5
    QWidget* columnArea_ = nullptr;
    QScrollBar* menuScroll_ = nullptr;      // HScroll1
    QFrame* fullCover_ = nullptr;           // Picture2
    QProgressBar* fullProgress_ = nullptr;  // ProgressBar1
    QFrame* listCover_ = nullptr;           // Picture6
    QProgressBar* listProgress_ = nullptr;  // ProgressBar2
    std::vector<Column> columns_;           // by level, entry 0 unused
    int boardMode_ = 1;
    bool keysReady_ = false;
    // The menu is going (a drill, a practice or the name screen comes): nothing more starts.
    bool leaving_ = false;
    bool ended_ = false;  // the program is ending with a file's message
    QPointer<RecordFileTask> fill_;  // the records of the list being filled, while they wait
    bool activationInProgress_ = false;
    bool refreshed_ = false;
    DataPanel* dataPanel_ = nullptr;  // Command8 and Picture7: the teacher's data panel

    // ---- detail view ----
    void PlaceDetail();
    QPushButton* graphButton_ = nullptr;  // Command17: "グラフ", on the own-runs display
    DetailView* detailView_ = nullptr;    // Picture11
    int pointsRankingKind_ = 0;     // the points ranking last shown: 1 cumulative, 2 today's
    // ---- end of detail view ----

    // ---- "よく間違える問題", opened from the teacher's data panel over the level columns ----
    void OpenMistakeRanking();
    void OfferOwnMistakes();
    bool MistakeRankingShown() const;
    QPointer<MistakeRankingPanel> mistakeRanking_;
    // ---- end of よく間違える問題 ----
};

}  // namespace kagaku::ui
