#include "common/clock.h"

#include <chrono>
#include <ctime>

#include "platform/monotonic_tick.h"

namespace kagaku {

double Clock::Today() const {
    return static_cast<double>(OleDay(Now()));
}

CivilDate Clock::TodayDate() const {
    return OleDateOf(Now());
}

double Clock::SecondsSinceMidnight() const {
    double now = Now();
    return (now - static_cast<double>(OleDay(now))) * 86400.0;
}

double SystemClock::Now() const {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    CivilDate d{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                     static_cast<double>(millis) / 1000.0;
    return ToOleDate(d) + seconds / 86400.0;
}

std::int64_t SystemClock::MonotonicMs() const {
    return MonotonicTickMs();
}

SystemRandom::SystemRandom(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}

double SystemRandom::Next() {
    // splitmix64: small, fast and plenty uniform for picking questions and sounds.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace kagaku
