#include "board/level_locks.h"

#include <algorithm>

#include "common/text_ops.h"

namespace kagaku {

namespace {

bool ValidLevel(int level) {
    return level >= 0 && level <= kMaxLevel;
}
bool ValidPupil(int pupil) {
    return pupil >= 0 && pupil <= kMaxPupil;
}

}  // namespace

bool IsFreeLevel(const LevelSettings& settings, int level) {
    return ValidLevel(level) &&
           settings.ClearPoints[static_cast<std::size_t>(level)] == kFreeLevelPoints;
}

bool IsCleared(const ScoreAggregates& aggregates, const LevelSettings& settings, int level,
               int pupil) {
    if (!ValidLevel(level) || !ValidPupil(pupil)) {
        return false;
    }
    const auto i = static_cast<std::size_t>(level);
    return aggregates.PassWindowPoints.at(level, pupil) >= settings.ClearPoints[i] &&
           aggregates.PassWindowRunCount.at(level, pupil) >= settings.ClearCount[i];
}

bool IsOverPractised(const ScoreAggregates& aggregates, const LevelSettings& settings, int level,
                     int pupil) {
    if (!ValidLevel(level) || !ValidPupil(pupil)) {
        return false;
    }
    const auto i = static_cast<std::size_t>(level);
    const double banCount = settings.BanCount[i].ToDouble();
    const double banPoints = settings.BanPoints[i].ToDouble();
    const bool byRuns = banCount != 0.0 && static_cast<double>(aggregates.BanWindowRunCount.at(
                                               level, pupil)) >= banCount;
    const bool byPoints = banPoints != 0.0 && static_cast<double>(aggregates.BanWindowPoints.at(
                                                  level, pupil)) >= banPoints;
    return byRuns || byPoints;
}

bool IsTeacher(std::string_view pupilName) {
    return text::Trim(pupilName) == "先生";
}

LevelLocks ComputeLevelLocks(const BoardData& data) {
    LevelLocks locks;
    const int pupil = data.SignIn.PupilNumber;
    const int levelCount = std::clamp<int>(data.Setup.LevelCount, 0, kMaxLevel);
    const auto& names = data.Setup.LevelNames;
    const auto& settings = data.Setup.Settings;
    const auto& aggregates = data.Standing;

    const double goal = data.Setup.GoalLevel.ToDouble();
    const int goalLevel = static_cast<int>(text::RoundHalfEven(std::clamp(goal, -1.0, 99.0)));
    locks.GoalCleared = IsCleared(aggregates, settings, goalLevel, pupil);
    const bool teacher = IsTeacher(data.SignIn.PupilName);

    if (levelCount >= 1) {
        locks.StartEnabled[1] = true;
    }
    bool blocked = false;
    for (int i = 1; i <= levelCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const bool practice = IsPracticeLevel(names[k]);
        if (practice) {
            locks.StartEnabled[k] = true;
        }
        const bool opensNext = (!blocked && practice) ||
                               IsCleared(aggregates, settings, i, pupil) || teacher ||
                               (i < levelCount && IsFreeLevel(settings, i + 1));
        if (opensNext && i < levelCount) {
            locks.StartEnabled[k + 1] = true;
            locks.TooMuchPractice[k + 1] = false;
            if (!practice && IsOverPractised(aggregates, settings, i, pupil) &&
                !locks.GoalCleared) {
                locks.StartEnabled[k] = false;
                locks.TooMuchPractice[k] = true;
            } else {
                locks.TooMuchPractice[k] = false;
            }
        }
        if (!opensNext) {
            blocked = true;
        }
    }
    return locks;
}

LevelLocks ApplyLevelLocks(const BoardData& data, BoardChoices& board) {
    LevelLocks locks = ComputeLevelLocks(data);
    board.GoalCleared = Variant(locks.GoalCleared ? 1 : 0);
    return locks;
}

}  // namespace kagaku
