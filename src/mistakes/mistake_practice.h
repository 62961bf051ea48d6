#pragma once
// "間違えた問題を練習": a practice of a subset of a category's problems, run by the drill's own
// practice flow (次へ, 答え表示, 覚えた, 練習終わり) under the category's practice level, so it
// records nothing in the score file. Two subsets: the problems missed in the run that has just
// ended (offered by the result screen), and a pupil's own most-missed problems of the last 30
// days in a category (offered by the level menu).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/ole_date.h"
#include "drill/problem_set.h"
#include "mistakes/mistake_log.h"
#include "mistakes/run_mistakes.h"
#include "records/aggregates.h"

namespace kagaku {

inline constexpr const char* kPracticeMistakesCaption = "間違えた問題を練習";
inline constexpr int kOwnPracticeDays = 30;
inline constexpr int kOwnPracticeMost = 10;

struct MistakePractice {
    int level = 0;        // the practice level it runs under (CurrentLevel while it runs)
    ProblemSet problems;  // the subset, in the order practice pages through it
};

// The practice level of a category: the first level 1..levelCount of that category whose name
// is a practice level's. Nothing when the catalogue has none.
std::optional<int> PracticeLevelOfCategory(const std::array<std::string, kLevelSlots>& levelNames,
                                           int levelCount, int category);

// Exactly the problems answered wrongly in the run, in the order of its problem set. Nothing
// when none was missed or the category has no practice level.
std::optional<MistakePractice> PracticeOfRun(const MistakesOfRun& run,
                                             const std::array<std::string, kLevelSlots>& levelNames,
                                             int levelCount);

// A pupil's own most-missed problems of the category: the wrong answers of timed levels in the
// window (answers revealed in practice do not count: practice reveals every answer it shows),
// of problems the problem file still holds (a problem since changed or removed cannot be
// practised), most missed first, equal counts in problem-file order, at most `most`. Nothing
// when none is left.
std::optional<MistakePractice> PracticeOfOwnMistakes(
    const std::vector<MistakeEntry>& log, const ProblemSet& categoryProblems,
    const std::array<std::int16_t, kLevelSlots>& levelTimed, int practiceLevel,
    const CivilDate& today, int days = kOwnPracticeDays, int most = kOwnPracticeMost);

// The offer's button caption: "間違えた問題を練習（3問）".
std::string PracticeOfferCaption(const MistakePractice& practice);

}  // namespace kagaku
