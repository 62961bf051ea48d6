#include <chrono>

#include "platform/monotonic_tick.h"

namespace kagaku {

std::int64_t MonotonicTickMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace kagaku
