// Several processes appending to one record file at once, as the machines of a classroom do.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "common/files.h"
#include "records/child_process.h"
#include "records/record_test_support.h"
#include "records/score_record_file.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;

constexpr int kProcesses = 8;
constexpr int kFirstPupil = 101;

std::unique_ptr<ChildProcess> StartAppender(const fs::path& file, int pupil, int count) {
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{KAGAKU_HELPER_append_helper, "append", PathText(file),
                                 std::to_string(pupil), std::to_string(count)});
}

struct Reported {
    int pupil;
    int seconds;
    std::uint64_t record;
};

std::vector<Reported> ParseReports(int pupil, const std::string& output) {
    std::vector<Reported> reports;
    std::istringstream lines(output);
    int seconds;
    std::uint64_t record;
    while (lines >> seconds >> record) {
        reports.push_back({pupil, seconds, record});
    }
    return reports;
}

// Every whole record must be one of the appenders' runs, whole and present once; every append
// a process reported done must be in the file at the number it was given.
void ExpectEveryReportedAppendOnce(const fs::path& file, const std::vector<Reported>& reports,
                                   int perProcess) {
    RecordWindow w = ReadRecordWindow(file, 0);
    std::set<std::pair<int, int>> seen;
    for (std::size_t i = 0; i < w.Count(); ++i) {
        ScoreRecord r = w.Record(i);
        SCOPED_TRACE("record " + std::to_string(i + 1));
        ASSERT_GE(r.PupilNumber, kFirstPupil);
        ASSERT_LT(r.PupilNumber, kFirstPupil + kProcesses);
        ASSERT_GE(r.Seconds, 1);
        ASSERT_LE(r.Seconds, perProcess);
        ASSERT_EQ(r.Level, 2);
        ASSERT_GT(r.RunDate, 40000.0);
        ASSERT_EQ(RecordTextValue(r.SchoolCode), "12345");
        ASSERT_EQ(std::string(r.PointsText.data(), 5), " 0   ");
        ASSERT_TRUE(seen.insert({r.PupilNumber, r.Seconds}).second) << "twice";
    }
    for (const Reported& rep : reports) {
        ASSERT_LE(rep.record, w.Count());
        ScoreRecord r = w.Record(static_cast<std::size_t>(rep.record - 1));
        EXPECT_EQ(r.PupilNumber, rep.pupil);
        EXPECT_EQ(r.Seconds, rep.seconds);
    }
}

// Eight processes appending a few hundred records each: none lost, none torn, none twice.
TEST(RecordConcurrency, EightProcessesAppendingAtOnce) {
    constexpr int kEach = 250;
    testing::TempDir dir;
    fs::path file = dir / kScoreRecordFileName;
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int p = 0; p < kProcesses; ++p) {
        children.push_back(StartAppender(file, kFirstPupil + p, kEach));
    }
    std::vector<Reported> reports;
    for (int p = 0; p < kProcesses; ++p) {
        int status = 0;
        std::string out = children[static_cast<std::size_t>(p)]->Finish(&status);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "appender " << p;
        auto mine = ParseReports(kFirstPupil + p, out);
        EXPECT_EQ(mine.size(), static_cast<std::size_t>(kEach));
        reports.insert(reports.end(), mine.begin(), mine.end());
    }
    EXPECT_EQ(fs::file_size(file), static_cast<std::uintmax_t>(kProcesses * kEach) * 44u);
    ExpectEveryReportedAppendOnce(file, reports, kEach);
}

// Processes killed at random moments (one of them in the middle of writing a record, holding
// the lock): every append reported done survives, the lock is not left held, and the next
// append after a torn tail lands on the next whole record.
TEST(RecordConcurrency, ProcessesKilledAtRandomMoments) {
    constexpr int kEach = 200;
    std::random_device device;
    const unsigned seed = device();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    testing::TempDir dir;
    fs::path file = dir / kScoreRecordFileName;
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int p = 0; p < kProcesses; ++p) {
        children.push_back(StartAppender(file, kFirstPupil + p, kEach));
    }
    std::vector<int> order(kProcesses);
    for (int p = 0; p < kProcesses; ++p) {
        order[static_cast<std::size_t>(p)] = p;
    }
    std::shuffle(order.begin(), order.end(), random);
    std::uniform_int_distribution<int> pause(5, 120);
    for (int k = 0; k < kProcesses / 2; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        children[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])]->Kill();
        if (k == 1) {
            ChildProcess tear({KAGAKU_HELPER_append_helper, "tear", PathText(file)});
            int status = 0;
            tear.Finish(&status);
            ASSERT_TRUE(WIFSIGNALED(status));
        }
    }
    std::vector<Reported> reports;
    for (int p = 0; p < kProcesses; ++p) {
        int status = 0;
        std::string out = children[static_cast<std::size_t>(p)]->Finish(&status);
        auto mine = ParseReports(kFirstPupil + p, out);
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(mine.size(), static_cast<std::size_t>(kEach));
        }
        reports.insert(reports.end(), mine.begin(), mine.end());
    }
    ExpectEveryReportedAppendOnce(file, reports, kEach);

    // Whatever the last process left at the end, the next append takes the next whole record.
    const std::uint64_t whole = fs::file_size(file) / 44;
    testing::FakeWaiter waiter;
    ScoreRecord last = testing::RunOn({2024, 6, 3}, kFirstPupil, 2, 1);
    EXPECT_EQ(AppendScoreRecord(file, last, waiter), whole + 1);
    EXPECT_EQ(fs::file_size(file), (whole + 1) * 44);
    EXPECT_TRUE(waiter.waits.empty()) << "a killed process left the lock held";
}

// The torn tail on its own: a writer dies after 20 bytes; the next appender from another
// process writes over them.
TEST(RecordConcurrency, AppendAfterAWriterDiedMidRecord) {
    testing::TempDir dir;
    fs::path file = testing::WriteRecordFile(dir, {testing::RunOn({2024, 6, 3}, 101, 2, 1)});
    ChildProcess tear({KAGAKU_HELPER_append_helper, "tear", PathText(file)});
    int status = 0;
    tear.Finish(&status);
    ASSERT_EQ(fs::file_size(file), 64u);
    auto appender = StartAppender(file, 102, 1);
    std::string out = appender->Finish(&status);
    EXPECT_EQ(out, "1 2\n");
    EXPECT_EQ(fs::file_size(file), 88u);
    EXPECT_EQ(ReadScoreRecord(file, 2).PupilNumber, 102);
}

// Deleting records in place under the writers' lock while other processes append: no append
// may be lost (as it was when a copy of the file was renamed over it).
TEST(RecordConcurrency, DeletionsWhileOthersAppendLoseNothing) {
    constexpr int kEach = 100;
    constexpr int kVictims = 30;
    testing::TempDir dir;
    std::vector<ScoreRecord> victims(kVictims, testing::RunOn({2024, 6, 3}, 999, 2, 5));
    fs::path file = testing::WriteRecordFile(dir, victims);
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int p = 0; p < 4; ++p) {
        children.push_back(StartAppender(file, kFirstPupil + p, kEach));
    }
    testing::FakeWaiter waiter;
    waiter.onWait = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); };
    for (int deleted = 0; deleted < kVictims; ++deleted) {
        RecordWindow w = ReadRecordWindow(file, 0);
        std::uint64_t n = 0;
        for (std::size_t i = 0; i < w.Count() && n == 0; ++i) {
            if (w.Record(i).PupilNumber == 999) {
                n = i + 1;
            }
        }
        ASSERT_NE(n, 0u);
        DeleteScoreRecord(file, n, waiter);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    std::vector<Reported> reports;
    for (int p = 0; p < 4; ++p) {
        int status = 0;
        std::string out = children[static_cast<std::size_t>(p)]->Finish(&status);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        auto mine = ParseReports(kFirstPupil + p, out);
        EXPECT_EQ(mine.size(), static_cast<std::size_t>(kEach));
        reports.insert(reports.end(), mine.begin(), mine.end());
    }
    // Record numbers moved down as victims went, so check by content only.
    EXPECT_EQ(fs::file_size(file), 4u * kEach * 44u);
    RecordWindow w = ReadRecordWindow(file, 0);
    std::set<std::pair<int, int>> present;
    for (std::size_t i = 0; i < w.Count(); ++i) {
        present.insert({w.Record(i).PupilNumber, w.Record(i).Seconds});
    }
    for (const Reported& r : reports) {
        EXPECT_TRUE(present.count({r.pupil, r.seconds})) << r.pupil << " " << r.seconds;
    }
}

// A lock held by another process keeps an append waiting until it is released.
TEST(RecordConcurrency, LockHeldByAnotherProcessMakesTheAppendWait) {
    testing::TempDir dir;
    fs::path file = dir / kScoreRecordFileName;
    ChildProcess holder({KAGAKU_HELPER_append_helper, "hold", PathText(file), "300"});
    ASSERT_EQ(holder.ReadLine(), "locked");
    testing::FakeWaiter waiter;
    waiter.onWait = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
    EXPECT_EQ(AppendScoreRecord(file, testing::RunOn({2024, 6, 3}, 5, 2, 9), waiter), 1u);
    EXPECT_GE(waiter.waits.size(), 3u);
    int status = 0;
    holder.Finish(&status);
}

}  // namespace
}  // namespace kagaku
