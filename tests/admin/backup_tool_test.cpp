// kagaku-admin backups and restore, and the backup before the day's first change, run as real
// processes on a copy of the demo data tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/files.h"
#include "records/backups.h"
#include "records/child_process.h"
#include "records/record_test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::RunOn;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

class BackupTool : public ::testing::Test {
protected:
    BackupTool() {
        fs::copy(KAGAKU_DEMO_DIR, dir_.path(), fs::copy_options::recursive);
        recordFile_ = dir_ / "学校データ" / "kagaku" / kScoreRecordFileName;
        backups_ = BackupFolderOf(recordFile_);
    }

    // Standard input is never a terminal here.
    ToolResult Run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {KAGAKU_ADMIN_TOOL, "--app-folder", PathText(dir_ / "kagaku")});
        const fs::path errFile = dir_ / "stderr.txt";
        const fs::path inFile = dir_.WriteBytes("stdin.txt", input);
        testing::ChildProcess tool(args, PathText(errFile), PathText(inFile));
        int status = 0;
        ToolResult r;
        r.out = tool.Finish(&status);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = testing::ReadBytes(errFile);
        return r;
    }

    void Records(int count) {
        std::vector<ScoreRecord> records;
        for (int i = 1; i <= count; ++i) {
            records.push_back(RunOn({2026, 11, 30}, 1, 2, i));
        }
        std::ofstream(recordFile_, std::ios::binary | std::ios::trunc)
            << testing::RecordFileBytes(records);
    }

    void Backup(const std::string& name, int count) {
        std::vector<ScoreRecord> records;
        for (int i = 1; i <= count; ++i) {
            records.push_back(RunOn({2026, 11, 20}, 3, 4, i));
        }
        fs::create_directories(backups_);
        WriteCheckedCopy(backups_ / PathFromText(name), testing::RecordFileBytes(records));
    }

    std::vector<std::string> BackupsOfKind(BackupKind kind) const {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(backups_, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = PathText(it->path().filename());
            const auto parsed = ParseBackupFileName(name);
            if (parsed && parsed->File == BackedUpFile::Scores && parsed->Kind == kind) {
                names.push_back(name);
            }
        }
        return names;
    }

    static void ExpectOneErrorLine(const ToolResult& r, int status) {
        EXPECT_EQ(r.status, status) << r.err;
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_EQ(r.err.rfind("kagaku-admin: ", 0), 0u) << r.err;
    }

    testing::TempDir dir_;
    fs::path recordFile_;
    fs::path backups_;
};

const char* const kGood = "成績累積データ_20261120.dat";
const char* const kCut = "成績累積データ_20261121.dat";

// The list names every backup with its record count and last date, and marks a damaged one.
TEST_F(BackupTool, BackupsListsEachWithCountsAndMarksTheDamagedOne) {
    Records(4);
    Backup(kGood, 3);
    Backup(kCut, 3);
    fs::resize_file(backups_ / PathFromText(kCut), 100);
    const ToolResult r = Run({"backups"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string(kCut) +
                         "  2026/11/21           毎日　  記録2件  最後の記録 2026/11/20"
                         "  ×壊れています（長さが違います（132バイトのはずが100バイト））\n" +
                         kGood + "  2026/11/20           毎日　  記録3件  最後の記録 2026/11/20\n");
}

// Refusals leave the score file exactly as it was, each with one line on standard error.
TEST_F(BackupTool, RestoreRefusesWithoutConfirmationOrOnADamagedBackup) {
    Records(4);
    Backup(kGood, 3);
    Backup(kCut, 3);
    fs::resize_file(backups_ / PathFromText(kCut), 100);
    const std::string before = testing::ReadBytes(recordFile_);
    struct Case {
        const char* fault;
        std::vector<std::string> args;
        int status;
        std::string inMessage;
    };
    const Case cases[] = {
        {"a restore from a script runs without --yes", {"restore", "--backup", kGood}, 2, "--yes"},
        {"a damaged backup is restored, or the message does not name it",
         {"restore", "--backup", kCut, "--yes"},
         1,
         PathText(backups_ / PathFromText(kCut))},
        {"a name that is no backup is taken from elsewhere",
         {"restore", "--backup", "../成績累積データ.dat", "--yes"},
         1,
         "バックアップがありません"},
        {"restore runs without --backup", {"restore", "--yes"}, 2, "--backup"},
    };
    for (const Case& c : cases) {
        const ToolResult r = Run(c.args);
        ExpectOneErrorLine(r, c.status);
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << c.fault << "\n" << r.err;
        EXPECT_EQ(testing::ReadBytes(recordFile_), before) << c.fault;
    }
    EXPECT_TRUE(BackupsOfKind(BackupKind::BeforeRestore).empty());
}

// What would change is shown first; the current file is kept as a backup that undoes it.
TEST_F(BackupTool, RestoreWithYesShowsTheChangeSavesTheFileAndReplacesIt) {
    Records(4);
    const std::string before = testing::ReadBytes(recordFile_);
    Backup(kGood, 3);
    const ToolResult r = Run({"restore", "--backup", kGood, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("いまの記録: 4件（最後の記録 2026/11/30）\n戻したあと: 3件（最後の記録 "
                         "2026/11/20）\n1件の記録がなくなります。"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(testing::ReadBytes(recordFile_), testing::ReadBytes(backups_ / PathFromText(kGood)));
    const auto saved = BackupsOfKind(BackupKind::BeforeRestore);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_NE(r.out.find(saved[0]), std::string::npos);
    EXPECT_EQ(testing::ReadBytes(backups_ / PathFromText(saved[0])), before);
    const ToolResult undo = Run({"restore", "--backup", saved[0], "--yes"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(testing::ReadBytes(recordFile_), before);
}

// The day's first rewrite keeps the file as it was before it; the deletion after it, the same
// day, takes no second copy; and the daily backup of add-run is there too.
TEST_F(BackupTool, TheFirstChangeOfTheDayIsBackedUpOnce) {
    Records(4);
    const std::string before = testing::ReadBytes(recordFile_);
    const ToolResult rewrite = Run({"rewrite", "--record", "2", "--seconds", "9"});
    ASSERT_EQ(rewrite.status, 0) << rewrite.err;
    ASSERT_EQ(Run({"delete", "--record", "1"}).status, 0);
    const auto changed = BackupsOfKind(BackupKind::BeforeChange);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_NE(rewrite.out.find(changed[0]), std::string::npos) << rewrite.out;
    EXPECT_EQ(testing::ReadBytes(backups_ / PathFromText(changed[0])), before);

    ASSERT_EQ(Run({"add-run", "--pupil", "1", "--level", "2", "--seconds", "30"}).status, 0);
    const auto daily = BackupsOfKind(BackupKind::Daily);
    ASSERT_EQ(daily.size(), 1u);
    EXPECT_EQ(fs::file_size(backups_ / PathFromText(daily[0])), 3u * kScoreRecordSize)
        << "the daily copy must hold the file as it was before add-run's record";
    const ToolResult list = Run({"backups"});
    EXPECT_NE(list.out.find("変更前  記録4件"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("毎日　  記録3件"), std::string::npos) << list.out;
}

// The help lists both commands in Japanese.
TEST_F(BackupTool, HelpListsBackupsAndRestore) {
    const ToolResult all = Run({"--help"});
    EXPECT_NE(all.out.find("backups"), std::string::npos);
    EXPECT_NE(all.out.find("restore"), std::string::npos);
    const ToolResult restore = Run({"restore", "--help"});
    EXPECT_NE(restore.out.find("--backup"), std::string::npos) << restore.out;
    EXPECT_NE(restore.out.find("確かめずに戻します"), std::string::npos) << restore.out;
}

}  // namespace
}  // namespace kagaku
