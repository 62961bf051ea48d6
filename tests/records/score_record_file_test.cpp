#include "records/score_record_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/errors.h"
#include "platform/shared_file.h"
#include "records/record_test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
using testing::RunOn;

const CivilDate kDay{2024, 6, 3};

ScoreRecord ReadBack(const fs::path& file, std::uint64_t n) {
    return ReadScoreRecord(file, n);
}

// Appending to a file that is not there yet must create it and write record 1 at offset 0.
TEST(ScoreRecordFile, AppendCreatesTheFile) {
    testing::TempDir dir;
    fs::path file = dir / kScoreRecordFileName;
    FakeWaiter waiter;
    EXPECT_EQ(AppendScoreRecord(file, RunOn(kDay, 3, 2, 40), waiter), 1u);
    EXPECT_EQ(fs::file_size(file), 44u);
    EXPECT_EQ(ReadBack(file, 1).PupilNumber, 3);
    EXPECT_TRUE(waiter.waits.empty());
}

// A partial record left by an interrupted write must be overwritten, not followed: 100 bytes
// (two records and 12 stray bytes) take the next record as record 3 at offset 88.
TEST(ScoreRecordFile, AppendOverwritesAPartialTail) {
    testing::TempDir dir;
    std::string bytes = testing::RecordFileBytes({RunOn(kDay, 1, 2, 10), RunOn(kDay, 2, 2, 20)});
    fs::path file = dir.WriteBytes(kScoreRecordFileName, bytes + std::string(12, 'x'));
    FakeWaiter waiter;
    EXPECT_EQ(AppendScoreRecord(file, RunOn(kDay, 3, 2, 30), waiter), 3u);
    EXPECT_EQ(fs::file_size(file), 132u);
    EXPECT_EQ(testing::ReadBytes(file).substr(0, 88), bytes);
    EXPECT_EQ(ReadBack(file, 3).Seconds, 30);
}

// While another machine holds the lock the writer must keep waiting and trying (never more
// than a second between two tries) and then write; once the wait has lasted 30 seconds it must
// tell the pupil, not before, and take the notice down at the end.
TEST(ScoreRecordFile, AppendWaitsWhileTheLockIsHeldAndTellsThePupil) {
    testing::TempDir dir;
    fs::path file = WriteRecordFile(dir, {RunOn(kDay, 1, 2, 10)});
    auto holder = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
    ASSERT_TRUE(holder->TryLockRange(kRecordLockOffset, kRecordLockLength));

    FakeWaiter waiter;
    long long waited = 0;
    long long waitedAtNotice = -1;
    waiter.onWait = [&](int n) {
        waited += waiter.waits.back();
        if (waitedAtNotice < 0 && !waiter.notices.empty()) {
            waitedAtNotice = waited - waiter.waits.back();
        }
        if (waited >= 35'000 && holder) {
            holder.reset();  // the other machine is done
        }
        ASSERT_LT(n, 1000) << "the writer did not try again after the lock was released";
    };
    EXPECT_EQ(AppendScoreRecord(file, RunOn(kDay, 2, 2, 20), waiter), 2u);
    EXPECT_LE(*std::max_element(waiter.waits.begin(), waiter.waits.end()), 1000);
    EXPECT_GE(waitedAtNotice, 30'000);
    EXPECT_LT(waitedAtNotice, 31'000);
    ASSERT_EQ(waiter.notices.size(), 2u);
    EXPECT_FALSE(waiter.notices[0].empty());
    EXPECT_TRUE(waiter.notices[1].empty());
    EXPECT_EQ(fs::file_size(file), 88u);
}

// A waiter that stops waiting (the command-line tool) must get an error, not a silent drop.
TEST(ScoreRecordFile, AppendReportsAGivenUpWait) {
    testing::TempDir dir;
    fs::path file = WriteRecordFile(dir, {});
    SharedFile holder(file, SharedFile::Mode::ReadWriteCreate);
    ASSERT_TRUE(holder.TryLockRange(kRecordLockOffset, kRecordLockLength));
    FakeWaiter waiter;
    waiter.waitLimit = 3;
    EXPECT_THROW(AppendScoreRecord(file, RunOn(kDay, 2, 2, 20), waiter), DataFileError);
    EXPECT_EQ(fs::file_size(file), 0u);
}

// The measured failure: a file replaced (copy renamed over it) while an append waited for
// the lock must not swallow the append; it must land in the file the path names now. A
// network share refuses the replacement while the file is open: then it lands in the old one.
TEST(ScoreRecordFile, AppendWaitingWhileTheFileIsReplacedLandsInTheNewFile) {
    testing::TempDir dir;
    if (!testing::CanRenameOverAnOpenFile(dir)) {
        GTEST_SKIP() << "this system refuses to rename over an open file";
    }
    fs::path file = WriteRecordFile(dir, {RunOn(kDay, 1, 2, 10), RunOn(kDay, 2, 2, 20)});
    auto holder = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
    ASSERT_TRUE(holder->TryLockRange(kRecordLockOffset, kRecordLockLength));

    FakeWaiter waiter;
    std::error_code refused;
    waiter.onWait = [&](int n) {
        if (n == 2) {
            fs::path copy =
                dir.WriteBytes("copy.dat", testing::RecordFileBytes({RunOn(kDay, 1, 2, 10)}));
            fs::rename(copy, file, refused);
            holder.reset();
        }
    };
    const std::uint64_t n = AppendScoreRecord(file, RunOn(kDay, 3, 2, 30), waiter);
    const std::uint64_t records = refused ? 3u : 2u;
    EXPECT_EQ(n, records) << refused.message();
    EXPECT_EQ(fs::file_size(file), records * 44u);
    EXPECT_EQ(ReadBack(file, records).PupilNumber, 3);
}

// A folder that is not there (a network drive that is down) is an error the teacher can
// retry; a yes must try again from the start, a no must end with the program's message.
TEST(ScoreRecordFile, AppendAsksBeforeGivingUpOnOtherErrors) {
    testing::TempDir dir;
    fs::path file = dir / "missing-folder" / kScoreRecordFileName;
    FakeWaiter waiter;
    waiter.retryAnswersYes = 1;
    try {
        AppendScoreRecord(file, RunOn(kDay, 3, 2, 30), waiter);
        FAIL() << "no error";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.problem().rfind("成績ランダムファイル記録", 0), 0u) << e.problem();
    }
    EXPECT_EQ(waiter.retryQuestions.size(), 2u);

    fs::path late = dir / "late-folder" / kScoreRecordFileName;
    struct Restore : RecordFileWaiter {
        fs::path folder;
        bool Wait(std::chrono::milliseconds) override { return true; }
        void ShowNotice(const std::string&) override {}
        bool AskRetry(const std::string&) override {
            fs::create_directory(folder);  // the teacher reconnected the drive
            return true;
        }
    } restore;
    restore.folder = dir / "late-folder";
    EXPECT_EQ(AppendScoreRecord(late, RunOn(kDay, 3, 2, 30), restore), 1u);
}

TEST(ScoreRecordFile, WindowReadsTheLastRecordsInOneGo) {
    testing::TempDir dir;
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= 30; ++i) {
        records.push_back(RunOn(kDay, i, 2, i));
    }
    fs::path file = dir.WriteBytes(kScoreRecordFileName, testing::RecordFileBytes(records) + "abc");
    std::uint64_t before = SharedFile::ReadCallCount();
    RecordWindow w = ReadRecordWindow(file, 20);
    EXPECT_EQ(SharedFile::ReadCallCount() - before, 1u);
    EXPECT_EQ(w.WholeRecords, 30u);
    EXPECT_EQ(w.TrailingBytes, 3u);
    EXPECT_EQ(w.FirstRecordNumber, 11u);
    ASSERT_EQ(w.Count(), 20u);
    EXPECT_EQ(w.Record(0).PupilNumber, 11);
    EXPECT_EQ(w.Record(19).PupilNumber, 30);
    EXPECT_EQ(ReadRecordWindow(file, 0).Count(), 30u);
}

// Readers must not create the file, and a missing file in an existing folder is simply empty;
// a missing folder is a "not found" the loader waits on.
TEST(ScoreRecordFile, WindowOfAMissingFileOrFolder) {
    testing::TempDir dir;
    RecordWindow w = ReadRecordWindow(dir / kScoreRecordFileName, 20000);
    EXPECT_EQ(w.Count(), 0u);
    EXPECT_FALSE(fs::exists(dir / kScoreRecordFileName));
    try {
        ReadRecordWindow(dir / "gone" / kScoreRecordFileName, 20000);
        FAIL() << "no error";
    } catch (const FileOperationError& e) {
        EXPECT_EQ(e.kind(), FileErrorKind::NotFound);
    }
}

// Rewriting record n must change those 44 bytes and nothing else; deleting must renumber
// the later records and drop a partial tail.
TEST(ScoreRecordFile, RewriteAndDeleteInPlace) {
    testing::TempDir dir;
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= 5; ++i) {
        records.push_back(RunOn(kDay, i, 2, 10 * i));
    }
    std::string original = testing::RecordFileBytes(records);
    fs::path file = dir.WriteBytes(kScoreRecordFileName, original + "zz");
    FakeWaiter waiter;

    ScoreRecord changed = records[2];
    changed.PupilNumber = 12;
    changed.Seconds = 45;
    RewriteScoreRecord(file, 3, changed, waiter);
    std::string after = testing::ReadBytes(file);
    ASSERT_EQ(after.size(), original.size() + 2);
    for (std::size_t i = 0; i < original.size(); ++i) {
        bool inChangedFields = (i >= 88 + 16 && i < 88 + 18) || (i >= 88 + 20 && i < 88 + 24);
        if (!inChangedFields) {
            EXPECT_EQ(after[i], original[i]) << "byte " << i;
        }
    }
    EXPECT_THROW(RewriteScoreRecord(file, 6, changed, waiter), DataFileError);

    DeleteScoreRecord(file, 3, waiter);
    EXPECT_EQ(fs::file_size(file), 4u * 44u);
    EXPECT_EQ(ReadBack(file, 3).PupilNumber, 4);
    EXPECT_EQ(ReadBack(file, 4).PupilNumber, 5);
    DeleteScoreRecord(file, 4, waiter);
    EXPECT_EQ(fs::file_size(file), 3u * 44u);
    EXPECT_THROW(DeleteScoreRecord(file, 4, waiter), DataFileError);
    EXPECT_THROW(ReadScoreRecord(file, 4), DataFileError);
}

}  // namespace
}  // namespace kagaku
