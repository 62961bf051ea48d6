#include <windows.h>

#include "platform/monotonic_tick.h"

namespace kagaku {

std::int64_t MonotonicTickMs() {
    return static_cast<std::int64_t>(::GetTickCount64());
}

}  // namespace kagaku
