#pragma once
// The drill screen: a timed drill (even levels) or practice (odd levels) of one level. It turns
// key presses, clicks and the one-second clock into calls of the drill logic and shows what the
// logic returns; the end of a timed run records it and opens the result screen.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>

#include "drill/practice_session.h"
#include "drill/problem_set.h"
#include "drill/run_clock.h"
#include "drill/timed_drill.h"

class QLabel;
class QPushButton;

namespace kagaku::ui {

class Program;
class FormulaView;
class TimeBarView;

class MainFrm final : public QWidget {
    Q_OBJECT

public:
    // problems: the level's problem set, already loaded (a level that cannot be loaded is
    // refused before the screen is made).
    MainFrm(Program& program, ProblemSet problems);
    ~MainFrm() override;

    // Sets the screen up for CurrentLevel and asks the first question (or shows the first
    // practice problem); on a timed level the clock starts.
    void Activate();

    // One tick of the one-second clock (the timer calls it; tests may call it after moving
    // the clock on).
    void OnClockTick();
    // The end of a run: records a timed run and opens the result screen. Safe against a second
    // entry while it lets events run.
    void EndRun();
    // Ends the run if its time limit was reached while a handler let events run, once no
    // handler does any more.
    void EndRunIfDue();

    // 練習終わり (and learning the last problem) emits practiceEnded() instead of showing the
    // level menu: the practice of a subset returns to where it was started from.
    void EndPracticeBySignal() { practiceEndsBySignal_ = true; }

    bool IsPractice() const { return practice_ != nullptr; }
    const TimedDrill* Drill() const { return drill_.get(); }
    const PracticeSession* Practice() const { return practice_.get(); }
    QTimer& ClockTimer() { return clockTimer_; }

Q_SIGNALS:
    void practiceEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool HandleKey(QKeyEvent* event);
    void HandleOutcome(TimedDrill::Outcome outcome);
    void ShowQuestion();
    void ShowPractice();
    void ChargeButtonClicked(int index);
    void ContinueAfterCorrection();  // Command5
    void PracticeNext();             // Command6
    void PracticeShowAnswer();       // Command7
    void PracticeEnd();              // Command8
    void PracticeLearnt();           // Command9
    void GiveUpClicked();            // Command10
    void LeaveToMenu();
    std::filesystem::path GiveUpLog() const;

    Program& program_;
    ProblemSet problems_;
    std::unique_ptr<TimedDrill> drill_;
    std::unique_ptr<PracticeSession> practice_;
    std::unique_ptr<RunClock> runClock_;
    QTimer clockTimer_;
    bool leaving_ = false;
    bool practiceEndsBySignal_ = false;
    // The time limit was reached while a message box, a sound or a wait was open.
    bool endDue_ = false;

    QLabel* sLabel2_;        // program name
    QLabel* label6_;         // level
    QLabel* label5_;         // pupil
    QLabel* label3_;         // question
    QLabel* label4_;         // repeat notice
    QLabel* label7_;         // problems left
    QLabel* label8_;         // clock
    FormulaView* picture1_;  // the composed answer (practice: the answer)
    QWidget* correction_;    // the correction: caption, Picture2 and Command5
    FormulaView* picture2_;
    QPushButton* command5_;
    std::array<QPushButton*, kChargeButtons> chargeButtons_{};  // Label1(0..3)
    std::array<QLabel*, kChargeButtons> chargeHints_{};         // Label2(0..3)
    QPushButton* command6_;
    QPushButton* command7_;
    QPushButton* command8_;
    QPushButton* command9_;
    QPushButton* command10_;
    TimeBarView* timeBar_;
    QWidget* cover_;  // sPicture2 with lblsss1 / lblsss2
    QLabel* lblsss1_;
    QLabel* lblsss2_;
};

}  // namespace kagaku::ui
