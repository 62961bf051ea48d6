#pragma once
// Backups of the score record file (and of the level settings file) in the folder バックアップ
// of the program's data folder.
//
// - The first append of a day, on whichever PC, copies both files there before its own record
//   is written (成績累積データ_20261209.dat, タイム回数データ_20261209.txt). The append holds the
//   writers' lock meanwhile, so the copy is the file exactly as it stood.
// - Before a teacher changes records (the record manager's first rewrite or deletion of a
//   sign-in, the command-line tool's first of a day) and before a restore, a copy named with
//   the time is taken (成績累積データ_20261209_143005_変更前.dat, ..._復元前.dat).
// - Every copy goes to a temporary name, is flushed, read back and compared (length and
//   checksum) with what was read, gets a small check file beside it (<name>.check: the length
//   and the checksum) and only then its real name. A copy whose check file is missing, or
//   whose length or checksum differs from it, is damaged: listed as such, never restored.
// - Kept: every backup of the last 30 days, then the first daily backup of each month for a
//   year. Older ones are removed after a new daily backup has been written.
// - A restore takes the writers' lock, saves the current file as a backup of its own, and puts
//   the backup's bytes in place by a flushed temporary file renamed over the record file.
//   Appends that wait for the lock meanwhile find the new file and land in it.
//
// A daily backup that fails never stops the run from being recorded: the failure goes to
// バックアップの失敗.txt beside the backups (a few lines, code page 932), which the teacher's
// data panel shows until a later daily backup succeeds.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ole_date.h"
#include "records/record_file_waiter.h"

namespace kagaku {

inline constexpr const char* kBackupFolderName = "バックアップ";
inline constexpr const char* kBackupFailureLogName = "バックアップの失敗.txt";
inline constexpr const char* kBackupCheckSuffix = ".check";
// Daily backups are kept this many days (today and the days before it).
inline constexpr int kBackupDailyDays = 30;
// Lines kept in the failure log.
inline constexpr std::size_t kBackupFailureLogLines = 20;

enum class BackupKind {
    Daily,          // the first append of the day
    BeforeChange,   // before a teacher's rewrite or deletion
    BeforeRestore,  // the file as it was before a restore
};

enum class BackedUpFile {
    Scores,    // 成績累積データ.dat
    Settings,  // タイム回数データ.txt
};

// What a backup's name says.
struct BackupName {
    BackedUpFile File = BackedUpFile::Scores;
    BackupKind Kind = BackupKind::Daily;
    CivilDate Day;
    TimeOfDay Time;  // zero for a daily backup
    int Serial = 0;  // 2, 3, ... for a second timed backup in the same second; 0 otherwise
    friend bool operator==(const BackupName&, const BackupName&) = default;
};

// 成績累積データ_20261209.dat, 成績累積データ_20261209_143005_変更前.dat,
// 成績累積データ_20261209_143005_復元前_2.dat, タイム回数データ_20261209.txt.
std::string BackupFileName(const BackupName& name);
// The name's parts; nothing for any other file (a check file, a temporary file, a stranger).
std::optional<BackupName> ParseBackupFileName(std::string_view fileName);

// The folder バックアップ beside the record file.
std::filesystem::path BackupFolderOf(const std::filesystem::path& recordFile);

// The names of `names` (file names in the backup folder, any order) that are no longer kept on
// `today`: a backup is kept while it is at most kBackupDailyDays - 1 days old; a daily backup
// is kept, too, while it is the first daily backup of its month (per backed-up file) and not
// older than one year (the same day of the month a year ago, the 28th for a 29 February).
// Backups dated after today (a PC with a wrong clock) are kept. Check files go with their
// backups; names that are no backup are never removed.
std::vector<std::string> BackupsToRemove(const std::vector<std::string>& names, CivilDate today);

// The checksum of a backup's bytes (64-bit FNV-1a), as its check file holds it.
std::uint64_t BackupChecksum(std::string_view bytes);

// Writes bytes to `target` by way of a temporary name: flushed, read back and compared, the
// check file written, then renamed into place. Throws DataFileError naming target.
void WriteCheckedCopy(const std::filesystem::path& target, std::string_view bytes);

// The daily backup, run by an append under the writers' lock before its record is written:
// when the backup folder has no daily backup of the score file dated today (the day of `now`,
// an OLE date and time, which also dates a failure in the log), copies the
// score file and the level settings file (each when it is there and not empty) and then
// removes the backups no longer kept. Never throws: a failure goes to the failure log.
// Returns true when it copied.
bool TakeDailyBackup(const std::filesystem::path& recordFile, double now) noexcept;

// The failure log's last line when no daily backup of the score file has been written since
// that failure's day (a later success makes it old news); nothing otherwise.
std::optional<std::string> UnresolvedBackupFailure(const std::filesystem::path& recordFile);

// A copy of the score file named with `now` (an OLE date and time), taken under the writers'
// lock. Returns its file name. Throws DataFileError when it cannot be written.
std::string TakeTimedBackup(const std::filesystem::path& recordFile, BackupKind kind, double now,
                            RecordFileWaiter& waiter);
// True when the backup folder holds a backup taken before a change on `day`.
bool HasChangeBackupOn(const std::filesystem::path& recordFile, CivilDate day);

enum class BackupCheck {
    Good,
    Damaged,    // length or checksum differ from its check file, or the check file is damaged
    Unchecked,  // no check file, or the backup cannot be read
};

// One backup of the score file as the list shows it.
struct BackupInfo {
    std::string FileName;
    BackupName Name;
    BackupCheck Check = BackupCheck::Unchecked;
    std::string Problem;  // for anything but Good: what is wrong, in Japanese
    std::uint64_t RecordCount = 0;
    std::optional<CivilDate> LastRecordDate;  // the date of its last whole record
};

// The score file's backups, newest first, each read and checked.
std::vector<BackupInfo> ListBackups(const std::filesystem::path& recordFile);
// One backup by file name; throws DataFileError when there is no such backup.
BackupInfo InspectBackup(const std::filesystem::path& recordFile, std::string_view fileName);

// The record file as it stands now: its whole records and the date of the last one.
struct RecordFileSummary {
    std::uint64_t RecordCount = 0;
    std::optional<CivilDate> LastRecordDate;
};
RecordFileSummary SummariseRecordFile(const std::filesystem::path& recordFile);

// One line of the list: date and time, kind, record count, last record's date, and the mark
// of a damaged backup (with what is wrong when withProblem).
std::string BackupListLine(const BackupInfo& info, bool withProblem = true);
// The confirmation's text: what the file holds now and what it will hold.
std::string RestoreQuestion(const BackupInfo& backup, const RecordFileSummary& now);

struct RestoreOutcome {
    std::string SavedAs;  // the backup of the file as it was before
    std::uint64_t RecordsBefore = 0;
    std::uint64_t RecordsAfter = 0;
};

// Puts the backup in place of the score file, under the writers' lock: the backup is checked
// again (a damaged or unchecked one is refused with DataFileError naming it), the current file
// is saved as a backup named with `now`, then the backup's bytes replace the file atomically.
RestoreOutcome RestoreBackup(const std::filesystem::path& recordFile, std::string_view fileName,
                             double now, RecordFileWaiter& waiter);

}  // namespace kagaku
