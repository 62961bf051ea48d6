#pragma once
// What the score board on the level menu shows, kept while the pupil goes into a drill and
// back: the list period, the grade filter, the scroll position of the level columns and the
// points ranking last shown. GoalCleared is the standing's: the goal level is cleared within
// its pass window, as the last lock pass found (the result screen reads it).

#include "common/variant.h"

namespace kagaku {

struct BoardChoices {
    Variant GradeFilterText;
    Variant MenuScrollPos;
    Variant ListPeriod;
    int PointsRankingKind = 0;  // the points ranking last shown: 1 cumulative, 2 today's
    Variant GoalCleared;
};

}  // namespace kagaku
