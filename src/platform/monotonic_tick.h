#pragma once
// Milliseconds of a clock that never goes back: steady_clock on POSIX, GetTickCount64 on
// Windows (the system's own tick, which the sleep of a PC does not disturb).

#include <cstdint>

namespace kagaku {

std::int64_t MonotonicTickMs();

}  // namespace kagaku
