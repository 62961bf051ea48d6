#include "tools/demo_history.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <system_error>

#include "board/level_locks.h"
#include "common/errors.h"
#include "common/files.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"
#include "state/configuration.h"
#include "state/level_catalogue.h"
#include "state/program_setup.h"
#include "state/signed_in.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

// A small generator of our own (SplitMix64), so that the same day gives the same numbers on
// every machine and with every standard library.
class DayRandom {
public:
    explicit DayRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Bits() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Bits() >> 11) * 0x1.0p-53; }
    double Between(double low, double high) { return low + (high - low) * Uniform(); }
    int Whole(int low, int high) {  // low..high inclusive
        return low + static_cast<int>(Uniform() * (high - low + 1));
    }
    bool Chance(double p) { return Uniform() < p; }
    // Roughly normal, mean 0 and spread 1 (the sum of twelve uniforms).
    double Normal() {
        double sum = 0;
        for (int i = 0; i < 12; ++i) {
            sum += Uniform();
        }
        return sum - 6.0;
    }

private:
    std::uint64_t state_;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(double now) : now_(now) {}
    double Now() const override { return now_; }
    std::int64_t MonotonicMs() const override { return 0; }

private:
    double now_;
};

// The scratch file is never shared: nothing is worth waiting for.
class NoWaiter final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds) override { return false; }
    void ShowNotice(const std::string&) override {}
    bool AskRetry(const std::string&) override { return false; }
};

// How one pupil works.
struct Pupil {
    int Number = 0;
    std::string Name;
    std::array<bool, 8> SchoolDays{};  // by weekday 1 (Sunday) .. 7 (Saturday)
    int FirstDay = 0;                  // day index of the first visit
    double FinalShare = 1;             // time as a share of the target once practised
    double StartShare = 1;             // on the first run of a level
    double Steadiness = 0.1;           // spread of the times around the pupil's level
    double TimeOutChance = 0.02;       // gets stuck and lets the clock run out
    std::array<double, kLevelSlots> LevelFactor{};
    std::array<int, kLevelSlots> RunsSoFar{};
};

constexpr int kSecondsPerDay = 86400;
// The pupils start their runs in the afternoon, 16:00 to 19:30; on a last day that ends
// earlier, no earlier than the morning, 09:00.
constexpr int kAfternoonStart = 16 * 3600;
constexpr int kAfternoonLastStart = 19 * 3600 + 1800;
constexpr int kMorningStart = 9 * 3600;

double Moment(long long daySerial, int secondOfDay) {
    return static_cast<double>(daySerial) + static_cast<double>(secondOfDay) / kSecondsPerDay;
}

Pupil MakePupil(DayRandom& random, int number, std::string name, int days) {
    Pupil p;
    p.Number = number;
    p.Name = std::move(name);
    // Two to four afternoons a week, Monday to Saturday.
    const int perWeek = random.Whole(2, 4);
    while (std::count(p.SchoolDays.begin(), p.SchoolDays.end(), true) < perWeek) {
        p.SchoolDays[static_cast<std::size_t>(random.Whole(2, 7))] = true;
    }
    // Most pupils were there from the start; some joined during the first three weeks.
    p.FirstDay = random.Chance(0.75) ? 0 : random.Whole(1, std::max(1, days / 2));
    p.FinalShare = random.Between(0.6, 1.45);
    // Two in three get faster with practice; the others stay where they started.
    p.StartShare = random.Chance(0.65) ? p.FinalShare + random.Between(0.3, 0.9)
                                       : p.FinalShare + random.Between(0.0, 0.08);
    p.Steadiness = random.Between(0.05, 0.16);
    p.TimeOutChance = p.FinalShare > 1.25 ? 0.05 : 0.012;
    for (double& f : p.LevelFactor) {
        f = random.Between(0.88, 1.18);
    }
    return p;
}

// The time of the pupil's next run on the level, or the time-out.
std::int32_t RunSeconds(DayRandom& random, Pupil& p, int level, const LevelSettings& settings) {
    const auto k = static_cast<std::size_t>(level);
    const double target = settings.TargetTime[k];
    const std::int32_t timeOut = settings.MinimumTime[k] * 5;
    const int done = p.RunsSoFar[k]++;
    const double share = p.FinalShare + (p.StartShare - p.FinalShare) * std::exp(-done / 7.0);
    double seconds = target * share * p.LevelFactor[k] * std::exp(p.Steadiness * random.Normal());
    if (random.Chance(0.05)) {
        seconds *= 1.6;  // a bad day
    }
    if (random.Chance(p.TimeOutChance)) {
        return kTimedOutSeconds;
    }
    const auto floor = static_cast<std::int32_t>(std::ceil(kFastestShareOfTarget * target));
    const auto whole = static_cast<std::int32_t>(std::lround(seconds));
    if (whole >= timeOut) {
        return kTimedOutSeconds;
    }
    return std::max(whole, floor);
}

// The scratch file is written plainly (no flush to the disk): it only lives while the history
// is made.
void WriteBytes(const fs::path& file, const std::string& bytes, bool append) {
    std::ofstream out(file, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw DataFileError(PathText(file), "作業用の成績ファイルに書き込めません。");
    }
}

std::string Encoded(const ScoreRecord& r) {
    const ScoreRecordBytes b = EncodeScoreRecord(r);
    return std::string(b.data(), b.size());
}

}  // namespace

std::vector<ScoreRecord> MakeDemoHistory(const fs::path& programFolder,
                                         const DemoHistoryOptions& options,
                                         const fs::path& workFile) {
    ProgramSetup setup;
    LoadConfiguration(programFolder, setup);
    BuildLevelCatalogue(setup);
    SignedIn signIn;
    ScoreAggregates standing;
    RosterTables roster;
    roster.SchoolYear = SchoolYearOf(options.LastDay, setup.SchoolYearStartMonth);
    std::vector<std::pair<int, std::string>> listed;
    RunRosterPass(RosterFilePath(setup.DataRoot), setup.RosterHideOption, roster,
                  [&](const RosterRecord& r, int, int) {
                      if (!IsTeacher(r.Name)) {
                          listed.emplace_back(r.Number, r.Name);
                      }
                  });

    // The levels that record runs and have the times a run is judged by.
    const LevelSettings& settings = setup.Settings;
    std::vector<int> timedLevels;
    for (int i = 1; i <= setup.LevelCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!IsPracticeLevel(setup.LevelNames[k]) && setup.LevelTimed[k] == 1 &&
            settings.TargetTime[k] > 0 && settings.MinimumTime[k] > 0) {
            timedLevels.push_back(i);
        }
    }

    const long long lastDay = DaySerial(options.LastDay);
    const int days = std::max(1, options.Days);
    DayRandom random(static_cast<std::uint64_t>(lastDay) * 0x2545F4914F6CDD1DULL + 0x6B616761ULL);
    std::vector<Pupil> pupils;
    for (auto& [number, name] : listed) {
        pupils.push_back(MakePupil(random, number, name, days));
    }

    NoWaiter waiter;
    std::vector<ScoreRecord> history;
    std::string earlierDays;  // the records of the days before, as the file holds them
    for (int d = 0; d < days; ++d) {
        const long long day = lastDay - (days - 1 - d);
        const int weekday = Weekday(DateFromSerial(day));
        const bool lastOne = d == days - 1;
        std::vector<ScoreRecord> today;
        for (Pupil& p : pupils) {
            // On the last day most pupils come, so that today's lists show the school at work.
            const bool comes =
                d >= p.FirstDay && (lastOne ? random.Chance(0.7)
                                            : p.SchoolDays[static_cast<std::size_t>(weekday)] &&
                                                  random.Chance(0.9));
            if (!comes) {
                continue;
            }
            WriteBytes(workFile, earlierDays, false);
            signIn.PupilNumber = static_cast<std::int16_t>(p.Number);
            signIn.PupilName = p.Name;
            int second = random.Whole(kAfternoonStart, kAfternoonLastStart);
            const int runs = random.Whole(2, 7);
            // The last day ends at the end moment: the pupils start before it, from the
            // morning on when the afternoon has not passed yet, and no run ends after it.
            int endSecond = kSecondsPerDay - 1;
            if (lastOne) {
                endSecond = std::clamp(options.EndSecond, 0, kSecondsPerDay) - 1;
                const int latestStart = std::min(kAfternoonLastStart, endSecond - 60);
                if (latestStart < kMorningStart) {
                    continue;
                }
                if (second > latestStart) {
                    const int earliest = std::max(
                        kMorningStart, latestStart - (kAfternoonLastStart - kAfternoonStart));
                    second = earliest + (second - kAfternoonStart) * (latestStart - earliest) /
                                            (kAfternoonLastStart - kAfternoonStart);
                }
            }
            for (int r = 0; r < runs; ++r) {
                // The standing the level menu would show before this run, and its locks.
                const FixedClock before(Moment(day, second));
                AggregateScoreRecords(workFile, settings, before, standing, waiter);
                const LevelLocks locks = ComputeLevelLocks({setup, signIn, standing, roster});
                std::vector<int> open;
                int firstUncleared = 0;
                for (int level : timedLevels) {
                    const auto k = static_cast<std::size_t>(level);
                    if (!locks.StartEnabled[k] || locks.TooMuchPractice[k]) {
                        continue;
                    }
                    open.push_back(level);
                    if (firstUncleared == 0 &&
                        !IsCleared(standing, settings, level, p.Number)) {
                        firstUncleared = level;
                    }
                }
                if (open.empty()) {
                    break;
                }
                // Mostly the first level not yet cleared; now and then one already cleared.
                int level = firstUncleared;
                if (level == 0 || random.Chance(0.2)) {
                    level = open[static_cast<std::size_t>(
                        random.Whole(0, static_cast<int>(open.size()) - 1))];
                }
                const std::int32_t seconds = RunSeconds(random, p, level, settings);
                const std::int32_t took =
                    seconds == kTimedOutSeconds
                        ? settings.MinimumTime[static_cast<std::size_t>(level)] * 5
                        : seconds;
                if (second + took > endSecond) {
                    break;  // the run would still be going at the end moment
                }
                second += took;
                const ScoreRecord record = MakeRunRecord(FixedClock(Moment(day, second)),
                                                         p.Number, level, seconds, setup.SchoolCode);
                WriteBytes(workFile, Encoded(record), true);
                today.push_back(record);
                second = std::min(second + random.Whole(20, 150), kSecondsPerDay - 1);
            }
        }
        // The file holds the runs in the order they ended.
        std::stable_sort(today.begin(), today.end(), [](const ScoreRecord& a, const ScoreRecord& b) {
            return a.RunTimeOfDay < b.RunTimeOfDay;
        });
        for (const ScoreRecord& r : today) {
            earlierDays += Encoded(r);
            history.push_back(r);
        }
    }
    std::error_code ec;
    fs::remove(workFile, ec);
    return history;
}

std::size_t WriteDemoHistory(const fs::path& programFolder, const DemoHistoryOptions& options) {
    ProgramSetup setup;
    LoadConfiguration(programFolder, setup);
    const fs::path file = ScoreRecordPath(setup.ProgramDataFolder);
    fs::path work = file;
    work += ".demo-work";
    const std::vector<ScoreRecord> history = MakeDemoHistory(programFolder, options, work);
    std::string bytes;
    bytes.reserve(history.size() * kScoreRecordSize);
    for (const ScoreRecord& r : history) {
        bytes += Encoded(r);
    }
    WriteFileAtomically(file, bytes);
    return history.size();
}

}  // namespace kagaku
