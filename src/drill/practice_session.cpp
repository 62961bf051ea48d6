#include "drill/practice_session.h"

namespace kagaku {

PracticeSession::PracticeSession(ProblemSet problems)
    : problems_(std::move(problems)), learnt_(static_cast<std::size_t>(problems_.Count()), false) {}

void PracticeSession::Next() {
    const int n = problems_.Count();
    if (Finished())
        return;  // nothing left to page to
    do {
        ++index_;
        if (index_ > n)
            index_ = 1;
    } while (IsLearnt(index_));
    answerShown_ = false;
}

void PracticeSession::ShowAnswer() {
    if (index_ == 0)
        return;
    answerShown_ = true;
}

bool PracticeSession::MarkLearnt() {
    if (index_ == 0 || !answerShown_ || IsLearnt(index_))
        return Finished();
    learnt_[static_cast<std::size_t>(index_ - 1)] = true;
    ++learntCount_;
    if (Finished())
        return true;
    Next();
    return false;
}

std::string PracticeSession::QuestionCaption() const {
    if (index_ == 0)
        return " ";
    return " " + problems_.problems[static_cast<std::size_t>(index_ - 1)].question;
}

std::string PracticeSession::ShownAnswer() const {
    if (!answerShown_ || index_ == 0)
        return {};
    return problems_.problems[static_cast<std::size_t>(index_ - 1)].answer;
}

bool PracticeSession::IsVisible(Button b) const {
    switch (b) {
        case Button::Next:
        case Button::Learnt:
            return answerShown_;
        case Button::ShowAnswer:
            return !answerShown_;
    }
    return false;
}

std::string PracticeSession::RemainingCaption() const {
    return std::to_string(problems_.Count() - learntCount_);
}

}  // namespace kagaku
