#pragma once
// The clock of a run and its time bar. Elapsed time is measured on the monotonic clock, so a
// run that spans midnight (or a change of the system time) is timed correctly; whole seconds
// are rounded halves to even. A timed level times out at five times its minimum time.

#include <cstdint>
#include <string>

namespace kagaku {

inline constexpr int kTimeLimitFactor = 5;
// The count-down of an untimed level.
inline constexpr int kUntimedTimeLimit = 20;

// The time bar: the full bar stands for the time limit; the elapsed bar grows over it; the
// target and minimum marks are bars from the same left edge.
struct TimeBar {
    double fullWidth = 0.0;
    double scale = 0.0;  // width per second
    double targetWidth = 0.0;
    double minimumWidth = 0.0;
};

class RunClock {
public:
    // timed: a recorded level (limit five times minimumTime, counting up); otherwise the
    // untimed 20-second count-down. barWidth is the width of the full bar.
    RunClock(bool timed, std::int32_t targetTime, std::int32_t minimumTime, double barWidth);

    std::int32_t TimeLimit() const { return timeLimit_; }
    const TimeBar& Bar() const { return bar_; }
    // The clock label before the first tick: "0" on a timed level, the limit otherwise.
    std::string InitialCaption() const;

    void Start(std::int64_t monotonicMs) { startMs_ = monotonicMs; }

    struct Tick {
        std::int32_t elapsedSeconds = 0;
        std::string caption;        // counting up (timed) or down (untimed)
        double elapsedWidth = 0.0;  // the elapsed bar, full at the limit
        bool timedOut = false;      // a timed level reached its limit
        bool limitReached = false;  // the run is to end now
    };
    // What one tick of the one-second timer shows.
    Tick OnTick(std::int64_t monotonicMs) const;

    // Whole seconds since the start, rounded halves to even (47.5 s gives 48, 46.5 s 46).
    std::int32_t ElapsedSeconds(std::int64_t monotonicMs) const;

private:
    bool timed_;
    std::int32_t timeLimit_;
    TimeBar bar_;
    std::int64_t startMs_ = 0;
};

}  // namespace kagaku
