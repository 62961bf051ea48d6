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
class QLayout;
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
    // The screen's parts, top to bottom, and their connections.
    QLayout* BuildHeading();
    QWidget* BuildQuestion();
    QLayout* BuildProgress();
    QWidget* BuildCorrection();
    QLayout* BuildButtonRow();
    QLayout* BuildClockRow();
    void BuildCover();
    void ConnectControls();

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

    QLabel* programLabel_;                 // sLabel2
    QLabel* levelLabel_;                   // Label6
    QLabel* pupilLabel_;                   // Label5
    QLabel* questionLabel_;                // Label3
    QLabel* repeatLabel_;                  // Label4: the repeat notice
    QLabel* remainingLabel_;               // Label7: problems left
    QLabel* clockLabel_;                   // Label8
    FormulaView* answerView_;              // Picture1: the composed answer (practice: the answer)
    QWidget* correctionPanel_;             // Correction: its caption, Picture2 and Command5
    FormulaView* correctAnswerView_;       // Picture2
    QPushButton* correctionNextButton_;    // Command5: 次へ after a correction
    std::array<QPushButton*, kChargeButtons> chargeButtons_{};  // Label1(0..3)
    std::array<QLabel*, kChargeButtons> chargeHints_{};         // Label2(0..3)
    QPushButton* practiceNextButton_;      // Command6: 次へ in practice
    QPushButton* showAnswerButton_;        // Command7: 答え表示
    QPushButton* endPracticeButton_;       // Command8: 練習終わり
    QPushButton* learntButton_;            // Command9: 覚えた
    QPushButton* giveUpButton_;            // Command10: ギブアップ
    TimeBarView* timeBar_;                 // TimeBar
    QWidget* cover_;                       // sPicture2: the cover at the end of a run
    QLabel* recordingNotice_;              // lblsss1: 成績記録中
    QLabel* timeUpNotice_;                 // lblsss2: 時間切れ
};

}  // namespace kagaku::ui
