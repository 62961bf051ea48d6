#include "drill/run_clock.h"

#include <algorithm>

#include "common/text_ops.h"

namespace kagaku {

RunClock::RunClock(bool timed, std::int32_t targetTime, std::int32_t minimumTime, double barWidth)
    : timed_(timed), timeLimit_(timed ? minimumTime * kTimeLimitFactor : kUntimedTimeLimit) {
    bar_.fullWidth = barWidth;
    // A level without a minimum time would divide by zero; its bar stays empty.
    bar_.scale = timeLimit_ > 0 ? barWidth / static_cast<double>(timeLimit_) : 0.0;
    if (timed_) {
        bar_.targetWidth = static_cast<double>(targetTime) * bar_.scale;
        bar_.minimumWidth = static_cast<double>(minimumTime) * bar_.scale;
    } else {
        bar_.targetWidth = barWidth;
    }
}

std::string RunClock::InitialCaption() const {
    return timed_ ? "0" : std::to_string(timeLimit_);
}

std::int32_t RunClock::ElapsedSeconds(std::int64_t monotonicMs) const {
    const double seconds = static_cast<double>(monotonicMs - startMs_) / 1000.0;
    return static_cast<std::int32_t>(text::RoundHalfEven(std::max(seconds, 0.0)));
}

RunClock::Tick RunClock::OnTick(std::int64_t monotonicMs) const {
    Tick t;
    t.elapsedSeconds = ElapsedSeconds(monotonicMs);
    t.limitReached = t.elapsedSeconds >= timeLimit_;
    t.timedOut = timed_ && t.limitReached;
    t.caption = std::to_string(timed_ ? t.elapsedSeconds : timeLimit_ - t.elapsedSeconds);
    t.elapsedWidth =
        t.limitReached ? bar_.fullWidth : static_cast<double>(t.elapsedSeconds) * bar_.scale;
    return t;
}

}  // namespace kagaku
