// The teacher's "よく間違える問題" for a school of 300 pupils whose logs hold 20000 lines in
// all, ranked over 30 days, beside its floor: listing the folder, reading every log's bytes
// and one pass over them. And the drill's one-line append beside a bare append of the same
// bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/cp932.h"
#include "common/files.h"
#include "mistakes/mistake_log.h"
#include "mistakes/mistake_ranking.h"

namespace {

using namespace kagaku;
namespace fs = std::filesystem;

constexpr int kPupils = 300;
constexpr int kLines = 20000;
constexpr CivilDate kToday{2024, 6, 10};

fs::path Folder() {
    return fs::temp_directory_path() / ("kagaku-mistakes-bench-" + std::to_string(::getpid()));
}

// 300 logs written as the drill writes them; dates over the last 90 days, 12 levels, 40
// problems a category, a few wrong answers per problem.
const std::string& DataFolder() {
    static const std::string folder = [] {
        const fs::path dir = Folder();
        fs::create_directories(dir);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(Folder(), ec);
        });
        std::mt19937 random(20240610);
        std::uniform_int_distribution<int> pupil(1, kPupils);
        std::uniform_int_distribution<int> level(1, 12);
        std::uniform_int_distribution<int> problem(1, 40);
        std::uniform_int_distribution<int> daysAgo(0, 90);
        std::uniform_int_distribution<int> second(8 * 3600, 21 * 3600);
        std::uniform_int_distribution<int> wrong(0, 3);
        std::vector<std::string> logs(kPupils + 1);
        for (int i = 0; i < kLines; ++i) {
            const int l = level(random);
            const int p = problem(random);
            const int s = second(random);
            const int w = wrong(random);
            MistakeEntry e{DateFromSerial(DaySerial(kToday) - daysAgo(random)),
                           {s / 3600, s / 60 % 60, s % 60},
                           l,
                           (l + 1) / 2,
                           "硫酸アンモニウム" + std::to_string(p),
                           "(NH4)2SO4",
                           l % 2 == 1 ? "" : "NH4SO" + std::to_string(w)};
            logs[static_cast<std::size_t>(pupil(random))] += MistakeLogLine(e) + "\r\n";
        }
        // In code page 932, as the drill appends them.
        for (int n = 1; n <= kPupils; ++n) {
            const std::string bytes = Utf8ToCp932(logs[static_cast<std::size_t>(n)], "bench");
            std::ofstream(MistakeLogPath(PathText(dir) + "/", n), std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        return PathText(dir) + "/";
    }();
    return folder;
}

void BM_class_ranking_of_30_days_300_logs_20000_lines(benchmark::State& state) {
    const std::string& folder = DataFolder();
    RosterTables roster;
    MistakeQuery query;
    query.days = 30;
    std::size_t problems = 0;
    for (auto _ : state) {
        const MistakeRanking ranking = BuildMistakeRanking(folder, roster, query, kToday);
        problems = 0;
        for (const LevelMistakes& l : ranking.levels)
            problems += l.problems.size();
        benchmark::DoNotOptimize(problems);
    }
    state.counters["ranked_problems"] = static_cast<double>(problems);
}
BENCHMARK(BM_class_ranking_of_30_days_300_logs_20000_lines)->Unit(benchmark::kMillisecond);

// The least the work could cost: list the folder, read every log's bytes in one call each,
// and one pass that counts the lines.
void BM_class_ranking_floor_read_every_log_and_one_pass(benchmark::State& state) {
    const std::string& folder = DataFolder();
    for (auto _ : state) {
        std::size_t lines = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(PathFromText(folder))) {
            const std::string bytes = ReadWholeFile(entry.path());
            lines += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_class_ranking_floor_read_every_log_and_one_pass)->Unit(benchmark::kMillisecond);

const MistakeEntry& AnEntry() {
    static const MistakeEntry e{kToday, {10, 0, 0}, 8, 4, "硫酸イオン", "SO4-2", "SO4-"};
    return e;
}

// The drill's append of one wrong answer to a log that already holds a year's lines.
void BM_append_one_wrong_answer(benchmark::State& state) {
    const fs::path log = PathFromText(DataFolder()) / "append.csv";
    for (auto _ : state)
        AppendMistake(log, AnEntry());
    std::error_code ec;
    fs::remove(log, ec);
}
BENCHMARK(BM_append_one_wrong_answer)->Unit(benchmark::kMicrosecond);

// The floor: open for appending, one write of the same bytes, close.
void BM_append_floor_open_write_close(benchmark::State& state) {
    const fs::path log = PathFromText(DataFolder()) / "append-floor.csv";
    const std::string bytes = MistakeLogLine(AnEntry()) + "\r\n";
    for (auto _ : state) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
        ::close(fd);
    }
    std::error_code ec;
    fs::remove(log, ec);
}
BENCHMARK(BM_append_floor_open_write_close)->Unit(benchmark::kMicrosecond);

}  // namespace
