// The processes of the record file soak (scripts/soak.sh): PCs appending runs at random
// intervals, a teacher rewriting and deleting records meanwhile, and the check of the end result.
//   record_soak_helper pc FILE PC COUNT SEED   appends COUNT runs of pupil PC (seconds 1..COUNT);
//                                              prints "A PC SECONDS RECORD MICROSECONDS WAITS"
//                                              once each append is acknowledged
//   record_soak_helper teacher FILE COUNT SEED  COUNT rewrites (a new level) and deletions of
//                                              random records, each with the record it read;
//                                              prints "R PUPIL SECONDS LEVEL" or "D PUPIL SECONDS"
//                                              for each one that reported success
//   record_soak_helper verify FILE LOG...       checks the file against the logs: every
//                                              acknowledged run there exactly once less the
//                                              deletions, with its last level, nothing torn
// A "second" of waiting for the lock is a millisecond here: the contention is real, the soak
// need not take hours. The longest wait reported is the time an append took from its call to
// its acknowledgment, in microseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "common/errors.h"
#include "records/score_record.h"
#include "records/score_record_file.h"

namespace {

using namespace kagaku;
using Clock = std::chrono::steady_clock;

// Waits as the program does between two tries: the delays of the record layer, slept for real.
class QuickWaiter final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds delay) override {
        ++waits;
        std::this_thread::sleep_for(delay);
        return true;
    }
    void ShowNotice(const std::string&) override {}
    bool AskRetry(const std::string& text) override {
        std::fprintf(stderr, "record_soak_helper: %s\n", text.c_str());
        return false;
    }
    long waits = 0;
};

void Pause(std::mt19937& random) {
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
}

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

ScoreRecord Run(int pc, int seconds) {
    ScoreRecord r;
    r.RunDate = 45500.0;
    r.RunTimeOfDay = 0.5;
    r.PupilNumber = static_cast<std::int16_t>(pc);
    r.Level = 2;
    r.Seconds = seconds;
    r.SchoolCode = MakeRecordText("12345");
    return r;
}

int Pc(const char* file, int pc, int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 1; i <= count; ++i) {
        Pause(random);
        QuickWaiter waiter;
        const auto start = Clock::now();
        const std::uint64_t n = AppendScoreRecord(file, Run(pc, i), waiter);
        const auto took =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        std::ostringstream line;
        line << "A " << pc << ' ' << i << ' ' << n << ' ' << took << ' ' << waiter.waits;
        Say(line.str());
    }
    return 0;
}

int Teacher(const char* file, int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        Pause(random);
        const RecordWindow window = ReadRecordWindow(file, 0);
        if (window.Count() == 0) {
            continue;
        }
        const std::size_t at = random() % window.Count();
        ScoreRecordBytes seen{};
        std::copy_n(window.RecordBytes(at), kScoreRecordSize, seen.begin());
        const ScoreRecord record = window.Record(at);
        const std::uint64_t n = window.FirstRecordNumber + at;
        QuickWaiter waiter;
        std::ostringstream line;
        if (random() % 3 == 0) {
            if (DeleteScoreRecord(file, n, waiter, &seen) == RecordChange::Done) {
                line << "D " << record.PupilNumber << ' ' << record.Seconds;
            }
        } else {
            ScoreRecord changed = record;
            changed.Level = static_cast<std::int16_t>(1 + random() % 35);
            if (RewriteScoreRecord(file, n, changed, waiter, &seen) == RecordChange::Done) {
                line << "R " << record.PupilNumber << ' ' << record.Seconds << ' ' << changed.Level;
            }
        }
        if (!line.str().empty()) {
            Say(line.str());
        }
    }
    return 0;
}

int Verify(const char* file, int logCount, char** logs) {
    using Run = std::pair<int, int>;  // pupil, seconds
    std::map<Run, int> expectedLevel;
    long appends = 0, rewrites = 0, deletions = 0, longest = 0, mostWaits = 0;
    for (int i = 0; i < logCount; ++i) {
        std::ifstream in(logs[i]);
        std::string kind;
        while (in >> kind) {
            int pupil = 0, seconds = 0;
            in >> pupil >> seconds;
            if (kind == "A") {
                long n = 0, took = 0, waits = 0;
                in >> n >> took >> waits;
                ++appends;
                longest = std::max(longest, took);
                mostWaits = std::max(mostWaits, waits);
                if (!expectedLevel.emplace(Run{pupil, seconds}, 2).second) {
                    std::fprintf(stderr, "run %d/%d acknowledged twice\n", pupil, seconds);
                    return 1;
                }
            } else if (kind == "R") {
                int level = 0;
                in >> level;
                ++rewrites;
                expectedLevel[Run{pupil, seconds}] = level;
            } else if (kind == "D") {
                ++deletions;
                expectedLevel.erase(Run{pupil, seconds});
            }
        }
    }
    const RecordWindow window = ReadRecordWindow(file, 0);
    int faults = 0;
    if (window.TrailingBytes != 0) {
        std::fprintf(stderr, "%llu stray bytes at the end\n",
                     static_cast<unsigned long long>(window.TrailingBytes));
        ++faults;
    }
    std::map<Run, int> found;
    for (std::size_t i = 0; i < window.Count(); ++i) {
        const ScoreRecord r = window.Record(i);
        const Run run{r.PupilNumber, r.Seconds};
        if (CheckScoreRecord(r) || r.RunDate != 45500.0 || !found.emplace(run, r.Level).second) {
            std::fprintf(stderr, "record %zu torn or doubled: %d/%d\n", i + 1, run.first,
                         run.second);
            ++faults;
        }
    }
    for (const auto& [run, level] : expectedLevel) {
        auto it = found.find(run);
        if (it == found.end()) {
            std::fprintf(stderr, "acknowledged run %d/%d lost\n", run.first, run.second);
            ++faults;
        } else if (it->second != level) {
            std::fprintf(stderr, "run %d/%d has level %d, last rewritten to %d\n", run.first,
                         run.second, it->second, level);
            ++faults;
        }
    }
    for (const auto& [run, level] : found) {
        if (!expectedLevel.count(run)) {
            std::fprintf(stderr, "run %d/%d is there, never acknowledged or deleted\n", run.first,
                         run.second);
            ++faults;
        }
    }
    std::printf(
        "appends %ld, rewrites %ld, deletions %ld, records %zu; longest append %.1f ms, "
        "most lock waits in one append %ld; faults %d\n",
        appends, rewrites, deletions, window.Count(), static_cast<double>(longest) / 1000.0,
        mostWaits, faults);
    return faults == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "pc" && argc == 6) {
            return Pc(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                      static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)));
        }
        if (mode == "teacher" && argc == 5) {
            return Teacher(argv[2], std::atoi(argv[3]),
                           static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)));
        }
        if (mode == "verify" && argc >= 3) {
            return Verify(argv[2], argc - 3, argv + 3);
        }
        std::fprintf(stderr, "usage: record_soak_helper pc|teacher|verify FILE ...\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "record_soak_helper: %s\n", e.what());
        return 1;
    }
}
