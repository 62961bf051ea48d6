#pragma once
// The practice mode of the drill screen: the pupil pages through the problem set in file
// order, reveals each answer and marks problems as learnt ("覚えた"); learnt problems are
// skipped, and practice ends when all are learnt. Untimed and never recorded. The screen
// forwards its three practice buttons here and shows what the accessors return.

#include <string>
#include <vector>

#include "drill/problem_set.h"

namespace kagaku {

class PracticeSession {
public:
    explicit PracticeSession(ProblemSet problems);

    // The practice buttons the screen shows, and the one holding the focus.
    enum class Button { Next, ShowAnswer, Learnt };

    // "次へ" (also the start of practice): the next problem not yet learnt, wrapping from the
    // last to the first; its question is shown and the answer picture cleared.
    void Next();
    // "答え表示": the answer is drawn; "次へ" and "覚えた" appear.
    void ShowAnswer();
    // "覚えた": marks the problem on screen learnt. Returns true when every problem is now
    // learnt - practice is over and the level menu returns - otherwise moves on as "次へ".
    bool MarkLearnt();

    bool Finished() const { return learntCount_ >= problems_.Count(); }
    int PracticeIndex() const { return index_; }  // 1-based; 0 before the start
    bool IsLearnt(int index) const { return learnt_[static_cast<std::size_t>(index - 1)]; }
    int LearntCount() const { return learntCount_; }
    std::string QuestionCaption() const;
    // The text for the answer picture: the answer after "答え表示", otherwise empty.
    std::string ShownAnswer() const;
    bool IsVisible(Button b) const;
    Button Focus() const { return answerShown_ ? Button::Next : Button::ShowAnswer; }
    // Problems not yet learnt, as the remaining-problems label shows it.
    std::string RemainingCaption() const;
    const ProblemSet& Problems() const { return problems_; }

private:
    ProblemSet problems_;
    std::vector<bool> learnt_;
    int learntCount_ = 0;
    int index_ = 0;
    bool answerShown_ = false;
};

}  // namespace kagaku
