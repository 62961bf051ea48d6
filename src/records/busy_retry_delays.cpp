#include "records/busy_retry_delays.h"

#include <algorithm>
#include <cmath>

namespace kagaku {

std::chrono::milliseconds BusyRetryDelays::Next() {
    const double spread = std::clamp(random_.Next(), 0.0, 1.0);
    const double ms = ceilingMs_ * (0.5 + 0.5 * spread);
    ceilingMs_ = std::min(ceilingMs_ * 1.5, static_cast<double>(kLastCeiling.count()));
    return std::chrono::milliseconds(std::max<long long>(1, std::llround(ms)));
}

}  // namespace kagaku
