#include "mistakes/mistake_notes.h"

#include "common/errors.h"
#include "mistakes/mistake_log.h"

namespace kagaku {

namespace {

std::optional<std::string> Log(MistakesOfRun& run, const MistakeLogPlace& place,
                               const Problem& problem, int category, std::string typed,
                               const Clock& clock) {
    if (!run.logProblem.empty())
        return std::nullopt;  // noted once; the rest of the run writes nothing
    // Date and time come from one reading of the clock, so a line written at midnight is
    // never dated one day and timed the other.
    const double now = clock.Now();
    const MistakeEntry entry{OleDateOf(now),
                             OleTimeOf(now),
                             place.CurrentLevel,
                             category,
                             LoggedText(problem.question),
                             LoggedText(problem.answer),
                             std::move(typed)};
    try {
        AppendMistake(MistakeLogPath(place.ProgramDataFolder, place.PupilNumber), entry);
    } catch (const DataFileError& e) {
        run.logProblem = e.what();
        return run.logProblem +
               "\n間違えた問題を記録できませんでした。この回のこのあとの間違いも記録されません"
               "（ドリルはそのまま続きます）。";
    }
    return std::nullopt;
}

}  // namespace

void BeginRunMistakes(MistakesOfRun& mistakes, int level) {
    mistakes = MistakesOfRun{};
    mistakes.level = level;
}

std::optional<std::string> NoteWrongAnswer(MistakesOfRun& mistakes, const MistakeLogPlace& place,
                                           const TimedDrill& drill, const Clock& clock) {
    const int index = drill.CurrentProblem();
    if (index < 1 || index > drill.ProblemCount())
        return std::nullopt;
    const Problem& problem = drill.Problems().problems[static_cast<std::size_t>(index - 1)];
    const int category = drill.Problems().category;

    MistakesOfRun& run = mistakes;
    run.category = category;
    auto at = run.missed.begin();
    while (at != run.missed.end() && at->index < index)
        ++at;
    if (at == run.missed.end() || at->index != index)
        at = run.missed.insert(at, MissedProblem{index, problem, 0});
    ++at->times;

    return Log(mistakes, place, problem, category, drill.ComposedAnswer(), clock);
}

std::optional<std::string> NoteRevealedAnswer(MistakesOfRun& mistakes,
                                              const MistakeLogPlace& place,
                                              const PracticeSession& practice, const Clock& clock) {
    const int index = practice.PracticeIndex();
    if (index < 1 || index > practice.Problems().Count() ||
        !practice.IsVisible(PracticeSession::Button::Learnt))
        return std::nullopt;  // no answer is shown
    const Problem& problem = practice.Problems().problems[static_cast<std::size_t>(index - 1)];
    return Log(mistakes, place, problem, practice.Problems().category, std::string(), clock);
}

}  // namespace kagaku
