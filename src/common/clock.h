#pragma once
// The one source of the present moment: today, now, seconds since midnight and a monotonic
// tick. Tests put a stand-in in its place to stand on any date and time.

#include <cstdint>

#include "common/ole_date.h"

namespace kagaku {

class Clock {
public:
    virtual ~Clock() = default;
    // The present date and time as an OLE date.
    virtual double Now() const = 0;
    // Milliseconds of a clock that never goes back (not tied to the time of day).
    virtual std::int64_t MonotonicMs() const = 0;

    // Today's date (the whole-day part of Now).
    double Today() const;
    CivilDate TodayDate() const;
    // Seconds since midnight, with fractions.
    double SecondsSinceMidnight() const;
};

class SystemClock final : public Clock {
public:
    double Now() const override;
    std::int64_t MonotonicMs() const override;
};

// Uniform numbers in [0, 1), seeded once at start-up.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double Next() = 0;
};

class SystemRandom final : public RandomSource {
public:
    explicit SystemRandom(std::uint64_t seed);
    double Next() override;

private:
    std::uint64_t state_;
};

}  // namespace kagaku
