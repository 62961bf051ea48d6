#pragma once
// The result screen ("終了") of a recorded run: the evaluation's lines, message and sounds, the
// goal picture, and half a second later the way on - back to the menu, or the same level once
// more unless the pupil has practised a cleared level too much.

#include <QTimer>
#include <QWidget>

#include "results/result_evaluation.h"

class QLabel;
class QPushButton;

namespace kagaku::ui {

class MistakePracticeOffer;
class Program;

class FrmSyuuryou final : public QWidget {
    Q_OBJECT

public:
    explicit FrmSyuuryou(Program& program);

    // The activation: rebuilds the standing with the run just stored, shows the result,
    // starts the half-second timer and plays the sounds.
    void EvaluateRun();
    // The timer's one tick (Timer1): the buttons and the over-practice rule, at once or, while
    // a sound still plays, as soon as the last sound ends.
    void OnTimer();

    const RunResult& Result() const { return result_; }
    QTimer& Timer1() { return timer1_; }

private:
    void OfferWayOn();
    void MenuClicked();   // Command4
    void AgainClicked();  // Command5

    Program& program_;
    RunResultInputs inputs_;
    RunResult result_;
    QTimer timer1_;
    bool evaluated_ = false;
    bool playingSounds_ = false;
    bool wayOnDue_ = false;  // the timer fell while a sound played

    QLabel* label15_;
    QLabel* label16_;
    QLabel* label17_;
    QLabel* label13_;
    QLabel* label14_;
    QLabel* label18_;
    QLabel* label19_;
    QLabel* label20_;
    QLabel* label2_;
    QWidget* picture1_;
    QPushButton* command4_;
    QPushButton* command5_;
    // "間違えた問題を練習": the problems missed in the run, offered with the way on.
    MistakePracticeOffer* practiceOffer_ = nullptr;
};

}  // namespace kagaku::ui
