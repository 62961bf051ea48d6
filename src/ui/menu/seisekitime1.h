#pragma once
// The level menu with its score board: one column per level (number, name, start button, the
// pupil's runs and points, the pass rule and the level's score list), the display and list
// choices above them, and the covers shown while the board is rebuilt. Every time the menu is
// shown it re-aggregates the records and rebuilds the counts, locks and lists.

#include <QPointer>
#include <QWidget>
#include <vector>

#include "board/score_board.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kagaku::ui {
class DetailView;
class MistakePracticeOffer;
class MistakeRankingPanel;
}

namespace kagaku::ui {

class DataPanel;
class Program;

class seisekitime1 final : public QWidget {
    Q_OBJECT

public:
    explicit seisekitime1(Program& program);

    // The refresh of every activation: records, counts, scroll position, locks, best times.
    void Refresh();
    // A number key or a start button: starts the level when its button is enabled.
    void StartLevel(int level);
    bool keysReady() const { return keysReady_; }
    // The teacher's data panel (the program opens the forms it asks for).
    DataPanel& dataPanel() const { return *dataPanel_; }

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

    void BuildColumns();
    void PlaceColumns();
    void ShowFullCover(bool shown);
    void ShowListCover(bool shown);
    void ClearBoard();
    void DisplaySwitch(int index);
    void ListSwitch(int option);
    void Fill(BoardList list);
    void ApplyLocks();
    void Back();
    Column& At(int level) { return columns_[static_cast<std::size_t>(level)]; }

    Program& program_;
    QLabel* title_ = nullptr;         // Label11
    QLabel* gradeName_ = nullptr;     // Label12
    QLabel* schoolNumber_ = nullptr;  // Label13
    QLabel* minutes_ = nullptr;       // Label17
    QLabel* todayTotal_ = nullptr;    // Label18
    QPushButton* back_ = nullptr;     // Command1
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
    QScrollBar* scroll_ = nullptr;          // HScroll1
    QFrame* fullCover_ = nullptr;           // Picture2
    QProgressBar* fullProgress_ = nullptr;  // ProgressBar1
    QFrame* listCover_ = nullptr;           // Picture6
    QProgressBar* listProgress_ = nullptr;  // ProgressBar2
    std::vector<Column> columns_;           // by level, entry 0 unused
    int boardMode_ = 1;
    bool keysReady_ = false;
    bool starting_ = false;  // a level is being started; further starts are ignored
    bool activationInProgress_ = false;
    bool refreshed_ = false;
    DataPanel* dataPanel_ = nullptr;  // Command8 and Picture7: the teacher's data panel

    // ---- detail view ----
    void PlaceDetail();
    QPushButton* graph_ = nullptr;  // Command17: "グラフ", on the own-runs display
    DetailView* detail_ = nullptr;  // Picture11
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
