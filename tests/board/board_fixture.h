#pragma once
// A shared state with the built-in twelve-level catalogue, a small roster and settings, for
// the board tests. The state is large (the aggregate tables), so it lives on the heap.

#include <memory>
#include <string>

#include "common/text_ops.h"
#include "support/state_parts.h"

namespace kagaku::testing {

inline std::unique_ptr<StateParts> CatalogueState() {
    auto s = std::make_unique<StateParts>();
    const char* names[] = {"",
                           "元素練習",
                           "元素",
                           "化学式練習",
                           "化学式",
                           "化学反応練習",
                           "化学反応",
                           "イオン練習",
                           "イオン",
                           "イオン式など１練習",
                           "イオン式など１",
                           "イオン式など２練習",
                           "イオン式など２"};
    s->setup.LevelCount = 12;
    s->setup.GoalLevel = Variant(6);
    for (int i = 1; i <= 12; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s->setup.LevelNames[k] = names[k];
        s->setup.Settings.TargetTime[k] = 60;
        s->setup.Settings.ClearPoints[k] = 100;
        s->setup.Settings.ClearCount[k] = 3;
        s->setup.Settings.PointMultiplier[k] = 1.5;
        s->setup.Settings.PassWindowDays[k] = Variant(7);
    }
    s->roster.SchoolYear = 2010;
    return s;
}

// Adds a listed pupil in the next roster slot.
inline void AddPupil(StateParts& s, int number, const std::string& name, int gradeNumber) {
    auto& r = s.roster;
    r.RosterCount += 1;
    r.RosterNumberAt[static_cast<std::size_t>(r.RosterCount)] = static_cast<std::int16_t>(number);
    r.RosterName[static_cast<std::size_t>(number)] = text::PadRight(name, 20);
    r.RosterBirthYear[static_cast<std::size_t>(number)] =
        static_cast<std::int16_t>(r.SchoolYear - gradeNumber - 6);
}

// Makes a level cleared for a pupil within the pass window.
inline void Clear(StateParts& s, int level, int pupil) {
    s.standing.PassWindowPoints.at(level, pupil) = 100;
    s.standing.PassWindowRunCount.at(level, pupil) = 3;
}

}  // namespace kagaku::testing
