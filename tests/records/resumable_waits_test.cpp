// Record file work run by a waiter that keeps its progress: each try stops where it would wait
// or ask, and the caller runs the work again later. Across the tries nothing is done twice and
// nothing the waits had reached is lost.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/shared_file.h"
#include "records/aggregation.h"
#include "records/record_test_support.h"
#include "records/score_record_file.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::RunOn;

constexpr CivilDate kDay{2024, 6, 10};

// Keeps the progress; never waits or asks in place.
class KeepingWaiter final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds) override {
        ADD_FAILURE() << "waited in place";
        return false;
    }
    bool AskRetry(const std::string&) override {
        ADD_FAILURE() << "asked in place";
        return false;
    }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
    RandomSource& WaitSpread() override { return spread; }
    RecordFileProgress* KeptProgress() override { return &progress; }

    RecordFileProgress progress;
    std::vector<std::string> notices;
    testing::FakeWaiter::MiddleSpread spread;
};

struct Tries {
    std::vector<int> delays;              // each stop to wait, in milliseconds
    std::vector<std::string> questions;   // each stop to ask
    std::optional<std::string> error;     // the work's failure, if it failed
    int count = 0;
};

// Runs work until it finishes, as a screen's timer would: between tries, between(stops so far)
// runs; a question is answered yes while answersYes lasts, else no.
Tries RunResumably(KeepingWaiter& waiter, const std::function<void(RecordFileWaiter&)>& work,
                   const std::function<void(int)>& between, int answersYes = 1000) {
    Tries t;
    for (;;) {
        ++t.count;
        waiter.progress.BeginTry();
        try {
            work(waiter);
            return t;
        } catch (const WaitDeferred& d) {
            if (d.Asks()) {
                t.questions.push_back(d.Question());
                if (static_cast<int>(t.questions.size()) > answersYes) {
                    t.error = d.IfRefused().problem();
                    return t;
                }
            } else {
                t.delays.push_back(static_cast<int>(d.Delay().count()));
            }
        } catch (const DataFileError& e) {
            t.error = e.problem();
            return t;
        }
        if (t.count > 500) {
            ADD_FAILURE() << "never finished";
            return t;
        }
        if (between) {
            between(static_cast<int>(t.delays.size() + t.questions.size()));
        }
    }
}

std::vector<ScoreRecord> FiveRuns() {
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= 5; ++i) {
        records.push_back(RunOn(kDay, 10 + i, 2, 100 + i));
    }
    return records;
}

std::uint64_t CountOf(const fs::path& file, const ScoreRecord& record) {
    const RecordWindow w = ReadRecordWindow(file, 0);
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < w.Count(); ++i) {
        if (EncodeScoreRecord(w.Record(i)) == EncodeScoreRecord(record)) ++n;
    }
    return n;
}

// Another PC's writers' lock, held by a second open file of this process (the locks belong to
// the open file, as between two PCs).
std::unique_ptr<SharedFile> HoldLock(const fs::path& file) {
    auto holder = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
    EXPECT_TRUE(holder->TryLockRange(kRecordLockOffset, kRecordLockLength));
    return holder;
}

struct AppendCase {
    const char* catches;
    // Sets the fault up before the first try; returns what to do between tries.
    std::function<std::function<void(int)>(const fs::path& file)> arrange;
    int answersYes;
    std::size_t stopsToWait;
    std::size_t questions;
    bool fails;
};

class ResumableAppend : public ::testing::TestWithParam<AppendCase> {};

TEST_P(ResumableAppend, AddsTheRunExactlyOnce) {
    const AppendCase& c = GetParam();
    testing::TempDir dir;
    const fs::path file = testing::WriteRecordFile(dir, FiveRuns());
    const ScoreRecord run = RunOn(kDay, 40, 3, 777);
    KeepingWaiter waiter;
    std::function<void(int)> between = c.arrange(file);
    std::uint64_t number = 0;
    const Tries t = RunResumably(
        waiter, [&](RecordFileWaiter& w) { number = AppendScoreRecord(file, run, w); },
        [&](int stops) {
            FailFileCall(-1, 0);
            FailFileChangesAfter(-1);
            if (between) between(stops);
        },
        c.answersYes);
    FailFileCall(-1, 0);
    FailFileChangesAfter(-1);

    EXPECT_EQ(t.delays.size(), c.stopsToWait);
    EXPECT_EQ(t.questions.size(), c.questions);
    EXPECT_EQ(t.error.has_value(), c.fails) << t.error.value_or("");
    if (c.fails) {
        EXPECT_EQ(CountOf(file, run), 0u);
        EXPECT_EQ(t.error->rfind("成績ランダムファイル記録", 0), 0u) << *t.error;
    } else {
        EXPECT_EQ(CountOf(file, run), 1u);
        EXPECT_EQ(number, 6u);
        EXPECT_EQ(fs::file_size(file), 6u * kScoreRecordSize);
    }
    if (!c.fails) {
        EXPECT_TRUE(waiter.progress.Empty()) << "progress left behind after the work ended";
    }
}

// Call numbers (from 0) of an append on an existing file: open, measure (identity), lock, ...
// found by the fault walk; the first changing call is the write.
INSTANTIATE_TEST_SUITE_P(
    Cases, ResumableAppend,
    ::testing::Values(
        AppendCase{"busy at open: waits, then appends once",
                   [](const fs::path&) -> std::function<void(int)> {
                       FailFileCall(0, EACCES);
                       return {};
                   },
                   1000, 1, 0, false},
        AppendCase{"busy at the lock for three tries",
                   [](const fs::path& file) -> std::function<void(int)> {
                       auto holder = std::make_shared<std::unique_ptr<SharedFile>>(HoldLock(file));
                       return [holder](int stops) {
                           if (stops == 3) holder->reset();
                       };
                   },
                   1000, 3, 0, false},
        AppendCase{"the write lands, its flush and the undo fail, then Yes: not written twice",
                   [](const fs::path& file) -> std::function<void(int)> {
                       // The opening (for writing) and the write get through; the flush and
                       // the undo fail.
                       FailFileChangesAfter(2);
                       return [file](int stops) {
                           if (stops == 1) {
                               EXPECT_EQ(fs::file_size(file), 6u * kScoreRecordSize);
                           }
                       };
                   },
                   1000, 0, 1, false},
        AppendCase{"the write and the undo fail, then Yes: appended once",
                   [](const fs::path&) -> std::function<void(int)> {
                       FailFileChangesAfter(1);  // the opening gets through
                       return {};
                   },
                   1000, 0, 1, false},
        AppendCase{"the write fails and No: the blocking call's error, nothing kept",
                   [](const fs::path&) -> std::function<void(int)> {
                       FailFileChangesAfter(1);  // the opening gets through
                       return {};
                   },
                   0, 0, 1, true}),
    [](const ::testing::TestParamInfo<AppendCase>& param) {
        return "Case" + std::to_string(param.index);
    });

// The waits grow across tries just as they grow in one blocking call, and the notice comes
// once, at the try after the wait passed the long wait, and goes once the work is done.
TEST(ResumableWaits, WaitsKeepGrowingAndTheNoticeShowsOnce) {
    testing::TempDir dir;
    const fs::path file = testing::WriteRecordFile(dir, FiveRuns());
    const ScoreRecord run = RunOn(kDay, 40, 3, 777);

    constexpr int kStops = 60;  // well past the long wait at a second a wait
    std::vector<int> blocking;
    {
        auto holder = HoldLock(file);
        testing::FakeWaiter waiter;
        waiter.onWait = [&](int n) {
            if (n == kStops) holder.reset();
        };
        AppendScoreRecord(file, run, waiter);
        blocking = waiter.waits;
        ASSERT_EQ(blocking.size(), static_cast<std::size_t>(kStops));
        ASSERT_EQ(waiter.notices.size(), 2u);
    }

    auto holder = HoldLock(file);
    KeepingWaiter waiter;
    std::vector<std::size_t> noticesAtStop;
    const Tries t = RunResumably(
        waiter, [&](RecordFileWaiter& w) { AppendScoreRecord(file, run, w); },
        [&](int stops) {
            noticesAtStop.push_back(waiter.notices.size());
            if (stops == kStops) holder.reset();
        });
    EXPECT_FALSE(t.error) << *t.error;
    EXPECT_EQ(t.delays, blocking);
    EXPECT_EQ(t.delays.back(), 750);  // the ceiling reached: spread in the middle
    ASSERT_EQ(waiter.notices.size(), 2u);
    EXPECT_NE(waiter.notices[0], "");
    EXPECT_EQ(waiter.notices[1], "");
    // Shown at the first try after 30 seconds of waits, never taken down between tries.
    int waited = 0;
    std::size_t firstStopAfterLongWait = 0;
    for (std::size_t i = 0; i < t.delays.size(); ++i) {
        waited += t.delays[i];
        if (waited >= 30000) {
            firstStopAfterLongWait = i + 1;
            break;
        }
    }
    ASSERT_GT(firstStopAfterLongWait, 0u);
    EXPECT_EQ(noticesAtStop[firstStopAfterLongWait - 1], 0u);
    EXPECT_EQ(noticesAtStop[firstStopAfterLongWait], 1u);
    EXPECT_EQ(noticesAtStop.back(), 1u);
    EXPECT_EQ(CountOf(file, run), 2u);  // once by each way of waiting
}

// A read whose file is missing waits for it as often as the blocking read, then fails with
// the same message; a busy read goes on once the file is free.
TEST(ResumableWaits, ReadsWaitForAMissingFileAsOftenAsBlockingReads) {
    testing::TempDir dir;
    const fs::path file = dir / "gone" / kScoreRecordFileName;
    RecordWindow window;

    testing::FakeWaiter blocking;
    std::string blockingError;
    try {
        ReadRecordWindowPatiently(file, 0, window, blocking);
    } catch (const DataFileError& e) {
        blockingError = e.problem();
    }
    ASSERT_FALSE(blockingError.empty());

    KeepingWaiter waiter;
    const Tries t = RunResumably(
        waiter, [&](RecordFileWaiter& w) { ReadRecordWindowPatiently(file, 0, window, w); }, {});
    EXPECT_EQ(t.delays, blocking.waits);
    EXPECT_EQ(t.error.value_or(""), blockingError);
    EXPECT_TRUE(waiter.progress.Empty());

    // The file comes back after two waits: read then.
    KeepingWaiter again;
    const fs::path later = dir / "later" / kScoreRecordFileName;
    const Tries u = RunResumably(
        again, [&](RecordFileWaiter& w) { ReadRecordWindowPatiently(later, 0, window, w); },
        [&](int stops) {
            if (stops == 2) {
                // Written through the same path the reader is given (a narrow name would be
                // read in the system's code page on Windows, naming another file).
                fs::create_directories(later.parent_path());
                std::ofstream(later, std::ios::binary) << testing::RecordFileBytes(FiveRuns());
            }
        });
    EXPECT_FALSE(u.error) << *u.error;
    EXPECT_EQ(u.delays.size(), 2u);
    EXPECT_EQ(window.Count(), 5u);
}

}  // namespace
}  // namespace kagaku
