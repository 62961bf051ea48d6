#pragma once
// Stand-ins and fixtures shared by the logic tests: a temporary folder with real files, a clock
// that stands on any date and time, and a scripted random source.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/ole_date.h"

namespace kagaku::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const;
    // Writes bytes exactly as given (creating folders on the way).
    std::filesystem::path WriteBytes(std::string_view name, std::string_view bytes) const;
    // Writes UTF-8 text as code page 932, turning "\n" into CR LF.
    std::filesystem::path WriteCp932(std::string_view name, std::string_view utf8) const;

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& p);

// True when this system renames a file over one that is open (shared for deletion), as Linux
// always does and Windows only with POSIX rename semantics (Wine refuses it).
bool CanRenameOverAnOpenFile(const TempDir& dir);

class FakeClock final : public Clock {
public:
    FakeClock() = default;
    FakeClock(const CivilDate& d, const TimeOfDay& t) { Set(d, t); }
    void Set(const CivilDate& d, const TimeOfDay& t);
    void SetNow(double ole) { now_ = ole; }
    // Moves both the time of day and the monotonic tick on.
    void AdvanceSeconds(double seconds);
    double Now() const override { return now_; }
    std::int64_t MonotonicMs() const override { return monotonicMs_; }

private:
    double now_ = 0.0;
    std::int64_t monotonicMs_ = 1'000'000;
};

// Returns the scripted values in turn, then 0.
class FakeRandom final : public RandomSource {
public:
    void Push(double v) { values_.push_back(v); }
    double Next() override;

private:
    std::deque<double> values_;
};

}  // namespace kagaku::testing
