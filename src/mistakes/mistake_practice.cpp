#include "mistakes/mistake_practice.h"

#include <algorithm>
#include <numeric>

#include "mistakes/mistake_ranking.h"
#include "state/level_catalogue.h"

namespace kagaku {

std::optional<int> PracticeLevelOfCategory(const std::array<std::string, kLevelSlots>& levelNames,
                                           int levelCount, int category) {
    const int last = std::min(levelCount, kMaxLevel);
    for (int level = 1; level <= last; ++level) {
        if (ProblemCategoryOfLevel(level) == category &&
            IsPracticeLevel(levelNames[static_cast<std::size_t>(level)]))
            return level;
    }
    return std::nullopt;
}

std::optional<MistakePractice> PracticeOfRun(const MistakesOfRun& run,
                                             const std::array<std::string, kLevelSlots>& levelNames,
                                             int levelCount) {
    if (run.missed.empty())
        return std::nullopt;
    const auto level = PracticeLevelOfCategory(levelNames, levelCount, run.category);
    if (!level)
        return std::nullopt;
    MistakePractice practice;
    practice.level = *level;
    practice.problems.category = run.category;
    for (const MissedProblem& m : run.missed)
        practice.problems.problems.push_back(m.problem);
    return practice;
}

std::optional<MistakePractice> PracticeOfOwnMistakes(
    const std::vector<MistakeEntry>& log, const ProblemSet& categoryProblems,
    const std::array<std::int16_t, kLevelSlots>& levelTimed, int practiceLevel,
    const CivilDate& today, int days, int most) {
    const std::size_t n = categoryProblems.problems.size();
    std::vector<std::string> questions(n);
    std::vector<std::string> answers(n);
    for (std::size_t i = 0; i < n; ++i) {
        questions[i] = LoggedText(categoryProblems.problems[i].question);
        answers[i] = LoggedText(categoryProblems.problems[i].answer);
    }
    std::vector<int> misses(n, 0);
    for (const MistakeEntry& e : log) {
        if (e.category != categoryProblems.category ||
            levelTimed[static_cast<std::size_t>(e.level)] != 1 ||
            !InMistakeWindow(e.date, today, days))
            continue;
        for (std::size_t i = 0; i < n; ++i) {
            if (questions[i] == e.question && answers[i] == e.answer) {
                ++misses[i];
                break;
            }
        }
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return misses[a] > misses[b]; });
    MistakePractice practice;
    practice.level = practiceLevel;
    practice.problems.category = categoryProblems.category;
    for (std::size_t i : order) {
        if (misses[i] == 0 || static_cast<int>(practice.problems.problems.size()) >= most)
            break;
        practice.problems.problems.push_back(categoryProblems.problems[i]);
    }
    if (practice.problems.problems.empty())
        return std::nullopt;
    return practice;
}

std::string PracticeOfferCaption(const MistakePractice& practice) {
    return std::string(kPracticeMistakesCaption) + "（" +
           std::to_string(practice.problems.Count()) + "問）";
}

}  // namespace kagaku
