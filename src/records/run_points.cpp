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
        const std::int64_t s3 = FirstThreeCharacters(seconds);
        if (s >= 0 && t <= 500000) {
            // Whole-number arithmetic: Int(((T - s3) / T)^3 x 50 + 5) exactly, with no
            // rounding of fractions (50 x T^3 stays below 2^63 for these targets).
            const std::int64_t d = t - s3;
            return 50 * d * d * d / (t * t * t) + 5;
        }
        double share = static_cast<double>(t - s3) / static_cast<double>(t);
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

namespace {

// The multiplier in billionths, when it was written with at most nine decimals and is not
// huge: then Int(multiplier x points) is computed exactly in whole numbers.
bool InBillionths(double multiplier, std::int64_t& billionths) {
    if (!std::isfinite(multiplier) || std::fabs(multiplier) >= 1e6) {
        return false;
    }
    const double scaled = multiplier * 1e9;
    const double rounded = std::round(scaled);
    if (std::fabs(scaled - rounded) >= 1e-3) {
        return false;
    }
    billionths = static_cast<std::int64_t>(rounded);
    return true;
}

std::int64_t TimesMultiplier(bool exact, std::int64_t billionths, double multiplier,
                             std::int64_t points) {
    if (exact && points >= -1000 && points <= 1000) {
        const std::int64_t product = billionths * points;
        std::int64_t whole = product / 1'000'000'000;
        if (product % 1'000'000'000 != 0 && product < 0) {
            --whole;  // rounding down, not toward zero
        }
        return whole;
    }
    return FloorToInteger(ClearedOfBinaryFractions(multiplier * static_cast<double>(points)));
}

}  // namespace

LevelPointsRule::LevelPointsRule(std::int32_t targetTime, double multiplier)
    : targetTime_(targetTime), multiplier_(multiplier) {
    exactByBillionths_ = InBillionths(multiplier, billionths_);
}

std::int64_t LevelPointsRule::CountedPoints(std::int32_t seconds) const {
    if (seconds >= kPointlessSeconds) {
        return 0;
    }
    return TimesMultiplier(exactByBillionths_, billionths_, multiplier_,
                           RunPoints(seconds, targetTime_));
}

std::int64_t PointsTimesMultiplier(double multiplier, std::int64_t points) {
    std::int64_t billionths = 0;
    const bool exact = InBillionths(multiplier, billionths);
    return TimesMultiplier(exact, billionths, multiplier, points);
}

std::int64_t CountedRunPoints(std::int32_t seconds, int level, const LevelSettings& settings) {
    auto index = static_cast<std::size_t>(level);
    return LevelPointsRule(settings.TargetTime[index], settings.PointMultiplier[index])
        .CountedPoints(seconds);
}

}  // namespace kagaku
