// The level menu's refresh work with a big school (5000 pupils, 20000 records in a real record
// file): the record aggregation, the roster pass, the lock pass and column texts, the twelve
// best-time rankings with their list lines, and the name screen's list rebuild; each beside its
// floor, the least the same work could cost (reading the files' bytes, one pass over the
// records, sorting the ranking keys).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include <unistd.h>

#include "board/level_locks.h"
#include "board/level_menu.h"
#include "board/rankings.h"
#include "board/run_lists.h"
#include "board/score_board.h"
#include "common/cp932.h"
#include "common/files.h"
#include "common/ole_date.h"
#include "platform/shared_file.h"
#include "record_file_floor.h"
#include "records/aggregation.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "roster/name_list.h"
#include "roster/roster_file.h"
#include "../tests/support/state_parts.h"

namespace kagaku {
namespace {

constexpr int kPupils = 5000;
constexpr int kRecords = 20000;
constexpr int kLevels = 12;

class FixedClock final : public Clock {
public:
    double Now() const override { return ToOleDateTime({2010, 6, 9}, {15, 0, 0}); }
    std::int64_t MonotonicMs() const override { return 0; }
};

using bench::NoWaits;
using bench::ReadRecordsOnePass;

struct School {
    std::filesystem::path folder;
    std::unique_ptr<StateParts> state = std::make_unique<StateParts>();
    FixedClock clock;

    School() {
        folder =
            std::filesystem::temp_directory_path() / ("kagaku-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "kagaku");
        StateParts& s = *state;
        s.setup.DataRoot = folder.string() + "/";
        s.setup.ProgramDataFolder = (folder / "kagaku").string() + "/";
        s.setup.SchoolYearStartMonth = Variant(4);
        s.setup.RosterHideOption = Variant(0);
        s.setup.LevelCount = kLevels;
        s.setup.GoalLevel = Variant(6);
        s.signIn.PupilNumber = 17;
        for (int i = 1; i <= kLevels; ++i) {
            const auto k = static_cast<std::size_t>(i);
            s.setup.LevelNames[k] = (i % 2 == 1 ? "練習" : "本番") + std::to_string(i);
            s.setup.Settings.TargetTime[k] = 60;
            s.setup.Settings.ClearPoints[k] = 100;
            s.setup.Settings.ClearCount[k] = 3;
            s.setup.Settings.PointMultiplier[k] = 1.0;
            s.setup.Settings.PassWindowDays[k] = Variant(7);
        }

        std::mt19937 random(42);
        std::string roster;
        const char* family[] = {"山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺"};
        const char* given[] = {"太郎", "花子", "一郎", "さくら", "健", "美咲"};
        for (int n = 1; n <= kPupils; ++n) {
            roster += std::to_string(n) + "," +
                      std::to_string(1993 + static_cast<int>(random() % 14)) + ",0,0,\"" +
                      family[random() % 7] + given[random() % 6] + "\",0,,\r\n";
        }
        WriteFileAtomically(folder / "新名簿.txt", Utf8ToCp932(roster, "新名簿.txt"));

        // 20000 runs over the last 60 days, one in fifty timed out, as the drill writes them.
        const double today = ToOleDate({2010, 6, 9});
        std::string bytes;
        for (int r = 0; r < kRecords; ++r) {
            ScoreRecord record;
            record.RunDate = today - static_cast<double>(random() % 60);
            record.RunTimeOfDay = 0.4 + static_cast<double>(random() % 100) / 400.0;
            record.PupilNumber = static_cast<std::int16_t>(1 + random() % kPupils);
            record.Level = static_cast<std::int16_t>(1 + random() % kLevels);
            record.Seconds = r % 50 == 0 ? kTimedOutSeconds : 20 + static_cast<int>(random() % 200);
            const ScoreRecordBytes encoded = EncodeScoreRecord(record);
            bytes.append(encoded.data(), encoded.size());
        }
        WriteFileAtomically(RecordFile(), bytes);
        Aggregate();
        NameListProgress progress;
        RebuildNameList(s.setup, s.standing, s.roster, clock, 1, "全学年", progress);
    }
    std::filesystem::path RecordFile() const { return ScoreRecordPath(state->setup.ProgramDataFolder); }
    void Aggregate() {
        NoWaits waiter;
        AggregateScoreRecords(RecordFile(), state->setup.Settings, clock, state->standing, waiter);
    }
    ~School() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

School& TheSchool() {
    static School school;
    return school;
}

// Floor of the aggregation: the record file's bytes and one pass over its records.
void BM_AggregationFloor(benchmark::State& st) {
    School& school = TheSchool();
    std::string buffer;
    for (auto _ : st) {
        benchmark::DoNotOptimize(ReadRecordsOnePass(school.RecordFile(), buffer));
    }
}
BENCHMARK(BM_AggregationFloor)->Unit(benchmark::kMillisecond);

// The record aggregation: every per-level, per-pupil table rebuilt from the file.
void BM_Aggregation(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        school.Aggregate();
    }
}
BENCHMARK(BM_Aggregation)->Unit(benchmark::kMillisecond);

// Floor of the roster pass: reading the roster's bytes.
void BM_RosterPassFloor(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        benchmark::DoNotOptimize(ReadWholeFile(school.folder / "新名簿.txt"));
    }
}
BENCHMARK(BM_RosterPassFloor)->Unit(benchmark::kMillisecond);

// The roster pass alone (decode, fields, tables).
void BM_RosterPass(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        RunRosterPass(RosterFilePath(school.state->setup.DataRoot), Variant(0), school.state->roster);
    }
}
BENCHMARK(BM_RosterPass)->Unit(benchmark::kMillisecond);

// Floor of the rankings: each level's best times of every listed pupil gathered and sorted.
std::int64_t SortRankingKeys(const StateParts& s) {
    std::vector<std::int32_t> keys;
    std::int64_t sum = 0;
    for (int level = 1; level <= kLevels; ++level) {
        keys.clear();
        for (int i = 1; i <= s.roster.RosterCount; ++i) {
            keys.push_back(s.standing.BestTime.at(
                level, s.roster.RosterNumberAt[static_cast<std::size_t>(i)]));
        }
        std::stable_sort(keys.begin(), keys.end());
        sum += keys.front();
    }
    return sum;
}
void BM_RankingsFloor(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        benchmark::DoNotOptimize(SortRankingKeys(*school.state));
    }
}
BENCHMARK(BM_RankingsFloor)->Unit(benchmark::kMillisecond);

// The twelve best-time rankings with their list lines, as the board fills them.
void BM_TwelveBestTimeRankings(benchmark::State& st) {
    School& school = TheSchool();
    const BoardInputs in{school.state->Board(), std::string("全学年")};
    for (auto _ : st) {
        const std::vector<RunRecord> records = RunRecordsOf(school.state->standing);
        benchmark::DoNotOptimize(FillBoard(in, BoardList::BestTimes, records, school.clock.Now(), {}));
    }
}
BENCHMARK(BM_TwelveBestTimeRankings)->Unit(benchmark::kMillisecond);

// Floor of the whole refresh: the floors above one after another.
void BM_MenuRefreshFloor(benchmark::State& st) {
    School& school = TheSchool();
    std::string buffer;
    for (auto _ : st) {
        benchmark::DoNotOptimize(ReadRecordsOnePass(school.RecordFile(), buffer));
        benchmark::DoNotOptimize(ReadWholeFile(school.folder / "新名簿.txt"));
        benchmark::DoNotOptimize(SortRankingKeys(*school.state));
    }
}
BENCHMARK(BM_MenuRefreshFloor)->Unit(benchmark::kMillisecond);

// The menu's whole refresh after a run: aggregation, roster pass, practice targets, column
// texts, lock pass, and the twelve best-time rankings with their lines.
void BM_MenuRefresh(benchmark::State& st) {
    School& school = TheSchool();
    StateParts& s = *school.state;
    const BoardInputs in{s.Board(), std::string("全学年")};
    for (auto _ : st) {
        school.Aggregate();
        RunRosterPass(RosterFilePath(s.setup.DataRoot), s.setup.RosterHideOption, s.roster);
        ApplyPracticeTargets(s.setup);
        for (int level = 1; level <= kLevels; ++level) {
            benchmark::DoNotOptimize(LevelColumn(s.Board(), level));
        }
        benchmark::DoNotOptimize(ApplyLevelLocks(s.Board(), s.board));
        const std::vector<RunRecord> records = RunRecordsOf(s.standing);
        benchmark::DoNotOptimize(FillBoard(in, BoardList::BestTimes, records, school.clock.Now(), {}));
    }
}
BENCHMARK(BM_MenuRefresh)->Unit(benchmark::kMillisecond);

// The period list over the last 20000 records (the largest run list).
void BM_PeriodRunList(benchmark::State& st) {
    School& school = TheSchool();
    const BoardInputs in{school.state->Board(), std::string("全学年")};
    const std::vector<RunRecord> records = RunRecordsOf(school.state->standing);
    for (auto _ : st) {
        benchmark::DoNotOptimize(PeriodRunList(in, records, school.clock.Now(), 5, false));
    }
}
BENCHMARK(BM_PeriodRunList)->Unit(benchmark::kMillisecond);

// Floor of the name-list rebuild: both files' bytes, one pass over the records, and the
// 5000 rows' texts sorted.
void BM_NameListRebuildFloor(benchmark::State& st) {
    School& school = TheSchool();
    const StateParts& s = *school.state;
    std::string buffer;
    for (auto _ : st) {
        benchmark::DoNotOptimize(ReadRecordsOnePass(school.RecordFile(), buffer));
        benchmark::DoNotOptimize(ReadWholeFile(school.folder / "新名簿.txt"));
        std::vector<std::string> rows;
        rows.reserve(static_cast<std::size_t>(s.roster.RosterCount));
        for (int i = 1; i <= s.roster.RosterCount; ++i) {
            rows.push_back(s.roster.RosterName[static_cast<std::size_t>(
                s.roster.RosterNumberAt[static_cast<std::size_t>(i)])]);
        }
        std::sort(rows.begin(), rows.end());
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_NameListRebuildFloor)->Unit(benchmark::kMillisecond);

// The name screen's rebuild as it runs on every display or grade change: aggregation, roster
// pass, totals over 35 levels, rows, sort and filter.
void BM_NameListRebuild(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        NameListProgress progress;
        benchmark::DoNotOptimize(RebuildNameList(school.state->setup, school.state->standing,
                                                 school.state->roster, school.clock, 1, "全学年", progress,
                                                 [&] { school.Aggregate(); }));
    }
}
BENCHMARK(BM_NameListRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kagaku
