#include "records/backups.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <system_error>
#include <tuple>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/files.h"
#include "platform/shared_file.h"
#include "records/level_settings.h"
#include "records/score_record.h"
#include "records/score_record_file.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kScoresStem = "成績累積データ_";
constexpr std::string_view kSettingsStem = "タイム回数データ_";
constexpr std::string_view kChangeMark = "_変更前";
constexpr std::string_view kRestoreMark = "_復元前";
constexpr std::string_view kCheckMark = "KGKBAK1";

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// Exactly `count` digits at the start of s, taken off it.
std::optional<int> TakeDigits(std::string_view& s, std::size_t count) {
    if (s.size() < count) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (s[i] - '0');
    }
    s.remove_prefix(count);
    return value;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

long long DaysOld(const CivilDate& day, const CivilDate& today) {
    return DaySerial(today) - DaySerial(day);
}

// The same day of the month one year before (the 28th for a 29 February).
CivilDate YearBefore(const CivilDate& today) {
    CivilDate d{today.year - 1, today.month, today.day};
    d.day = std::min(d.day, DaysInMonth(d.year, d.month));
    return d;
}

std::string FileNameText(const fs::path& p) {
    return PathText(p.filename());
}

fs::path Sibling(const fs::path& p, std::string_view suffix) {
    fs::path s = p;
    s += PathFromText(suffix);
    return s;
}

// The whole file through the platform's file calls.
std::string ReadAllOf(SharedFile& f) {
    std::string bytes(static_cast<std::size_t>(f.Size()), '\0');
    bytes.resize(f.ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

// The whole file, or nothing when it is not there.
std::optional<std::string> ReadIfThere(const fs::path& p) {
    try {
        SharedFile f(p, SharedFile::Mode::ReadOnly);
        return ReadAllOf(f);
    } catch (const FileOperationError& e) {
        std::error_code ec;
        if (e.kind() == FileErrorKind::NotFound && !fs::exists(p, ec)) {
            return std::nullopt;
        }
        throw;
    }
}

std::string FormatCheck(std::uint64_t length, std::uint64_t sum) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %llu %016llx\r\n", static_cast<unsigned long long>(length),
                  static_cast<unsigned long long>(sum));
    return std::string(kCheckMark) + buf;
}

std::string CheckFileText(std::string_view bytes) {
    return FormatCheck(bytes.size(), BackupChecksum(bytes));
}

struct CheckValues {
    std::uint64_t Length = 0;
    std::uint64_t Checksum = 0;
};

// The check file's values when it holds exactly what WriteCheckedCopy writes.
std::optional<CheckValues> ParseCheckFile(const std::string& text) {
    if (!StartsWith(text, kCheckMark) || text.size() > 80) {
        return std::nullopt;
    }
    unsigned long long length = 0;
    unsigned long long sum = 0;
    const std::string rest = text.substr(kCheckMark.size());
    if (std::sscanf(rest.c_str(), " %llu %16llx", &length, &sum) != 2 ||
        FormatCheck(length, sum) != text) {
        return std::nullopt;
    }
    return CheckValues{length, sum};
}

fs::path TemporaryFor(const fs::path& target) {
    return Sibling(target, ".tmp");
}

// Writes bytes to the temporary file, flushes it and reads it back; it then holds exactly
// bytes. Throws FileOperationError (the caller removes the temporary file).
void WriteVerifiedTemporary(const fs::path& temp, std::string_view bytes) {
    {
        SharedFile t(temp, SharedFile::Mode::ReadWriteCreate);
        t.Truncate(0);
        t.WriteAt(0, bytes.data(), bytes.size());
        t.Sync();
    }
    SharedFile back(temp, SharedFile::Mode::ReadOnly);
    const std::string read = ReadAllOf(back);
    if (read.size() != bytes.size() || BackupChecksum(read) != BackupChecksum(bytes)) {
        throw FileOperationError(FileErrorKind::Other, 0,
                                 "書いた内容を読み返すと、読んだ内容と違っていました");
    }
}

void RemoveQuietly(const fs::path& p) {
    try {
        SharedFile::Remove(p);
    } catch (const FileOperationError&) {
    }
}

// Renames from over to and makes the rename lasting. Throws FileOperationError.
void RenameInto(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        throw FileOperationError(FileErrorKind::Other, ec.value(),
                                 "名前を付けられませんでした（" + ec.message() + "）");
    }
    SharedFile::SyncFolder(to.parent_path());
}

void EnsureFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) {
        return;
    }
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        throw DataFileError(PathText(folder),
                            "バックアップのフォルダを作れませんでした（" +
                                (ec ? ec.message() : std::string("同じ名前のファイルがあります")) +
                                "）");
    }
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(FileNameText(it->path()));
    }
    return names;
}

std::string NowText(double now) {
    return FormatSlashDate(OleDateOf(now)) + " " + FormatClockTime(OleTimeOf(now));
}

// Adds a line to the failure log (the last few lines are kept). The log lies beside the
// backups, or beside the record file when the backup folder itself could not be made.
void LogFailure(const fs::path& recordFile, double now, const std::string& fileName,
                const std::string& problem) noexcept {
    try {
        std::error_code ec;
        fs::path folder = BackupFolderOf(recordFile);
        if (!fs::is_directory(folder, ec)) {
            folder = recordFile.parent_path();
        }
        const fs::path log = folder / PathFromText(kBackupFailureLogName);
        std::vector<std::string> lines;
        try {
            if (auto old = ReadIfThere(log)) {
                const std::string text = Cp932ToUtf8(*old, PathText(log));
                std::size_t start = 0;
                while (start < text.size()) {
                    std::size_t end = text.find('\n', start);
                    std::string line = text.substr(
                        start, end == std::string::npos ? std::string::npos : end - start);
                    if (!line.empty() && line.back() == '\r') {
                        line.pop_back();
                    }
                    if (!line.empty()) {
                        lines.push_back(line);
                    }
                    start = end == std::string::npos ? text.size() : end + 1;
                }
            }
        } catch (const std::exception&) {
            lines.clear();  // a damaged log starts afresh
        }
        lines.push_back(NowText(now) + " " + fileName + ": " + problem);
        if (lines.size() > kBackupFailureLogLines) {
            lines.erase(lines.begin(),
                        lines.end() - static_cast<std::ptrdiff_t>(kBackupFailureLogLines));
        }
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\r\n";
        }
        WriteFileAtomically(log, Utf8ToCp932(text, PathText(log)));
    } catch (...) {
        // Nowhere left to tell: the run is recorded all the same.
    }
}

struct Inspected {
    BackupCheck Check = BackupCheck::Unchecked;
    std::string Problem;
    std::uint64_t RecordCount = 0;
    std::optional<CivilDate> LastRecordDate;
    std::string Bytes;
};

std::optional<CivilDate> LastDateOf(std::string_view bytes) {
    const std::size_t whole = bytes.size() / kScoreRecordSize;
    if (whole == 0) {
        return std::nullopt;
    }
    const ScoreRecord last = DecodeScoreRecord(bytes.data() + (whole - 1) * kScoreRecordSize);
    if (!(last.RunDate > 0 && last.RunDate < 2958466)) {
        return std::nullopt;
    }
    const CivilDate day = OleDateOf(last.RunDate);
    return IsValidDate(day) ? std::optional<CivilDate>(day) : std::nullopt;
}

Inspected InspectFile(const fs::path& backup) {
    Inspected r;
    std::optional<std::string> bytes;
    try {
        bytes = ReadIfThere(backup);
    } catch (const FileOperationError& e) {
        r.Problem = "読めません（" + e.description() + "）";
        return r;
    }
    if (!bytes) {
        r.Problem = "ファイルがありません";
        return r;
    }
    r.RecordCount = bytes->size() / kScoreRecordSize;
    r.LastRecordDate = LastDateOf(*bytes);
    const fs::path checkPath = Sibling(backup, kBackupCheckSuffix);
    std::optional<std::string> check;
    try {
        check = ReadIfThere(checkPath);
    } catch (const FileOperationError& e) {
        r.Problem = "点検用のファイル " + FileNameText(checkPath) + " を読めません（" +
                    e.description() + "）";
        return r;
    }
    if (!check) {
        r.Problem = "点検用のファイル " + FileNameText(checkPath) + " がないため、確かめられません";
        return r;
    }
    const auto values = ParseCheckFile(*check);
    if (!values) {
        r.Check = BackupCheck::Damaged;
        r.Problem = "点検用のファイル " + FileNameText(checkPath) + " が壊れています";
        return r;
    }
    if (values->Length != bytes->size()) {
        r.Check = BackupCheck::Damaged;
        r.Problem = "長さが違います（" + std::to_string(values->Length) + "バイトのはずが" +
                    std::to_string(bytes->size()) + "バイト）";
        return r;
    }
    if (values->Checksum != BackupChecksum(*bytes)) {
        r.Check = BackupCheck::Damaged;
        r.Problem = "中身が書いたときと違っています";
        return r;
    }
    r.Check = BackupCheck::Good;
    r.Bytes = std::move(*bytes);
    return r;
}

std::string KindLabel(BackupKind kind) {
    switch (kind) {
        case BackupKind::Daily:
            return "毎日　";
        case BackupKind::BeforeChange:
            return "変更前";
        case BackupKind::BeforeRestore:
            return "復元前";
    }
    return "";
}

std::string WhenText(const BackupName& n) {
    std::string when = FormatSlashDate(n.Day);
    if (n.Kind == BackupKind::Daily) {
        return when + "         ";
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", n.Time.hour, n.Time.minute, n.Time.second);
    return when + buf;
}

std::string DateOrNone(const std::optional<CivilDate>& d) {
    return d ? FormatSlashDate(*d) : std::string("なし");
}

std::string TakeTimedBackupUnderLock(const fs::path& recordFile, const std::string& bytes,
                                     BackupKind kind, double now) {
    const fs::path folder = BackupFolderOf(recordFile);
    EnsureFolder(folder);
    BackupName name;
    name.Kind = kind;
    name.Day = OleDateOf(now);
    name.Time = OleTimeOf(now);
    if (name.Time.hour > 23) {  // rounding up to midnight
        name.Time = TimeOfDay{23, 59, 59};
    }
    std::error_code ec;
    while (fs::exists(folder / PathFromText(BackupFileName(name)), ec)) {
        name.Serial = name.Serial == 0 ? 2 : name.Serial + 1;
    }
    const std::string fileName = BackupFileName(name);
    WriteCheckedCopy(folder / PathFromText(fileName), bytes);
    return fileName;
}

}  // namespace

std::string BackupFileName(const BackupName& n) {
    std::string s(n.File == BackedUpFile::Scores ? kScoresStem : kSettingsStem);
    s += std::to_string(n.Day.year) + TwoDigits(n.Day.month) + TwoDigits(n.Day.day);
    if (n.Kind != BackupKind::Daily) {
        s += "_" + TwoDigits(n.Time.hour) + TwoDigits(n.Time.minute) + TwoDigits(n.Time.second);
        s += n.Kind == BackupKind::BeforeChange ? kChangeMark : kRestoreMark;
        if (n.Serial > 0) {
            s += "_" + std::to_string(n.Serial);
        }
    }
    s += n.File == BackedUpFile::Scores ? ".dat" : ".txt";
    return s;
}

std::optional<BackupName> ParseBackupFileName(std::string_view s) {
    BackupName n;
    if (StartsWith(s, kScoresStem) && EndsWith(s, ".dat")) {
        n.File = BackedUpFile::Scores;
        s.remove_prefix(kScoresStem.size());
    } else if (StartsWith(s, kSettingsStem) && EndsWith(s, ".txt")) {
        n.File = BackedUpFile::Settings;
        s.remove_prefix(kSettingsStem.size());
    } else {
        return std::nullopt;
    }
    s.remove_suffix(4);
    const auto year = TakeDigits(s, 4);
    const auto month = TakeDigits(s, 2);
    const auto day = TakeDigits(s, 2);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    n.Day = CivilDate{*year, *month, *day};
    if (!IsValidDate(n.Day)) {
        return std::nullopt;
    }
    if (s.empty()) {
        return n;
    }
    if (n.File != BackedUpFile::Scores || !StartsWith(s, "_")) {
        return std::nullopt;
    }
    s.remove_prefix(1);
    const auto h = TakeDigits(s, 2);
    const auto m = TakeDigits(s, 2);
    const auto sec = TakeDigits(s, 2);
    if (!h || !m || !sec || *h > 23 || *m > 59 || *sec > 59) {
        return std::nullopt;
    }
    n.Time = TimeOfDay{*h, *m, *sec};
    if (StartsWith(s, kChangeMark)) {
        n.Kind = BackupKind::BeforeChange;
        s.remove_prefix(kChangeMark.size());
    } else if (StartsWith(s, kRestoreMark)) {
        n.Kind = BackupKind::BeforeRestore;
        s.remove_prefix(kRestoreMark.size());
    } else {
        return std::nullopt;
    }
    if (s.empty()) {
        return n;
    }
    if (!StartsWith(s, "_") || s.size() < 2 || s.size() > 4 || s[1] == '0') {
        return std::nullopt;
    }
    s.remove_prefix(1);
    const std::size_t digits = s.size();
    const auto serial = TakeDigits(s, digits);
    if (!serial || *serial < 2) {
        return std::nullopt;
    }
    n.Serial = *serial;
    return n;
}

fs::path BackupFolderOf(const fs::path& recordFile) {
    return recordFile.parent_path() / PathFromText(kBackupFolderName);
}

std::vector<std::string> BackupsToRemove(const std::vector<std::string>& names, CivilDate today) {
    std::map<std::string, BackupName> backups;
    for (const std::string& name : names) {
        if (auto parsed = ParseBackupFileName(name)) {
            backups.emplace(name, *parsed);
        }
    }
    // The first daily backup of each month, per backed-up file.
    std::map<std::tuple<int, int, int>, long long> firstOfMonth;
    for (const auto& [name, b] : backups) {
        if (b.Kind != BackupKind::Daily) {
            continue;
        }
        const auto key = std::make_tuple(static_cast<int>(b.File), b.Day.year, b.Day.month);
        const long long serial = DaySerial(b.Day);
        auto [it, added] = firstOfMonth.emplace(key, serial);
        if (!added) {
            it->second = std::min(it->second, serial);
        }
    }
    const long long yearAgo = DaySerial(YearBefore(today));
    auto kept = [&](const BackupName& b) {
        const long long age = DaysOld(b.Day, today);
        if (age < kBackupDailyDays) {
            return true;  // young, or dated after today
        }
        if (b.Kind != BackupKind::Daily || DaySerial(b.Day) < yearAgo) {
            return false;
        }
        const auto it =
            firstOfMonth.find(std::make_tuple(static_cast<int>(b.File), b.Day.year, b.Day.month));
        return it != firstOfMonth.end() && it->second == DaySerial(b.Day);
    };
    std::vector<std::string> remove;
    for (const auto& [name, b] : backups) {
        if (!kept(b)) {
            remove.push_back(name);
        }
    }
    for (const std::string& name : names) {
        if (!EndsWith(name, kBackupCheckSuffix)) {
            continue;
        }
        const std::string base =
            name.substr(0, name.size() - std::string_view(kBackupCheckSuffix).size());
        const auto parsed = ParseBackupFileName(base);
        if (!parsed) {
            continue;
        }
        const auto it = backups.find(base);
        // A check file goes with its backup; one left without a backup goes once it is old.
        if (it != backups.end() ? !kept(it->second)
                                : DaysOld(parsed->Day, today) >= kBackupDailyDays) {
            remove.push_back(name);
        }
    }
    std::sort(remove.begin(), remove.end());
    return remove;
}

std::uint64_t BackupChecksum(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

void WriteCheckedCopy(const fs::path& target, std::string_view bytes) {
    const fs::path temp = TemporaryFor(target);
    const fs::path checkPath = Sibling(target, kBackupCheckSuffix);
    const fs::path checkTemp = TemporaryFor(checkPath);
    try {
        WriteVerifiedTemporary(temp, bytes);
        WriteVerifiedTemporary(checkTemp, CheckFileText(bytes));
        RenameInto(checkTemp, checkPath);
        RenameInto(temp, target);
    } catch (const FileOperationError& e) {
        RemoveQuietly(temp);
        RemoveQuietly(checkTemp);
        throw DataFileError(PathText(target),
                            "バックアップを書けませんでした（" + e.description() + "）");
    }
}

bool TakeDailyBackup(const fs::path& recordFile, double now) noexcept {
    const CivilDate today = OleDateOf(now);
    const fs::path folder = BackupFolderOf(recordFile);
    BackupName scores;
    scores.Day = today;
    const fs::path scoresBackup = folder / PathFromText(BackupFileName(scores));
    try {
        std::error_code ec;
        if (fs::exists(scoresBackup, ec)) {
            return false;  // today's backup is there: nothing to copy
        }
        const auto bytes = ReadIfThere(recordFile);
        if (!bytes || bytes->empty()) {
            return false;  // nothing recorded yet
        }
        EnsureFolder(folder);
        BackupName settings = scores;
        settings.File = BackedUpFile::Settings;
        const fs::path settingsFile =
            recordFile.parent_path() / PathFromText(kLevelSettingsFileName);
        const fs::path settingsBackup = folder / PathFromText(BackupFileName(settings));
        try {
            if (!fs::exists(settingsBackup, ec)) {
                if (auto settingsBytes = ReadIfThere(settingsFile);
                    settingsBytes && !settingsBytes->empty()) {
                    WriteCheckedCopy(settingsBackup, *settingsBytes);
                }
            }
        } catch (const DataFileError& e) {
            LogFailure(recordFile, now, FileNameText(settingsBackup), e.problem());
        } catch (const FileOperationError& e) {
            LogFailure(recordFile, now, FileNameText(settingsFile), e.description());
        }
        // The score file's copy comes last: its name marks the day as done.
        WriteCheckedCopy(scoresBackup, *bytes);
    } catch (const DataFileError& e) {
        LogFailure(recordFile, now, FileNameText(scoresBackup), e.problem());
        return false;
    } catch (const FileOperationError& e) {
        LogFailure(recordFile, now, FileNameText(scoresBackup), e.description());
        return false;
    } catch (const std::exception& e) {
        LogFailure(recordFile, now, FileNameText(scoresBackup), e.what());
        return false;
    } catch (...) {
        return false;
    }
    // Only now that today's copy is safely there do old ones go.
    try {
        for (const std::string& name : BackupsToRemove(NamesIn(folder), today)) {
            try {
                SharedFile::Remove(folder / PathFromText(name));
            } catch (const FileOperationError& e) {
                LogFailure(recordFile, now, name,
                           "古いバックアップを消せませんでした（" + e.description() + "）");
            }
        }
    } catch (...) {
    }
    return true;
}

std::optional<std::string> UnresolvedBackupFailure(const fs::path& recordFile) {
    const fs::path folder = BackupFolderOf(recordFile);
    std::optional<std::string> last;
    for (const fs::path& where : {folder, recordFile.parent_path()}) {
        const fs::path log = where / PathFromText(kBackupFailureLogName);
        try {
            const auto bytes = ReadIfThere(log);
            if (!bytes) {
                continue;
            }
            const std::string text = Cp932ToUtf8(*bytes, PathText(log));
            std::size_t end = text.find_last_not_of("\r\n");
            if (end == std::string::npos) {
                continue;
            }
            std::size_t start = text.rfind('\n', end);
            start = start == std::string::npos ? 0 : start + 1;
            const std::string line = text.substr(start, end + 1 - start);
            if (!last || line > *last) {
                last = line;
            }
        } catch (const std::exception&) {
            continue;
        }
    }
    if (!last) {
        return std::nullopt;
    }
    // "yyyy/mm/dd H:mm:ss NAME: problem". The failure is settled by a daily backup of a later
    // day, or when the failing file was that day's backup of the score file and it is there now.
    std::string_view head(*last);
    const auto y = TakeDigits(head, 4);
    head.remove_prefix(std::min<std::size_t>(1, head.size()));
    const auto m = TakeDigits(head, 2);
    head.remove_prefix(std::min<std::size_t>(1, head.size()));
    const auto d = TakeDigits(head, 2);
    if (!y || !m || !d || !IsValidDate(CivilDate{*y, *m, *d})) {
        return last;
    }
    const CivilDate failedOn{*y, *m, *d};
    std::string failedFile;
    if (const std::size_t space = last->find(' ', 11); space != std::string::npos) {
        const std::size_t colon = last->find(": ", space + 1);
        failedFile = last->substr(space + 1, colon == std::string::npos ? 0 : colon - space - 1);
    }
    for (const std::string& name : NamesIn(folder)) {
        const auto parsed = ParseBackupFileName(name);
        if (!parsed || parsed->File != BackedUpFile::Scores || parsed->Kind != BackupKind::Daily) {
            continue;
        }
        if (DaySerial(parsed->Day) > DaySerial(failedOn) ||
            (parsed->Day == failedOn && name == failedFile)) {
            return std::nullopt;
        }
    }
    return last;
}

std::string TakeTimedBackup(const fs::path& recordFile, BackupKind kind, double now,
                            RecordFileWaiter& waiter) {
    std::string fileName;
    RunUnderWritersLock(recordFile, waiter, [&](SharedFile& f) {
        const std::string bytes = ReadAllOf(f);
        fileName = TakeTimedBackupUnderLock(recordFile, bytes, kind, now);
    });
    return fileName;
}

bool HasChangeBackupOn(const fs::path& recordFile, CivilDate day) {
    for (const std::string& name : NamesIn(BackupFolderOf(recordFile))) {
        const auto parsed = ParseBackupFileName(name);
        if (parsed && parsed->Kind == BackupKind::BeforeChange && parsed->Day == day) {
            std::error_code ec;
            if (fs::exists(
                    Sibling(BackupFolderOf(recordFile) / PathFromText(name), kBackupCheckSuffix),
                    ec)) {
                return true;
            }
        }
    }
    return false;
}

BackupInfo InspectBackup(const fs::path& recordFile, std::string_view fileName) {
    const fs::path path = BackupFolderOf(recordFile) / PathFromText(fileName);
    const auto parsed = ParseBackupFileName(fileName);
    std::error_code ec;
    if (!parsed || parsed->File != BackedUpFile::Scores || !fs::is_regular_file(path, ec)) {
        throw DataFileError(PathText(path),
                            "成績ファイルのバックアップがありません（kagaku-admin "
                            "backups で一覧を表示します）");
    }
    Inspected r = InspectFile(path);
    BackupInfo info;
    info.FileName = std::string(fileName);
    info.Name = *parsed;
    info.Check = r.Check;
    info.Problem = r.Problem;
    info.RecordCount = r.RecordCount;
    info.LastRecordDate = r.LastRecordDate;
    return info;
}

std::vector<BackupInfo> ListBackups(const fs::path& recordFile) {
    std::vector<BackupInfo> list;
    for (const std::string& name : NamesIn(BackupFolderOf(recordFile))) {
        const auto parsed = ParseBackupFileName(name);
        if (parsed && parsed->File == BackedUpFile::Scores) {
            try {
                list.push_back(InspectBackup(recordFile, name));
            } catch (const DataFileError&) {
                // a folder or a stranger under a backup's name
            }
        }
    }
    std::sort(list.begin(), list.end(), [](const BackupInfo& a, const BackupInfo& b) {
        auto key = [](const BackupInfo& i) {
            return std::make_tuple(
                DaySerial(i.Name.Day),
                i.Name.Kind == BackupKind::Daily ? -1 : TimeFraction(i.Name.Time), i.Name.Serial,
                i.FileName);
        };
        return key(a) > key(b);
    });
    return list;
}

RecordFileSummary SummariseRecordFile(const fs::path& recordFile) {
    RecordFileSummary s;
    try {
        const RecordWindow window = ReadRecordWindow(recordFile, 1);
        s.RecordCount = window.WholeRecords;
        s.LastRecordDate = LastDateOf(window.Bytes);
    } catch (const FileOperationError& e) {
        throw DataFileError(PathText(recordFile), e.description());
    }
    return s;
}

std::string BackupListLine(const BackupInfo& info, bool withProblem) {
    std::string line = WhenText(info.Name) + "  " + KindLabel(info.Name.Kind) + "  記録" +
                       std::to_string(info.RecordCount) + "件  最後の記録 " +
                       DateOrNone(info.LastRecordDate);
    const std::string problem = withProblem ? "（" + info.Problem + "）" : std::string();
    if (info.Check == BackupCheck::Damaged) {
        line += "  ×壊れています" + problem;
    } else if (info.Check == BackupCheck::Unchecked) {
        line += "  ×確かめられません" + problem;
    }
    return line;
}

std::string RestoreQuestion(const BackupInfo& backup, const RecordFileSummary& now) {
    std::string when = FormatSlashDate(backup.Name.Day);
    if (backup.Name.Kind != BackupKind::Daily) {
        when += " " + FormatClockTime(backup.Name.Time);
    }
    std::string text = "成績ファイルを " + when + " のバックアップに戻します。\n" +
                       "バックアップ: " + backup.FileName + "\n" +
                       "いまの記録: " + std::to_string(now.RecordCount) + "件（最後の記録 " +
                       DateOrNone(now.LastRecordDate) + "）\n" +
                       "戻したあと: " + std::to_string(backup.RecordCount) + "件（最後の記録 " +
                       DateOrNone(backup.LastRecordDate) + "）\n";
    if (now.RecordCount > backup.RecordCount) {
        text += std::to_string(now.RecordCount - backup.RecordCount) + "件の記録がなくなります。\n";
    } else if (now.RecordCount < backup.RecordCount) {
        text += std::to_string(backup.RecordCount - now.RecordCount) + "件の記録がもどります。\n";
    }
    text += "いまのファイルは先にバックアップとして残すので、戻したあとでも元に戻せます。";
    return text;
}

RestoreOutcome RestoreBackup(const fs::path& recordFile, std::string_view fileName, double now,
                             RecordFileWaiter& waiter) {
    const fs::path backupPath = BackupFolderOf(recordFile) / PathFromText(fileName);
    RestoreOutcome outcome;
    // Checked before the lock too, so that a damaged backup holds no other PC up.
    const BackupInfo first = InspectBackup(recordFile, fileName);
    if (first.Check != BackupCheck::Good) {
        throw DataFileError(PathText(backupPath), "このバックアップは戻せません: " + first.Problem);
    }
    RunUnderWritersLock(recordFile, waiter, [&](SharedFile& f) {
        const Inspected backup = InspectFile(backupPath);
        if (backup.Check != BackupCheck::Good) {
            throw DataFileError(PathText(backupPath),
                                "このバックアップは戻せません: " + backup.Problem);
        }
        const std::string current = ReadAllOf(f);
        outcome.RecordsBefore = current.size() / kScoreRecordSize;
        outcome.SavedAs =
            TakeTimedBackupUnderLock(recordFile, current, BackupKind::BeforeRestore, now);
        const fs::path temp = TemporaryFor(recordFile);
        try {
            WriteVerifiedTemporary(temp, backup.Bytes);
            RenameInto(temp, recordFile);
        } catch (const FileOperationError& e) {
            RemoveQuietly(temp);
            throw DataFileError(PathText(recordFile), "成績ファイルを戻せませんでした（" +
                                                          e.description() +
                                                          "）。成績ファイルはそのままです");
        }
        outcome.RecordsAfter = backup.RecordCount;
    });
    return outcome;
}

}  // namespace kagaku
