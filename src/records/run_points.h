#pragma once
// The points of one run: the basic points for the time against the level's target, and the
// level's multiplier applied as a person would apply a decimal factor.

#include <cstdint>

#include "records/level_settings.h"

namespace kagaku {

// Basic points of a run of `seconds` on a level with target time `targetTime`:
//   at or under the target   Int(((T - s3) / T)^3 x 50 + 5), s3 being the number formed by the
//                            first three characters of the digits of s (s itself below 1000)
//   under twice the target   4
//   under ten times          1
//   otherwise                0
// A level without a target time (0 or less) earns nothing.
std::int64_t RunPoints(std::int32_t seconds, std::int32_t targetTime);

// Int(multiplier x points) with the multiplier taken as the decimal it was written as, so that
// 0.7 x 10 gives 7 and 1.3 x 10 gives 13 (binary fractions would give 6 and 12).
std::int64_t PointsTimesMultiplier(double multiplier, std::int64_t points);

// The points rule of one level, prepared once for the many runs of a rebuild.
class LevelPointsRule {
public:
    LevelPointsRule() = default;
    LevelPointsRule(std::int32_t targetTime, double multiplier);
    // The points a run of `seconds` adds to the sums (see CountedRunPoints).
    std::int64_t CountedPoints(std::int32_t seconds) const;

private:
    std::int32_t targetTime_ = 0;
    double multiplier_ = 0.0;
    // The multiplier in billionths when it has at most nine decimals and is not huge, so that
    // the product is exact; otherwise 0 and exactByBillionths_ false.
    std::int64_t billionths_ = 0;
    bool exactByBillionths_ = false;
};

// The points a run adds to the sums: nothing for runs of 99998 seconds or more (a timed-out
// run), otherwise the basic points times the level's multiplier. level is 1..35.
std::int64_t CountedRunPoints(std::int32_t seconds, int level, const LevelSettings& settings);

}  // namespace kagaku
