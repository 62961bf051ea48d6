#include "records/run_points.h"

#include <cmath>
#include <limits>
#include <string>

#include "records/score_record.h"

namespace kagaku {

namespace {

// Rounds a product to nine decimal places before it is rounded down, so that a value that is a
// whole number in decimal arithmetic (7) is not taken as the binary neighbour below it
// (6.9999999999). Values too large for that are left as they are.
double ClearedOfBinaryFractions(double value) {
    if (std::fabs(value) < 1e6) {
        return std::round(value * 1e9) / 1e9;
    }
    return value;
}

std::int64_t FloorToInteger(double value) {
    double floored = std::floor(value);
    constexpr double kLimit = 9.0e18;
    if (!(floored > -kLimit)) {
        return floored < 0 ? static_cast<std::int64_t>(-kLimit) : 0;  // NaN gives 0
    }
    if (floored > kLimit) {
        return static_cast<std::int64_t>(kLimit);
    }
    return static_cast<std::int64_t>(floored);
}

// The number formed by the first three characters of the decimal digits of s.
std::int64_t FirstThreeCharacters(std::int32_t seconds) {
    if (seconds >= 0) {
        std::int32_t leading = seconds;
        while (leading >= 1000) {
            leading /= 10;
        }
        return leading;
    }
    std::string digits = std::to_string(seconds).substr(0, 3);
    if (digits == "-") {
        return 0;
    }
    return std::stoll(digits);
}

}  // namespace

std::int64_t RunPoints(std::int32_t seconds, std::int32_t targetTime) {
    if (targetTime <= 0) {
        return 0;  // no target time: the rule would divide by zero
    }
    const std::int64_t s = seconds;
    const std::int64_t t = targetTime;
    if (s <= t) {
        double share =
            static_cast<double>(t - FirstThreeCharacters(seconds)) / static_cast<double>(t);
        return FloorToInteger(ClearedOfBinaryFractions(share * share * share * 50.0 + 5.0));
    }
    if (s < 2 * t) {
        return 4;
    }
    if (s < 10 * t) {
        return 1;
    }
    return 0;
}

std::int64_t PointsTimesMultiplier(double multiplier, std::int64_t points) {
    return FloorToInteger(ClearedOfBinaryFractions(multiplier * static_cast<double>(points)));
}

std::int64_t CountedRunPoints(std::int32_t seconds, int level, const LevelSettings& settings) {
    if (seconds >= kPointlessSeconds) {
        return 0;
    }
    auto index = static_cast<std::size_t>(level);
    return PointsTimesMultiplier(settings.PointMultiplier[index],
                                 RunPoints(seconds, settings.TargetTime[index]));
}

}  // namespace kagaku
