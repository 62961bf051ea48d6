// The score file's backups: the names, what is kept, the daily copy taken by the end-of-run
// append, failures that must not stop the run being recorded, damaged backups, and restores
// among real appending processes or killed half way.
#include "records/backups.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "platform/shared_file.h"
#include "records/child_process.h"
#include "records/finished_run.h"
#include "records/level_settings.h"
#include "records/record_test_support.h"
#include "drill/run_frame.h"
#include "support/state_parts.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::FakeWaiter;
using testing::RunOn;

std::vector<ScoreRecord> Numbered(int count, int pupil = 1) {
    std::vector<ScoreRecord> records;
    for (int i = 1; i <= count; ++i) {
        records.push_back(RunOn({2026, 12, 1}, pupil, 2, i));
    }
    return records;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(PathText(it->path().filename()));
    }
    return Sorted(names);
}

// Names and their parts both ways; anything else in the folder is no backup (and so is never
// removed or offered).
TEST(BackupNames, NamesAndTheirPartsMatchBothWays) {
    struct Case {
        const char* name;
        BackupName parts;
    };
    const Case cases[] = {
        {"成績累積データ_20261209.dat",
         {BackedUpFile::Scores, BackupKind::Daily, {2026, 12, 9}, {}, 0}},
        {"タイム回数データ_20261209.txt",
         {BackedUpFile::Settings, BackupKind::Daily, {2026, 12, 9}, {}, 0}},
        {"成績累積データ_20260101_000501_変更前.dat",
         {BackedUpFile::Scores, BackupKind::BeforeChange, {2026, 1, 1}, {0, 5, 1}, 0}},
        {"成績累積データ_20261231_235959_復元前_2.dat",
         {BackedUpFile::Scores, BackupKind::BeforeRestore, {2026, 12, 31}, {23, 59, 59}, 2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BackupFileName(c.parts), c.name);
        const auto parsed = ParseBackupFileName(c.name);
        ASSERT_TRUE(parsed) << c.name;
        EXPECT_EQ(*parsed, c.parts) << c.name;
    }
    // Each catches a parser that takes a stranger (or a temporary or check file) for a backup.
    for (const char* stranger :
         {"成績累積データ.dat", "成績累積データ_20261209.dat.tmp",
          "成績累積データ_20261209.dat.check", "成績累積データ_20261309.dat",
          "成績累積データ_20260230.dat", "成績累積データ_2026129.dat",
          "成績累積データ_20261209_246000_変更前.dat", "成績累積データ_20261209_120000.dat",
          "成績累積データ_20261209_120000_変更前_1.dat",
          "成績累積データ_20261209_120000_変更前_02.dat",
          "タイム回数データ_20261209_120000_変更前.txt", "タイム回数データ_20261209.dat",
          "memo.txt"}) {
        EXPECT_FALSE(ParseBackupFileName(stranger)) << stranger;
    }
}

std::string Daily(int y, int m, int d) {
    return BackupFileName({BackedUpFile::Scores, BackupKind::Daily, {y, m, d}, {}, 0});
}

// Retention as a table: names in the folder, today, and what must go.
TEST(BackupRetention, KeepsThirtyDaysAndTheFirstOfEachMonthForAYear) {
    struct Case {
        const char* fault;
        std::vector<std::string> names;
        CivilDate today;
        std::vector<std::string> removed;
    };
    const std::string changed = "成績累積データ_20261101_101010_変更前.dat";
    const Case cases[] = {
        {"the 30-day window is one day too short or too long",
         {Daily(2026, 11, 9), Daily(2026, 11, 10), Daily(2026, 11, 11)},
         {2026, 12, 10},
         {Daily(2026, 11, 10)}},  // 11-09 is the first of its month, 11-11 is 29 days old
        {"the first of a month is taken as the 1st rather than the earliest backup of the month",
         {Daily(2026, 10, 3), Daily(2026, 10, 4), Daily(2026, 10, 31)},
         {2026, 12, 10},
         {Daily(2026, 10, 31), Daily(2026, 10, 4)}},
        {"month-firsts older than a year are kept, or the same day a year ago is not",
         {Daily(2025, 11, 30), Daily(2025, 12, 10), Daily(2025, 12, 11), Daily(2026, 1, 2)},
         {2026, 12, 10},
         {Daily(2025, 11, 30), Daily(2025, 12, 11)}},
        {"a backup before a change is kept as a month-first, or its check file stays behind",
         {changed, changed + ".check", Daily(2026, 11, 2), Daily(2026, 11, 2) + ".check"},
         {2026, 12, 10},
         {changed, changed + ".check"}},
        {"the two files' month-firsts are taken together, so the settings' own first goes",
         {Daily(2026, 9, 1), "タイム回数データ_20260905.txt", "タイム回数データ_20260906.txt"},
         {2026, 12, 10},
         {"タイム回数データ_20260906.txt"}},
        {"the year is measured off by a day across a 29 February",
         {Daily(2024, 2, 29), Daily(2024, 3, 1)},
         {2025, 3, 1},
         {Daily(2024, 2, 29)}},
        {"a backup from a PC whose clock ran ahead is removed, or a stranger is touched",
         {Daily(2027, 5, 1), "メモ.txt", "成績累積データ_20201010.dat.tmp"},
         {2026, 12, 10},
         {}},
        {"an old check file without its backup is kept for ever",
         {Daily(2026, 3, 3) + ".check", Daily(2026, 12, 1) + ".check"},
         {2026, 12, 10},
         {Daily(2026, 3, 3) + ".check"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BackupsToRemove(c.names, c.today), Sorted(c.removed)) << c.fault;
    }
    // Over a whole year of daily backups: 30 days plus one per earlier month of the year.
    std::vector<std::string> year;
    for (long long s = DaySerial({2025, 1, 1}); s <= DaySerial({2026, 12, 10}); ++s) {
        year.push_back(
            BackupFileName({BackedUpFile::Scores, BackupKind::Daily, DateFromSerial(s), {}, 0}));
    }
    const auto removed = BackupsToRemove(year, {2026, 12, 10});
    EXPECT_EQ(year.size() - removed.size(), 30u + 11u);  // Dec 2025 falls before 2025-12-10
}

class DailyBackup : public ::testing::Test {
protected:
    DailyBackup() : clock_({2026, 12, 9}, {8, 30, 0}) {
        state_.setup.ProgramDataFolder = NormaliseFolder(PathText(dir_.path()));
        file_ = ScoreRecordPath(state_.setup.ProgramDataFolder);
        dir_.WriteBytes(kLevelSettingsFileName, "60,30,10,2\r\n");
    }

    std::uint64_t Finish(std::int32_t seconds) {
        state_.signIn.PupilNumber = 7;
        state_.run.CurrentLevel = 2;
        state_.run.ResultTime = seconds;
        const FinishedRunOutcome outcome = RecordFinishedRun(
            {2, state_.signIn.PupilNumber, state_.run.CurrentLevel, state_.run.ResultTime},
            state_.setup.ProgramDataFolder, state_.setup.Settings, state_.setup.SchoolCode,
            state_.standing, clock_, waiter_);
        NoteRunOutcome(state_.run, outcome);
        return outcome.RecordNumber;
    }

    fs::path Backups() const { return BackupFolderOf(file_); }

    testing::TempDir dir_;
    testing::FakeClock clock_;
    StateParts state_;
    FakeWaiter waiter_;
    fs::path file_;
};

// The first run of a day copies both files as they were before its record; the second copies
// nothing; the first run after midnight copies again under the new date.
TEST_F(DailyBackup, FirstAppendOfTheDayCopiesTheFilesAndMidnightStartsANewDay) {
    testing::WriteRecordFile(dir_, Numbered(3));
    const std::string before = testing::ReadBytes(file_);
    Finish(40);
    EXPECT_EQ(FilesIn(Backups()),
              Sorted({Daily(2026, 12, 9), Daily(2026, 12, 9) + ".check",
                      "タイム回数データ_20261209.txt", "タイム回数データ_20261209.txt.check"}));
    EXPECT_EQ(testing::ReadBytes(Backups() / PathFromText(Daily(2026, 12, 9))), before)
        << "the copy must be the file before the day's first record";
    EXPECT_EQ(testing::ReadBytes(Backups() / PathFromText("タイム回数データ_20261209.txt")),
              "60,30,10,2\r\n");

    const auto copied = fs::last_write_time(Backups() / PathFromText(Daily(2026, 12, 9)));
    clock_.Set({2026, 12, 9}, {23, 59, 59});
    Finish(41);
    EXPECT_EQ(FilesIn(Backups()).size(), 4u) << "a second append of the day copied again";
    EXPECT_EQ(fs::last_write_time(Backups() / PathFromText(Daily(2026, 12, 9))), copied);

    clock_.Set({2026, 12, 10}, {0, 0, 1});
    Finish(42);
    const std::string next = testing::ReadBytes(Backups() / PathFromText(Daily(2026, 12, 10)));
    EXPECT_EQ(next.size(), 5 * kScoreRecordSize) << "the run at 23:59:59 belongs in the new copy";
    EXPECT_EQ(ReadScoreRecord(file_, 6).Seconds, 42);
    for (const BackupInfo& b : ListBackups(file_)) {
        EXPECT_EQ(b.Check, BackupCheck::Good) << b.FileName << ": " << b.Problem;
    }
}

// An empty or missing score file has nothing to keep: no empty backup marks the day as done.
TEST_F(DailyBackup, NothingIsCopiedBeforeTheFirstRecord) {
    Finish(40);
    EXPECT_TRUE(FilesIn(Backups()).empty());
    Finish(41);
    EXPECT_EQ(testing::ReadBytes(Backups() / PathFromText(Daily(2026, 12, 9))).size(),
              kScoreRecordSize);
}

// A backup that cannot be written never stops the run from being recorded; the failure is
// logged where the teacher's panel finds it, and a later day's backup settles it.
TEST_F(DailyBackup, AFailingBackupLeavesTheAppendInPlaceAndIsLogged) {
    struct Case {
        const char* fault;
        std::function<void()> breakIt;
        std::function<void()> mend;
    };
    testing::TempDir* current = nullptr;
    const Case cases[] = {
        {"a folder that cannot be made stopped the append",
         [&] { current->WriteBytes(kBackupFolderName, "not a folder"); },
         [&] { fs::remove(Backups()); }},
        {"a disk that fills during the copy left a half-written backup under its real name",
         [&] { FailFileCall(0, ENOSPC, true); }, [] { FailFileCall(-1, 0); }},
    };
    for (const Case& c : cases) {
        testing::TempDir fresh;
        current = &fresh;
        state_.setup.ProgramDataFolder = NormaliseFolder(PathText(fresh.path()));
        file_ = ScoreRecordPath(state_.setup.ProgramDataFolder);
        testing::WriteRecordFile(fresh, Numbered(2));
        clock_.Set({2026, 12, 9}, {8, 30, 0});
        c.breakIt();
        EXPECT_EQ(Finish(40), 3u) << c.fault;
        c.mend();
        EXPECT_EQ(ReadScoreRecord(file_, 3).Seconds, 40) << c.fault;
        EXPECT_TRUE(waiter_.retryQuestions.empty()) << c.fault;
        std::error_code ec;
        EXPECT_FALSE(fs::exists(Backups() / PathFromText(Daily(2026, 12, 9)), ec)) << c.fault;
        EXPECT_FALSE(fs::exists(Backups() / PathFromText(Daily(2026, 12, 9) + ".tmp"), ec))
            << c.fault;
        const auto failure = UnresolvedBackupFailure(file_);
        ASSERT_TRUE(failure) << c.fault;
        EXPECT_EQ(failure->rfind("2026/12/09 8:30:00 " + Daily(2026, 12, 9) + ": ", 0), 0u)
            << *failure;

        clock_.Set({2026, 12, 10}, {9, 0, 0});
        Finish(41);
        EXPECT_FALSE(UnresolvedBackupFailure(file_)) << c.fault << ": a later success settles it";
        EXPECT_EQ(testing::ReadBytes(Backups() / PathFromText(Daily(2026, 12, 10))).size(),
                  3 * kScoreRecordSize);
    }
}

// The oldest backups go only once the day's copy is safely written, and the failure log stays
// short.
TEST_F(DailyBackup, OldBackupsGoAfterTheNewOneAndTheLogStaysShort) {
    testing::WriteRecordFile(dir_, Numbered(1));
    fs::create_directories(Backups());
    for (const std::string& old : {Daily(2026, 10, 1), Daily(2026, 10, 2), Daily(2025, 11, 1)}) {
        WriteCheckedCopy(Backups() / PathFromText(old), "x");
    }
    Finish(40);
    EXPECT_EQ(FilesIn(Backups()),
              Sorted({Daily(2026, 10, 1), Daily(2026, 10, 1) + ".check", Daily(2026, 12, 9),
                      Daily(2026, 12, 9) + ".check", "タイム回数データ_20261209.txt",
                      "タイム回数データ_20261209.txt.check"}));

    fs::remove_all(Backups());
    dir_.WriteBytes(kBackupFolderName, "a file in the way");
    for (int i = 0; i < 30; ++i) {
        Finish(50 + i);
    }
    const std::string log = Cp932ToUtf8(testing::ReadBytes(dir_ / kBackupFailureLogName), "log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'),
              static_cast<std::ptrdiff_t>(kBackupFailureLogLines));
}

// Every kind of damage is marked in the list and refused by the restore, with the file named;
// the record file stays as it was.
TEST(BackupDamage, ADamagedOrUncheckedBackupIsMarkedAndNeverRestored) {
    struct Case {
        const char* fault;
        std::function<void(const fs::path& backup)> damage;
        BackupCheck check;
    };
    const Case cases[] = {
        {"a backup cut short passes as good",
         [](const fs::path& b) { fs::resize_file(b, 44 * 2 + 10); }, BackupCheck::Damaged},
        {"one changed byte passes as good",
         [](const fs::path& b) {
             std::string bytes = testing::ReadBytes(b);
             bytes[50] = static_cast<char>(bytes[50] ^ 1);
             std::ofstream(b, std::ios::binary | std::ios::trunc) << bytes;
         },
         BackupCheck::Damaged},
        {"a backup without its check file passes as good",
         [](const fs::path& b) { fs::remove(b.string() + ".check"); }, BackupCheck::Unchecked},
        {"a garbled check file is believed",
         [](const fs::path& b) {
             std::ofstream(b.string() + ".check", std::ios::binary | std::ios::trunc)
                 << "KGKBAK1 132 zz\r\n";
         },
         BackupCheck::Damaged},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        const fs::path file = testing::WriteRecordFile(dir, Numbered(5));
        const fs::path backup = BackupFolderOf(file) / PathFromText(Daily(2026, 12, 1));
        fs::create_directories(backup.parent_path());
        WriteCheckedCopy(backup, testing::RecordFileBytes(Numbered(3)));
        c.damage(backup);
        const auto list = ListBackups(file);
        ASSERT_EQ(list.size(), 1u) << c.fault;
        EXPECT_EQ(list[0].Check, c.check) << c.fault;
        EXPECT_NE(BackupListLine(list[0]).find("×"), std::string::npos) << c.fault;
        FakeWaiter waiter;
        try {
            RestoreBackup(file, Daily(2026, 12, 1), 46365.5, waiter);
            ADD_FAILURE() << c.fault << ": restored";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.file(), PathText(backup)) << c.fault;
            EXPECT_NE(e.problem().find("戻せません"), std::string::npos) << e.problem();
        }
        EXPECT_EQ(testing::ReadBytes(file), testing::RecordFileBytes(Numbered(5))) << c.fault;
        EXPECT_EQ(ListBackups(file).size(), 1u) << c.fault << ": a refused restore saved a copy";
    }
}

// A restore saves the file first, so that the restore itself can be undone.
TEST(BackupRestore, RestoreSavesTheCurrentFileAndCanBeUndone) {
    testing::TempDir dir;
    const std::vector<ScoreRecord> now = Numbered(5);
    const fs::path file = testing::WriteRecordFile(dir, now);
    fs::create_directories(BackupFolderOf(file));
    WriteCheckedCopy(BackupFolderOf(file) / PathFromText(Daily(2026, 12, 1)),
                     testing::RecordFileBytes(Numbered(3)));
    FakeWaiter waiter;
    const double at = ToOleDateTime({2026, 12, 9}, {14, 30, 5});
    const RestoreOutcome first = RestoreBackup(file, Daily(2026, 12, 1), at, waiter);
    EXPECT_EQ(first.SavedAs, "成績累積データ_20261209_143005_復元前.dat");
    EXPECT_EQ(first.RecordsBefore, 5u);
    EXPECT_EQ(first.RecordsAfter, 3u);
    EXPECT_EQ(testing::ReadBytes(file), testing::RecordFileBytes(Numbered(3)));
    // Undo in the same second: the new saved copy must not overwrite the first one.
    const RestoreOutcome undo = RestoreBackup(file, first.SavedAs, at, waiter);
    EXPECT_EQ(undo.SavedAs, "成績累積データ_20261209_143005_復元前_2.dat");
    EXPECT_EQ(testing::ReadBytes(file), testing::RecordFileBytes(now));
    EXPECT_EQ(SummariseRecordFile(file).RecordCount, 5u);
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

std::string HelperRecordKey(int pupil, int seconds) {
    return std::to_string(pupil) + "/" + std::to_string(seconds);
}

std::vector<std::string> KeysOf(const std::string& bytes) {
    std::vector<std::string> keys;
    for (std::size_t i = 0; i + kScoreRecordSize <= bytes.size(); i += kScoreRecordSize) {
        const ScoreRecord r = DecodeScoreRecord(bytes.data() + i);
        keys.push_back(HelperRecordKey(r.PupilNumber, r.Seconds));
    }
    return keys;
}

// Real processes append while this one restores: the restored file starts with the backup
// whole, and every acknowledged run is either in the copy saved before the restore or after
// the backup's records in the file; none twice, none lost.
TEST(BackupRestore, AppendsDuringARestoreAreNeverLost) {
    constexpr int kPcs = 4;
    constexpr int kEach = 400;
    testing::TempDir dir;
    const std::vector<ScoreRecord> old = Numbered(2000, 999);
    const fs::path file = testing::WriteRecordFile(dir, Numbered(10, 998));
    fs::create_directories(BackupFolderOf(file));
    WriteCheckedCopy(BackupFolderOf(file) / PathFromText(Daily(2026, 12, 1)),
                     testing::RecordFileBytes(old));
    std::vector<std::unique_ptr<testing::ChildProcess>> pcs;
    for (int pc = 0; pc < kPcs; ++pc) {
        pcs.push_back(std::make_unique<testing::ChildProcess>(
            std::vector<std::string>{KAGAKU_HELPER_append_helper, "append", file.string(),
                                     std::to_string(100 + pc), std::to_string(kEach)}));
    }
    // Every PC is appending by now.
    for (auto& pc : pcs) {
        EXPECT_FALSE(pc->ReadLine().empty());
    }
    FakeWaiter waiter;
    const RestoreOutcome outcome =
        RestoreBackup(file, Daily(2026, 12, 1), ToOleDateTime({2026, 12, 9}, {9, 0, 0}), waiter);
    std::multiset<std::string> acknowledged;
    for (int pc = 0; pc < kPcs; ++pc) {
        int status = 0;
        const std::string out = pcs[static_cast<std::size_t>(pc)]->Finish(&status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        for (int i = 1; i <= kEach; ++i) {
            acknowledged.insert(HelperRecordKey(100 + pc, i));
        }
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), kEach - 1);
    }
    const std::string after = testing::ReadBytes(file);
    const std::string oldBytes = testing::RecordFileBytes(old);
    ASSERT_GE(after.size(), oldBytes.size());
    EXPECT_EQ(after.substr(0, oldBytes.size()), oldBytes) << "the backup's records are not whole";
    EXPECT_EQ(after.size() % kScoreRecordSize, 0u);
    const std::string saved =
        testing::ReadBytes(BackupFolderOf(file) / PathFromText(outcome.SavedAs));
    std::multiset<std::string> found;
    for (const std::string& k : KeysOf(saved)) {
        if (k.rfind("998/", 0) != 0) {
            found.insert(k);
        }
    }
    for (const std::string& k : KeysOf(after.substr(oldBytes.size()))) {
        found.insert(k);
    }
    EXPECT_EQ(found, acknowledged);
    RecordProperty("appended_after_restore",
                   static_cast<int>((after.size() - oldBytes.size()) / kScoreRecordSize));
}

// The restoring process killed at many moments: the file is the old one or the restored one,
// whole, and the next append lands after it.
TEST(BackupRestore, ARestoreKilledHalfWayLeavesOneWholeFile) {
    const std::string oldBytes = testing::RecordFileBytes(Numbered(20000, 5));
    const std::string backupBytes = testing::RecordFileBytes(Numbered(15000, 6));
    auto prepare = [&](const testing::TempDir& dir) {
        const fs::path file = dir.WriteBytes(kScoreRecordFileName, oldBytes);
        fs::create_directories(BackupFolderOf(file));
        WriteCheckedCopy(BackupFolderOf(file) / PathFromText(Daily(2026, 12, 1)), backupBytes);
        return file;
    };
    auto startRestore = [](const fs::path& file) {
        return std::make_unique<testing::ChildProcess>(std::vector<std::string>{
            KAGAKU_HELPER_append_helper, "restore", file.string(), Daily(2026, 12, 1)});
    };
    // How long a whole restore takes here: the kills are spread over that time and a bit more.
    std::chrono::microseconds whole{};
    {
        testing::TempDir dir;
        const fs::path file = prepare(dir);
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        startRestore(file)->Finish(&status);
        whole = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        ASSERT_EQ(testing::ReadBytes(file), backupBytes);
    }
    constexpr int kKills = 24;
    int restored = 0;
    int kept = 0;
    for (int i = 0; i < kKills; ++i) {
        testing::TempDir dir;
        const fs::path file = prepare(dir);
        const auto delay = whole * 5 * i / (4 * kKills);
        {
            auto restorer = startRestore(file);
            std::this_thread::sleep_for(delay);
            restorer->Kill();
            int status = 0;
            restorer->Finish(&status);
        }
        const std::string now = testing::ReadBytes(file);
        ASSERT_TRUE(now == oldBytes || now == backupBytes)
            << "killed after " << delay.count() << " µs: " << now.size() << " bytes";
        (now == oldBytes ? kept : restored) += 1;
        FakeWaiter waiter;
        const ScoreRecord appended = RunOn({2026, 12, 9}, 77, 3, 777);
        EXPECT_EQ(AppendScoreRecord(file, appended, waiter), now.size() / kScoreRecordSize + 1);
        EXPECT_TRUE(waiter.waits.empty()) << "a killed restore left the lock held";
    }
    RecordProperty("whole_restore_us", static_cast<int>(whole.count()));
    RecordProperty("kept", kept);
    RecordProperty("restored", restored);
}

}  // namespace
}  // namespace kagaku
