#pragma once
// The timed drill on the drill screen: problems are drawn at random, each must be answered
// correctly twice, and the run ends when every problem is completed. The screen forwards its
// key presses, charge-button clicks and the "次へ" click after a wrong answer here, and shows
// what the accessors return; it plays the correct or wrong sound on the matching outcome and
// starts the end of the run when AllDone() turns true.
//
// Progress of a problem: +1 for a correct answer, -1 for a wrong one but never below -2;
// completed at 2, after which it is never asked again. So a problem needs 1 to 4 more correct
// answers.

#include <string>

#include "common/clock.h"
#include "drill/answer_entry.h"
#include "drill/problem_set.h"

namespace kagaku {

inline constexpr int kProgressToComplete = 2;
inline constexpr int kProgressFloor = -2;

class TimedDrill {
public:
    enum class Outcome {
        Ignored,        // nothing changed
        AnswerChanged,  // redraw the composed answer
        Correct,        // play the correct sound; the next question is on (or AllDone())
        Wrong,          // play the wrong sound; show the correction and "次へ"
    };

    TimedDrill(ProblemSet problems, RandomSource& random);

    // Asks the first question. Returns false when there is nothing to ask.
    bool Start() { return NextQuestion(); }

    // A typed character (Enter and space judge, Backspace deletes). Ignored once the run is
    // done or while the correction shows.
    Outcome OnCharacter(char32_t c);
    // The arrow key and the charge function keys. Ignored while the correction shows.
    Outcome OnKey(DrillKey key);
    // A click on charge button 0..3. Ignored while the correction shows.
    Outcome OnChargeButton(int index);
    // "次へ" after a wrong answer: hides the correction and asks the next question.
    void ContinueAfterCorrection();

    bool AllDone() const { return allDone_; }
    bool ShowingCorrection() const { return showingCorrection_; }
    // 1-based index of the problem on screen; 0 before the first question.
    int CurrentProblem() const { return current_; }
    int PreviousProblem() const { return previous_; }
    // The question label: a space, then the question.
    std::string QuestionCaption() const;
    // "この問題あと2回出題": correct answers the problem on screen still needs.
    std::string RepeatCaption() const;
    // The problems still to do, as the remaining-problems label shows it.
    std::string RemainingCaption() const;
    int ProblemCount() const { return problems_.Count(); }
    int CompletedCount() const { return completed_; }
    const std::string& ComposedAnswer() const { return entry_.Text(); }
    // The answer of the problem on screen, drawn as the correction.
    const std::string& CorrectAnswer() const;
    // Progress of problem index (1-based).
    int Progress(int index) const { return progress_[static_cast<std::size_t>(index - 1)]; }
    const ProblemSet& Problems() const { return problems_; }

private:
    bool NextQuestion();
    int Draw(int done) const;
    Outcome Judge();

    ProblemSet problems_;
    RandomSource& random_;
    std::vector<int> progress_;
    AnswerEntry entry_;
    int current_ = 0;
    int previous_ = 0;
    int completed_ = 0;
    bool allDone_ = false;
    bool showingCorrection_ = false;
};

}  // namespace kagaku
