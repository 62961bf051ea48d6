#pragma once
// How long a writer waits between two tries of a busy record file. When a class finishes a
// timed drill together, thirty PCs reach for the lock in the same second: one gets it and the
// others must come back as soon as it is likely to be free again, not a whole second later.
// So the first waits are short, each wait is a little longer than the one before (up to one
// second, for a lock that another PC keeps for long), and every wait is spread at random so
// that PCs that met at one try do not meet again at the next.

#include <chrono>

#include "common/clock.h"

namespace kagaku {

class BusyRetryDelays {
public:
    explicit BusyRetryDelays(RandomSource& random) : random_(random) {}
    // Goes on from a ceiling an earlier run of waits had reached (CeilingMs).
    BusyRetryDelays(RandomSource& random, double ceilingMs)
        : random_(random), ceilingMs_(ceilingMs) {}

    // The next wait: a random time between half and all of the present ceiling, which then
    // grows by half, from kFirstCeiling to kLastCeiling.
    std::chrono::milliseconds Next();
    // The present ceiling, in milliseconds.
    double CeilingMs() const { return ceilingMs_; }

    static constexpr std::chrono::milliseconds kFirstCeiling{4};
    static constexpr std::chrono::milliseconds kLastCeiling{1000};

private:
    RandomSource& random_;
    double ceilingMs_ = static_cast<double>(kFirstCeiling.count());
};

}  // namespace kagaku
