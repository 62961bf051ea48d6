// Deleting a record must leave the file whole whatever stops the deletion: a fault at any
// changing call, or the deleting process killed. Afterwards the file holds every record or
// every record but the deleted one, and a record appended afterwards is there too.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "common/errors.h"
#include "platform/shared_file.h"
#include "records/child_process.h"
#include "records/record_test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
using testing::RunOn;

constexpr CivilDate kDay{2024, 6, 10};

std::vector<ScoreRecord> Numbered(int count) {
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= count; ++i) {
        records.push_back(RunOn(kDay, 1 + i % 50, 2, i));
    }
    return records;
}

std::vector<ScoreRecord> Without(std::vector<ScoreRecord> records, std::size_t n) {
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(n - 1));
    return records;
}

std::vector<ScoreRecord> With(std::vector<ScoreRecord> records, const ScoreRecord& added) {
    records.push_back(added);
    return records;
}

// Switches the fault seam off again whatever the test does.
struct FaultSeam {
    explicit FaultSeam(long long after) { FailFileChangesAfter(after); }
    ~FaultSeam() { FailFileChangesAfter(-1); }
};

// "whole" when the file holds every record, "deleted" when every record but n, else "broken";
// each followed by the appended record.
std::string StateOf(const fs::path& file, const std::vector<ScoreRecord>& records, std::size_t n,
                    const ScoreRecord& appended) {
    const std::string bytes = testing::ReadBytes(file);
    if (bytes == testing::RecordFileBytes(With(records, appended))) {
        return "whole";
    }
    if (bytes == testing::RecordFileBytes(With(Without(records, n), appended))) {
        return "deleted";
    }
    return "broken";
}

// A fault at the k-th changing call of the deletion, for every k until the deletion gets
// through: the next append finds the copy and finishes the deletion (or drops a copy that was
// never finished), so no record is lost, doubled or torn.
TEST(RecordDeletion, AFaultAtAnyStepLeavesTheFileWholeForTheNextAppend) {
    const std::vector<ScoreRecord> records = Numbered(6);
    const ScoreRecord appended = RunOn(kDay, 40, 3, 777);
    bool gotThrough = false;
    std::set<std::string> outcomes;
    for (long long k = 0; k < 40 && !gotThrough; ++k) {
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, records);
        FakeWaiter waiter;  // never tries again: the "machine" has stopped
        {
            FaultSeam seam(k);
            try {
                DeleteScoreRecord(file, 3, waiter);
                gotThrough = true;
            } catch (const DataFileError&) {
            }
        }
        const bool copyLeft = fs::exists(DeletionCopyPath(file));
        FakeWaiter next;
        AppendScoreRecord(file, appended, next);
        const std::string state = StateOf(file, records, 3, appended);
        EXPECT_NE(state, "broken") << "fault at change " << k;
        EXPECT_FALSE(fs::exists(DeletionCopyPath(file))) << "fault at change " << k;
        if (gotThrough) {
            EXPECT_FALSE(copyLeft);
            EXPECT_EQ(state, "deleted");
        }
        outcomes.insert(state + (copyLeft ? " from copy" : ""));
    }
    EXPECT_TRUE(gotThrough);
    // Faults before the copy was whole keep every record; faults after it finish the deletion.
    EXPECT_TRUE(outcomes.count("whole")) << ::testing::PrintToString(outcomes);
    EXPECT_TRUE(outcomes.count("deleted from copy")) << ::testing::PrintToString(outcomes);
}

// The copy that a deletion of record n leaves when the machine stops just after writing it,
// before the record file is touched: records after n and a whole trailer.
std::string CopyLeftByDeleting(const std::vector<ScoreRecord>& records, std::uint64_t n) {
    for (long long k = 0; k < 40; ++k) {
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, records);
        FakeWaiter waiter;
        {
            FaultSeam seam(k);
            try {
                DeleteScoreRecord(file, n, waiter);
            } catch (const DataFileError&) {
            }
        }
        const fs::path copy = DeletionCopyPath(file);
        if (fs::exists(copy) && testing::ReadBytes(file) == testing::RecordFileBytes(records) &&
            fs::file_size(copy) == (records.size() - n) * kScoreRecordSize + 32) {
            return testing::ReadBytes(copy);
        }
    }
    ADD_FAILURE() << "no fault left a finished copy beside an untouched file";
    return {};
}

// The same copy with one byte of a record changed: a trailer that is whole does not vouch for
// the records before it.
std::string WithADamagedRecordByte(std::string copy) {
    copy.at(44 + 20) = static_cast<char>(copy.at(44 + 20) ^ 0x5A);
    return copy;
}

// A copy that does not belong to a finished copy step (cut short, or damaged) is only removed.
TEST(RecordDeletion, ACopyCutShortIsDroppedAndTheFileKept) {
    const std::vector<ScoreRecord> records = Numbered(5);
    for (const std::string& copy :
         {std::string("short"), std::string(44 * 3 + 31, 'x'),
          testing::RecordFileBytes(Numbered(3)) + std::string(32, '\0'),
          // number, length and mark all right, but the records' bytes damaged
          WithADamagedRecordByte(CopyLeftByDeleting(records, 3))}) {
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, records);
        dir.WriteBytes(kDeletionCopyFileName, copy);
        FakeWaiter waiter;
        const ScoreRecord appended = RunOn(kDay, 9, 9, 9);
        AppendScoreRecord(file, appended, waiter);
        EXPECT_EQ(testing::ReadBytes(file), testing::RecordFileBytes(With(records, appended)));
        EXPECT_FALSE(fs::exists(DeletionCopyPath(file)));
    }
}

// The deleting process killed at many moments; appends by another process go on meanwhile.
TEST(RecordDeletion, KillingTheDeletingProcessNeverLosesARecord) {
    const std::vector<ScoreRecord> records = Numbered(20000);
    const ScoreRecord appended = RunOn(kDay, 41, 4, 4444);
    int finished = 0;
    int interrupted = 0;
    int copiesLeft = 0;
    for (int i = 0; i < 30; ++i) {
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, records);
        {
            testing::ChildProcess deleter(
                {KAGAKU_HELPER_append_helper, "delete", file.string(), "1"});
            std::this_thread::sleep_for(std::chrono::microseconds(400 * i));
            deleter.Kill();
            int status = 0;
            deleter.Finish(&status);
            (WIFSIGNALED(status) ? interrupted : finished) += 1;
        }
        const bool copyLeft = fs::exists(DeletionCopyPath(file));
        copiesLeft += copyLeft ? 1 : 0;
        FakeWaiter waiter;
        AppendScoreRecord(file, appended, waiter);
        EXPECT_NE(StateOf(file, records, 1, appended), "broken")
            << "killed after " << 400 * i << " µs, copy left: " << copyLeft;
        EXPECT_FALSE(fs::exists(DeletionCopyPath(file)));
    }
    RecordProperty("finished", finished);
    RecordProperty("interrupted", interrupted);
    RecordProperty("copies_left", copiesLeft);
}

// Rewrite and delete compare the record with the bytes the teacher saw, under the lock.
TEST(RecordDeletion, ARecordChangedSinceItWasReadIsLeftAlone) {
    testing::TempDir dir;
    const std::vector<ScoreRecord> records = Numbered(5);
    const fs::path file = testing::WriteRecordFile(dir, records);
    FakeWaiter waiter;
    const ScoreRecordBytes seen = EncodeScoreRecord(records[1]);
    const ScoreRecordBytes other = EncodeScoreRecord(records[2]);
    ScoreRecord changed = records[1];
    changed.Seconds = 1;

    EXPECT_EQ(RewriteScoreRecord(file, 2, changed, waiter, &other), RecordChange::RecordDiffers);
    EXPECT_EQ(DeleteScoreRecord(file, 2, waiter, &other), RecordChange::RecordDiffers);
    EXPECT_EQ(DeleteScoreRecord(file, 9, waiter, &seen), RecordChange::RecordDiffers);
    EXPECT_EQ(testing::ReadBytes(file), testing::RecordFileBytes(records));

    EXPECT_EQ(RewriteScoreRecord(file, 2, changed, waiter, &seen), RecordChange::Done);
    EXPECT_EQ(ReadScoreRecord(file, 2).Seconds, 1);
    const ScoreRecordBytes third = EncodeScoreRecord(records[2]);
    EXPECT_EQ(DeleteScoreRecord(file, 3, waiter, &third), RecordChange::Done);
    EXPECT_EQ(ReadScoreRecord(file, 3).Seconds, 4);
}

}  // namespace
}  // namespace kagaku
