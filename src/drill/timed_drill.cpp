#include "drill/timed_drill.h"

#include <algorithm>
#include <cmath>

namespace kagaku {

namespace {

// After this many refused draws a broken random source (one stuck on a single value) could
// keep the screen waiting for ever; the next acceptable problem is then taken instead. With a
// uniform source this never happens in practice.
constexpr int kMaxDraws = 10000;

}  // namespace

TimedDrill::TimedDrill(ProblemSet problems, RandomSource& random)
    : problems_(std::move(problems)),
      random_(random),
      progress_(static_cast<std::size_t>(problems_.Count()), 0) {}

const std::string& TimedDrill::CorrectAnswer() const {
    static const std::string kNone;
    return current_ == 0 ? kNone
                         : problems_.problems[static_cast<std::size_t>(current_ - 1)].answer;
}

std::string TimedDrill::QuestionCaption() const {
    if (current_ == 0)
        return " ";
    return " " + problems_.problems[static_cast<std::size_t>(current_ - 1)].question;
}

std::string TimedDrill::RepeatCaption() const {
    const int needed =
        current_ == 0 ? kProgressToComplete : kProgressToComplete - Progress(current_);
    return "この問題あと" + std::to_string(needed) + "回出題";
}

std::string TimedDrill::RemainingCaption() const {
    return std::to_string(ProblemCount() - completed_);
}

int TimedDrill::Draw(int done) const {
    const int n = ProblemCount();
    const bool onlyOneLeft = n - done == 1;
    auto acceptable = [&](int r) {
        return (r != previous_ || onlyOneLeft) && Progress(r) < kProgressToComplete;
    };
    int r = 1;
    for (int attempt = 0; attempt < kMaxDraws; ++attempt) {
        const double u = random_.Next();
        r = static_cast<int>(std::floor(static_cast<double>(n) * u)) + 1;
        r = std::clamp(r, 1, n);
        if (acceptable(r))
            return r;
    }
    for (int step = 1; step <= n; ++step) {
        const int candidate = (r - 1 + step) % n + 1;
        if (acceptable(candidate))
            return candidate;
    }
    return r;  // unreachable: at least one problem is not done
}

bool TimedDrill::NextQuestion() {
    entry_.Clear();
    const int n = ProblemCount();
    const int done = static_cast<int>(std::count_if(
        progress_.begin(), progress_.end(), [](int p) { return p >= kProgressToComplete; }));
    if (done == n) {
        allDone_ = true;
        return false;
    }
    const int r = Draw(done);
    previous_ = r;
    current_ = r;
    return true;
}

TimedDrill::Outcome TimedDrill::Judge() {
    int& progress = progress_[static_cast<std::size_t>(current_ - 1)];
    if (entry_.Text() == CorrectAnswer()) {
        ++progress;
        if (progress == kProgressToComplete)
            ++completed_;
        NextQuestion();
        return Outcome::Correct;
    }
    showingCorrection_ = true;
    progress = std::max(progress - 1, kProgressFloor);
    return Outcome::Wrong;
}

TimedDrill::Outcome TimedDrill::OnCharacter(char32_t c) {
    if (allDone_ || showingCorrection_ || current_ == 0)
        return Outcome::Ignored;
    switch (entry_.Type(c)) {
        case AnswerEntry::TypeResult::Judge:
            return Judge();
        case AnswerEntry::TypeResult::Changed:
            return Outcome::AnswerChanged;
        case AnswerEntry::TypeResult::Ignored:
            break;
    }
    return Outcome::Ignored;
}

TimedDrill::Outcome TimedDrill::OnKey(DrillKey key) {
    if (showingCorrection_ || allDone_)
        return Outcome::Ignored;
    if (key == DrillKey::RightArrow) {
        entry_.AppendArrow();
        return Outcome::AnswerChanged;
    }
    if (const auto index = ChargeIndexOfKey(key))
        return OnChargeButton(*index);
    return Outcome::Ignored;
}

TimedDrill::Outcome TimedDrill::OnChargeButton(int index) {
    if (showingCorrection_ || allDone_)
        return Outcome::Ignored;
    return entry_.AddCharge(index) ? Outcome::AnswerChanged : Outcome::Ignored;
}

void TimedDrill::ContinueAfterCorrection() {
    if (!showingCorrection_)
        return;
    showingCorrection_ = false;
    NextQuestion();
}

}  // namespace kagaku
