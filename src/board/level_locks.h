#pragma once
// Which levels the signed-in pupil may start. Level 1 and every practice level are always open;
// a further level opens when the level before it is cleared within its pass window, when it is
// a free level, or when the level before it is a practice level and no uncleared level came
// earlier; the teacher ("先生") has every level open. A cleared level practised too much within
// its ban window is closed ("やりすぎ禁止") until the pupil has cleared the goal level, while the
// next level stays open; the last level is never banned.

#include <array>
#include <string_view>

#include "records/aggregates.h"
#include "records/level_settings.h"
#include "board/board_data.h"
#include "state/board_choices.h"
#include "state/level_catalogue.h"

namespace kagaku {

inline constexpr const char* kTooMuchPractice = "やりすぎ禁止";
inline constexpr std::int32_t kFreeLevelPoints = 9999;

// A level whose clear points are 9999: open whatever happened on the level before it.
bool IsFreeLevel(const LevelSettings& settings, int level);
// Enough points and runs within the pass window.
bool IsCleared(const ScoreAggregates& aggregates, const LevelSettings& settings, int level,
               int pupil);
// Runs or points within the ban window reach a limit that is not 0.
bool IsOverPractised(const ScoreAggregates& aggregates, const LevelSettings& settings, int level,
                     int pupil);
// The teacher signs in under the name "先生" (spaces around it ignored).
bool IsTeacher(std::string_view pupilName);

struct LevelLocks {
    // Per level 1..LevelCount: the start button is enabled.
    std::array<bool, kLevelSlots> StartEnabled{};
    // Per level: the notice "やりすぎ禁止" lies over the start button.
    std::array<bool, kLevelSlots> TooMuchPractice{};
    // The goal level is cleared within its pass window.
    bool GoalCleared = false;
};

// The lock pass for the signed-in pupil; reads the catalogue, the settings and the aggregates.
LevelLocks ComputeLevelLocks(const BoardData& data);

// The lock pass that the refresh and every list fill run: also writes the board's GoalCleared
// (0 or 1), which the result screen reads.
LevelLocks ApplyLevelLocks(const BoardData& data, BoardChoices& board);

}  // namespace kagaku
