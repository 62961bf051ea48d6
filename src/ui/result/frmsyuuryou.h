#pragma once
// The result screen ("終了") of a recorded run: the evaluation's lines, message and sounds, the
// goal picture, and half a second later the way on - back to the menu, or the same level once
// more unless the pupil has practised a cleared level too much, or a practice of the run's
// mistakes. The screen shows the inputs it is given and announces the way the pupil chooses;
// the program takes it. The sounds report their end and nothing here waits.

#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "mistakes/mistake_practice.h"
#include "results/result_evaluation.h"

class QFrame;
class QLabel;
class QLayout;
class QVBoxLayout;
class QPushButton;

namespace kagaku {
class CuePlayer;
}

namespace kagaku::ui {

class MistakePracticeOffer;

class FrmSyuuryou final : public QWidget {
    Q_OBJECT

public:
    // inputs: the run just recorded, with the standing rebuilt from the score file;
    // practice: the problems missed in the run, offered with the way on (none, no offer).
    FrmSyuuryou(RunResultInputs inputs, std::optional<MistakePractice> practice,
                std::uint32_t seasonColour, CuePlayer& cues);

    // The activation: shows the result, starts the half-second timer and plays the sounds,
    // one after another.
    void EvaluateRun();
    // The timer's one tick (Timer1): the buttons and the over-practice rule, at once or, while
    // a sound still plays, as soon as the last sound ends.
    void OnTimer();

    const RunResult& Result() const { return result_; }
    QTimer& Timer1() { return timer1_; }

Q_SIGNALS:
    // The last sound has ended (at once when there is none).
    void soundsEnded();
    // メニューへ.
    void toMenu();
    // もう一度: the same level once more. Once only; the buttons are disabled with it.
    void againAsked();
    // 間違えた問題を練習, with the problems to practise.
    void mistakePracticeAsked(const kagaku::MistakePractice& practice);

private:
    QFrame* BuildPanel(std::optional<MistakePractice> practice);
    void BuildLines(QWidget* panel, QVBoxLayout* panelLayout);
    QLayout* BuildButtonRow(QWidget* panel);
    void BuildPracticeOffer(MistakePractice practice, QWidget* panel, QVBoxLayout* panelLayout);
    QWidget* BuildGoalPicture();
    void PlaySound(std::size_t index);
    void OfferWayOn();
    void MenuClicked();   // Command4
    void AgainClicked();  // Command5

    CuePlayer& cues_;
    RunResultInputs inputs_;
    RunResult result_;
    QTimer timer1_;
    bool evaluated_ = false;
    bool playingSounds_ = false;
    bool wayOnDue_ = false;   // the timer fell while a sound played
    bool wayChosen_ = false;  // メニューへ or もう一度 was pressed

    QLabel* programLine_;       // Label15: the program's name
    QLabel* levelLine_;         // Label16: the level
    QLabel* pupilLine_;         // Label17: the pupil
    QLabel* levelRunsLine_;     // Label13: runs of the level
    QLabel* dayRunsLine_;       // Label14: runs of the day
    QLabel* timeLine_;          // Label18: the time
    QLabel* pointsLine_;        // Label19: the points
    QLabel* messageLabel_;      // Label20: 最高新記録, 時間切れ ...
    QLabel* clearedLabel_;      // Label2: このレベルクリア
    QWidget* goalPicture_;      // Picture1: 目標レベルクリア
    QPushButton* menuButton_;   // Command4: メニューへ
    QPushButton* againButton_;  // Command5: もう一度
    // "間違えた問題を練習": the problems missed in the run, offered with the way on.
    MistakePracticeOffer* practiceOffer_ = nullptr;
};

}  // namespace kagaku::ui
