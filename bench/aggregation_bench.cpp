// Rebuilding the standing from 20000 records spread over 5000 pupils and 12 levels, beside its
// floor: reading the same file into memory and one pass over the records.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/ole_date.h"
#include "platform/shared_file.h"
#include "record_file_floor.h"
#include "records/aggregation.h"
#include "records/score_record.h"

namespace {

using namespace kagaku;
namespace fs = std::filesystem;

constexpr int kRecords = 20000;

class FixedClock final : public Clock {
public:
    double Now() const override { return ToOleDateTime({2024, 6, 10}, {15, 0, 0}); }
    std::int64_t MonotonicMs() const override { return 0; }
};

const fs::path& RecordFile() {
    static const fs::path file = [] {
        fs::path folder =
            fs::temp_directory_path() / ("kagaku-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        fs::path p = folder / kScoreRecordFileName;
        std::mt19937 random(20240610);
        std::uniform_int_distribution<int> pupil(1, 5000);
        std::uniform_int_distribution<int> level(1, 12);
        std::uniform_int_distribution<int> seconds(20, 400);
        std::uniform_int_distribution<int> daysAgo(0, 90);
        std::string bytes;
        double today = ToOleDate({2024, 6, 10});
        for (int i = 0; i < kRecords; ++i) {
            ScoreRecord r;
            r.RunDate = today - daysAgo(random);
            r.RunTimeOfDay = 0.5;
            r.PupilNumber = static_cast<std::int16_t>(pupil(random));
            r.Level = static_cast<std::int16_t>(level(random));
            r.Seconds = i % 50 == 0 ? kTimedOutSeconds : seconds(random);
            ScoreRecordBytes b = EncodeScoreRecord(r);
            bytes.append(b.data(), b.size());
        }
        // The folder goes when the benchmark ends.
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(
                fs::temp_directory_path() / ("kagaku-bench-" + std::to_string(::getpid())), ec);
        });
        std::ofstream(p, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p;
    }();
    return file;
}

LevelSettings Settings() {
    LevelSettings s;
    for (std::size_t level = 1; level <= 12; ++level) {
        s.TargetTime[level] = 120;
        s.PointMultiplier[level] = level % 3 == 0 ? 1.5 : 1.0;
        s.PassWindowDays[level] = Variant(30LL);
        s.BanWindowDays[level] = Variant(7LL);
    }
    return s;
}

void BM_aggregation_of_20000_records(benchmark::State& state) {
    const fs::path& file = RecordFile();
    LevelSettings settings = Settings();
    FixedClock clock;
    bench::NoWaits waiter;
    ScoreAggregates aggregates;
    AggregateScoreRecords(file, settings, clock, aggregates, waiter);  // tables warmed up
    std::uint64_t readsBefore = SharedFile::ReadCallCount();
    for (auto _ : state) {
        AggregateScoreRecords(file, settings, clock, aggregates, waiter);
        benchmark::DoNotOptimize(aggregates.LevelBestTime.data());
    }
    state.counters["read_calls_per_aggregation"] =
        static_cast<double>(SharedFile::ReadCallCount() - readsBefore) /
        static_cast<double>(state.iterations());
    state.counters["records"] = static_cast<double>(aggregates.LoadedRecordCount);
}
BENCHMARK(BM_aggregation_of_20000_records)->Unit(benchmark::kMicrosecond);

// The least the work could cost: open the file, read its bytes in one call, and one pass that
// looks at every record's pupil, level and seconds.
void BM_aggregation_floor_read_file_and_one_pass(benchmark::State& state) {
    const fs::path& file = RecordFile();
    std::string buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::ReadRecordsOnePass(file, buffer));
    }
}
BENCHMARK(BM_aggregation_floor_read_file_and_one_pass)->Unit(benchmark::kMicrosecond);

}  // namespace
