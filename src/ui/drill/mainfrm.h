#pragma once
// The drill screen: a timed drill (even levels) or practice (odd levels) of one level. It turns
// key presses, clicks and the one-second clock into calls of the drill logic and shows what the
// logic returns. It announces how the run ended - finished (completed or timed out), given up,
// practice ended - and the program takes the road on from there.
//
// Nothing here waits: the give-up messages and the answer cues report their end through a
// callback, and the screen decides what may happen meanwhile. The clock keeps counting under
// a give-up message and under a cue, but the run does not end beneath either: a time-out that
// falls meanwhile ends the run once the message is answered (a run given up records nothing)
// or the cue has ended. While the cue of a right answer plays, the answered question stays on
// screen and keys are ignored; the next question comes at the cue's end. From the moment a run
// starts ending, keys, clicks and ticks do nothing more.

#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "drill/practice_session.h"
#include "drill/problem_set.h"
#include "drill/run_clock.h"
#include "drill/timed_drill.h"
#include "mistakes/run_mistakes.h"
#include "state/current_run.h"
#include "state/program_setup.h"
#include "state/signed_in.h"

class QLabel;
class QLayout;
class QPushButton;

namespace kagaku {
class CuePlayer;
}

namespace kagaku::ui {

class FormulaView;
class MessageBoxes;
class TimeBarView;

// What the drill screen uses beside its inputs; all outlive the screen.
struct DrillServices {
    const Clock& clock;
    RandomSource& random;  // the order of the questions
    CuePlayer& cues;
    MessageBoxes& messages;
};

class MainFrm final : public QWidget {
    Q_OBJECT

public:
    // level: the level to play, a practice level (by its name) or a timed one; problems: its
    // problem set, already loaded (a level that cannot be loaded is refused before the screen
    // is made). setup and signIn are read while the screen lives; the run's wrong answers are
    // noted in mistakes, which the program keeps for the result screen.
    MainFrm(int level, ProblemSet problems, const ProgramSetup& setup, const SignedIn& signIn,
            MistakesOfRun& mistakes, DrillServices services);
    ~MainFrm() override;

    // Sets the screen up for the level and asks the first question (or shows the first
    // practice problem); on a timed level the clock starts.
    void Activate();

    // One tick of the one-second clock (the timer calls it; tests may call it after moving
    // the clock on).
    void OnClockTick();
    // The end of a timed run: the clock stops, the cover shows "成績記録中" or "時間切れ" and
    // runFinished announces how the run stood. Once only; later calls do nothing.
    void EndRun();

    bool IsPractice() const { return practice_ != nullptr; }
    const TimedDrill* Drill() const { return drill_.get(); }
    const PracticeSession* Practice() const { return practice_.get(); }
    // How the run stands: the level, the problems, the clock, the time limit and the flags.
    const CurrentRun& Run() const { return run_; }
    // The drill takes keys: no right answer's cue is awaited and the run is not ending.
    bool TakesKeys() const {
        return drill_ != nullptr && !done_ && run_.RunEnding != 1 && !awaitingNextQuestion_;
    }
    QTimer& ClockTimer() { return clockTimer_; }

Q_SIGNALS:
    // A timed run has ended, completed or timed out (RunEnding is set); the cover stays up
    // until the screen is closed.
    void runFinished(const kagaku::CurrentRun& run);
    // The pupil gave the run up: nothing is to be recorded.
    void runGivenUp();
    // 練習終わり, or the last problem learnt.
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
    void AnsweredRight();
    void AnsweredWrong();
    // Plays the cue of a right or wrong answer; ended runs at its end unless the run has
    // ended meanwhile.
    void PlayAnswerCue(bool right, std::function<void()> ended);
    // Ends the run now, or once the give-up message is answered and the cues have ended.
    void EndRunWhenFree();
    void ShowGiveUpMessages(std::shared_ptr<const std::vector<std::string>> messages,
                            std::size_t next, bool givenUp);
    void ShowQuestion();
    void ShowPractice();
    void ChargeButtonClicked(int index);
    void ContinueAfterCorrection();  // Command5
    void PracticeNext();             // Command6
    void PracticeShowAnswer();       // Command7
    void PracticeEnd();              // Command8
    void PracticeLearnt();           // Command9
    void GiveUpClicked();            // Command10
    std::filesystem::path GiveUpLog() const;

    // The inputs and services.
    const ProgramSetup& setup_;
    const SignedIn& signIn_;
    MistakesOfRun& mistakes_;
    DrillServices services_;
    ProblemSet problems_;

    // The run.
    CurrentRun run_;
    std::unique_ptr<TimedDrill> drill_;
    std::unique_ptr<PracticeSession> practice_;
    std::unique_ptr<RunClock> runClock_;
    QTimer clockTimer_;
    // The run's outcome has been announced (or the screen closed): nothing more happens here.
    bool done_ = false;
    // The time of a completed run was taken at its last answer.
    bool timeTaken_ = false;
    // The give-up messages are open.
    bool giveUpOpen_ = false;
    // Answer cues still playing.
    int cuesPlaying_ = 0;
    // A right answer's cue plays and the next question comes at its end.
    bool awaitingNextQuestion_ = false;
    // The run is to end once the give-up messages are answered and the cues have ended.
    bool endDue_ = false;

    QLabel* programLabel_;               // sLabel2
    QLabel* levelLabel_;                 // Label6
    QLabel* pupilLabel_;                 // Label5
    QLabel* questionLabel_;              // Label3
    QLabel* repeatLabel_;                // Label4: the repeat notice
    QLabel* remainingLabel_;             // Label7: problems left
    QLabel* clockLabel_;                 // Label8
    FormulaView* answerView_;            // Picture1: the composed answer (practice: the answer)
    QWidget* correctionPanel_;           // Correction: its caption, Picture2 and Command5
    FormulaView* correctAnswerView_;     // Picture2
    QPushButton* correctionNextButton_;  // Command5: 次へ after a correction
    std::array<QPushButton*, kChargeButtons> chargeButtons_{};  // Label1(0..3)
    std::array<QLabel*, kChargeButtons> chargeHints_{};         // Label2(0..3)
    QPushButton* practiceNextButton_;    // Command6: 次へ in practice
    QPushButton* showAnswerButton_;      // Command7: 答え表示
    QPushButton* endPracticeButton_;     // Command8: 練習終わり
    QPushButton* learntButton_;          // Command9: 覚えた
    QPushButton* giveUpButton_;          // Command10: ギブアップ
    TimeBarView* timeBar_;               // TimeBar
    QWidget* cover_;                     // sPicture2: the cover at the end of a run
    QLabel* recordingNotice_;            // lblsss1: 成績記録中
    QLabel* timeUpNotice_;               // lblsss2: 時間切れ
};

}  // namespace kagaku::ui
