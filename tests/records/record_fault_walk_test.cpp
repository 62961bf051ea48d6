// A disk or a file server can fail any call of a write. For an append, a rewrite and a
// deletion, the k-th file call fails once, for every k until the operation gets through without
// meeting the fault, with each kind of failure. For every k: a failure reaches the caller as an
// error and the file is as before (a deletion cut short is finished or dropped by the next
// writer, so it is then as before or as after); a success leaves the file exactly as after;
// and the caller's retry (with the record it saw, as the program's callers do) leaves the file
// exactly as after: the append there once, the deleted record gone once, no record torn.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/shared_file.h"
#include "records/record_test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
using testing::RecordFileBytes;
using testing::RunOn;

constexpr CivilDate kDay{2024, 6, 10};

struct FaultKind {
    const char* name;
    int errorNumber;
    bool shortWrite;
};

const FaultKind kFaultKinds[] = {
    {"EIO", EIO, false},
    {"ENOSPC", ENOSPC, false},
    {"EACCES (held by another machine: waited for)", EACCES, false},
    {"short write, then ENOSPC", ENOSPC, true},
};

struct Operation {
    const char* name;
    std::vector<ScoreRecord> after;
    // Runs the operation the way the program calls it.
    RecordChange (*run)(const fs::path& file, const std::vector<ScoreRecord>& before,
                        RecordFileWaiter& waiter);
};

std::vector<ScoreRecord> Before() {
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= 5; ++i) {
        records.push_back(RunOn(kDay, 10 + i, 2, 100 + i));
    }
    return records;
}

ScoreRecord Appended() {
    return RunOn(kDay, 40, 3, 777);
}

ScoreRecord Corrected() {
    ScoreRecord r = Before()[2];
    r.Seconds = 12345;
    r.Level = 7;
    return r;
}

std::vector<Operation> Operations() {
    std::vector<ScoreRecord> appended = Before();
    appended.push_back(Appended());
    std::vector<ScoreRecord> rewritten = Before();
    rewritten[2] = Corrected();
    std::vector<ScoreRecord> deleted = Before();
    deleted.erase(deleted.begin() + 2);
    return {
        {"append", appended,
         [](const fs::path& file, const std::vector<ScoreRecord>&, RecordFileWaiter& waiter) {
             AppendScoreRecord(file, Appended(), waiter);
             return RecordChange::Done;
         }},
        {"rewrite", rewritten,
         [](const fs::path& file, const std::vector<ScoreRecord>& before,
            RecordFileWaiter& waiter) {
             const ScoreRecordBytes seen = EncodeScoreRecord(before[2]);
             return RewriteScoreRecord(file, 3, Corrected(), waiter, &seen);
         }},
        {"delete", deleted,
         [](const fs::path& file, const std::vector<ScoreRecord>& before,
            RecordFileWaiter& waiter) {
             const ScoreRecordBytes seen = EncodeScoreRecord(before[2]);
             return DeleteScoreRecord(file, 3, waiter, &seen);
         }},
    };
}

TEST(RecordFaultWalk, EveryFailedCallIsReportedAndLosesOrTearsNothing) {
    const std::vector<ScoreRecord> before = Before();
    const std::string beforeBytes = RecordFileBytes(before);
    for (const Operation& op : Operations()) {
        const std::string afterBytes = RecordFileBytes(op.after);
        long long injected = 0;
        for (const FaultKind& kind : kFaultKinds) {
            bool gotThrough = false;
            for (long long k = 0; k < 400 && !gotThrough; ++k) {
                SCOPED_TRACE(std::string(op.name) + ", " + kind.name + " at call " +
                             std::to_string(k));
                testing::TempDir dir;
                const fs::path file = testing::WriteRecordFile(dir, before);
                FakeWaiter waiter;  // waits while the file is held, never tries again by itself
                bool failed = false;
                FailFileCall(k, kind.errorNumber, kind.shortWrite);
                try {
                    EXPECT_EQ(op.run(file, before, waiter), RecordChange::Done);
                } catch (const DataFileError& e) {
                    failed = true;
                    EXPECT_NE(std::string(e.what()).find("成績"), std::string::npos) << e.what();
                }
                const bool struck = FileCallFailed();
                FailFileCall(-1, 0);
                gotThrough = !struck;
                injected += struck ? 1 : 0;

                if (kind.errorNumber == EACCES && !kind.shortWrite) {
                    // Another machine holding the file is waited for, never an error.
                    EXPECT_FALSE(failed);
                    EXPECT_LE(waiter.waits.size(), 1u);
                }
                if (!failed) {
                    EXPECT_EQ(testing::ReadBytes(file), afterBytes) << "success, but not done";
                } else if (op.after.size() < before.size()) {
                    FakeWaiter next;
                    FinishInterruptedDeletion(file, next);
                    const std::string now = testing::ReadBytes(file);
                    EXPECT_TRUE(now == beforeBytes || now == afterBytes) << "records lost or torn";
                } else {
                    EXPECT_EQ(testing::ReadBytes(file), beforeBytes) << "failed, but changed";
                }

                // The caller tries again once the fault has passed. (A deletion that the next
                // writer finished finds the record gone and is not done twice.)
                if (failed) {
                    FakeWaiter again;
                    const RecordChange retried = op.run(file, before, again);
                    EXPECT_TRUE(retried == RecordChange::Done ||
                                (op.after.size() < before.size() &&
                                 retried == RecordChange::RecordDiffers));
                    EXPECT_EQ(testing::ReadBytes(file), afterBytes) << "after the retry";
                }
                EXPECT_FALSE(fs::exists(DeletionCopyPath(file)));
            }
            EXPECT_TRUE(gotThrough) << op.name << ", " << kind.name;
        }
        RecordProperty(std::string("faults_") + op.name, std::to_string(injected));
    }
}

}  // namespace
}  // namespace kagaku
