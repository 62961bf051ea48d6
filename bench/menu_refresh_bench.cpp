// The level menu's refresh work with a big school (5000 pupils, 20000 records): the roster
// pass, the lock pass and column texts, the twelve best-time rankings with their list lines,
// and the name screen's list rebuild; each beside its floor (reading the roster's bytes, one
// pass over the ranking keys).

#include <benchmark/benchmark.h>

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
#include "roster/name_list.h"
#include "roster/roster_file.h"
#include "state/shared_state.h"

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

struct School {
    std::filesystem::path folder;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    std::vector<RunRecord> records;
    FixedClock clock;

    School() {
        folder =
            std::filesystem::temp_directory_path() / ("kagaku-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        SharedState& s = *state;
        s.DataRoot = folder.string() + "/";
        s.SchoolYearStartMonth = Variant(4);
        s.RosterHideOption = Variant(0);
        s.LevelCount = kLevels;
        s.GoalLevel = Variant(6);
        s.PupilNumber = 17;
        for (int i = 1; i <= kLevels; ++i) {
            const auto k = static_cast<std::size_t>(i);
            s.LevelNames[k] = (i % 2 == 1 ? "練習" : "本番") + std::to_string(i);
            s.Settings.TargetTime[k] = 60;
            s.Settings.ClearPoints[k] = 100;
            s.Settings.ClearCount[k] = 3;
            s.Settings.PointMultiplier[k] = 1.0;
            s.Settings.PassWindowDays[k] = Variant(7);
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

        // Aggregates as the record aggregation would leave them for 20000 runs.
        const auto today = static_cast<double>(OleDay(clock.Now()));
        ScoreAggregates& a = s.Aggregates;
        for (int r = 0; r < kRecords; ++r) {
            const int pupil = 1 + static_cast<int>(random() % kPupils);
            const int level = 1 + static_cast<int>(random() % kLevels);
            const int seconds = 20 + static_cast<int>(random() % 200);
            const double date = today - static_cast<double>(random() % 60);
            records.push_back(RunRecord{date, 0.5, pupil, level, seconds});
            a.RunCount.at(level, pupil) += 1;
            const long long pts = LineRunPoints(seconds, 60);
            a.TotalPoints.at(level, pupil) += pts;
            if (date == today) {
                a.TodayRunCount.at(level, pupil) += 1;
                a.TodayPoints.at(level, pupil) += pts;
            }
            if (date > clock.Now() - 7) {
                a.PassWindowRunCount.at(level, pupil) += 1;
                a.PassWindowPoints.at(level, pupil) += pts;
            }
            auto& best = a.BestTime.at(level, pupil);
            best = std::min(best, seconds);
        }
        NameListProgress progress;
        RebuildNameList(s, clock, 1, "全学年", progress);
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

// Floor of the roster pass: reading the roster's bytes.
void BM_ReadRosterBytes(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        benchmark::DoNotOptimize(ReadWholeFile(school.folder / "新名簿.txt"));
    }
}
BENCHMARK(BM_ReadRosterBytes)->Unit(benchmark::kMillisecond);

// The roster pass alone (decode, fields, tables).
void BM_RosterPass(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        RunRosterPass(RosterFilePath(school.state->DataRoot), Variant(0), school.state->Roster);
    }
}
BENCHMARK(BM_RosterPass)->Unit(benchmark::kMillisecond);

// Floor of the rankings: one pass over the twelve levels' keys of every listed pupil.
void BM_RankingKeysPass(benchmark::State& st) {
    School& school = TheSchool();
    const SharedState& s = *school.state;
    for (auto _ : st) {
        long long sum = 0;
        for (int level = 1; level <= kLevels; ++level) {
            for (int i = 1; i <= s.Roster.RosterCount; ++i) {
                sum += s.Aggregates.BestTime.at(
                    level, s.Roster.RosterNumberAt[static_cast<std::size_t>(i)]);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_RankingKeysPass)->Unit(benchmark::kMillisecond);

// The twelve best-time rankings with their list lines.
void BM_TwelveBestTimeRankings(benchmark::State& st) {
    School& school = TheSchool();
    const BoardInputs in{*school.state, FixedGradeFilter("全学年")};
    for (auto _ : st) {
        for (int level = 1; level <= kLevels; ++level) {
            benchmark::DoNotOptimize(RankLevel(in, level, RankingKind::BestTime));
        }
    }
}
BENCHMARK(BM_TwelveBestTimeRankings)->Unit(benchmark::kMillisecond);

// The menu's whole refresh after a run: roster pass, practice targets, column texts, lock
// pass, and the twelve best-time rankings.
void BM_MenuRefresh(benchmark::State& st) {
    School& school = TheSchool();
    SharedState& s = *school.state;
    const BoardInputs in{s, FixedGradeFilter("全学年")};
    for (auto _ : st) {
        RunRosterPass(RosterFilePath(s.DataRoot), s.RosterHideOption, s.Roster);
        ApplyPracticeTargets(s);
        for (int level = 1; level <= kLevels; ++level) {
            benchmark::DoNotOptimize(LevelColumn(s, level));
        }
        benchmark::DoNotOptimize(ApplyLevelLocks(s));
        for (int level = 1; level <= kLevels; ++level) {
            benchmark::DoNotOptimize(RankLevel(in, level, RankingKind::BestTime));
        }
    }
}
BENCHMARK(BM_MenuRefresh)->Unit(benchmark::kMillisecond);

// The period list over the last 20000 records (the largest run list).
void BM_PeriodRunList(benchmark::State& st) {
    School& school = TheSchool();
    const BoardInputs in{*school.state, FixedGradeFilter("全学年")};
    for (auto _ : st) {
        benchmark::DoNotOptimize(PeriodRunList(in, school.records, school.clock.Now(), 5, false));
    }
}
BENCHMARK(BM_PeriodRunList)->Unit(benchmark::kMillisecond);

// The name screen's rebuild: roster pass, totals over 35 levels, rows, sort and filter.
void BM_NameListRebuild(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st) {
        NameListProgress progress;
        benchmark::DoNotOptimize(
            RebuildNameList(*school.state, school.clock, 1, "全学年", progress));
    }
}
BENCHMARK(BM_NameListRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kagaku
