// The record manager's operations at the console, through the same logic as its screen.
#include <iostream>
#include <memory>
#include <string>

#include "admin/record_manager.h"
#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "platform/shared_file.h"
#include "records/backups.h"
#include "records/score_record_file.h"
#include "tools/admin/admin_commands.h"
#include "tools/admin/console_waiter.h"

namespace kagaku::admin {

namespace {

// Record n as it is now, or one error line when the file has no record n.
ScoreRecordBytes CurrentBytes(const std::filesystem::path& file, std::uint64_t n) {
    try {
        return EncodeScoreRecord(ReadScoreRecord(file, n));
    } catch (const FileOperationError& e) {
        throw DataFileError(PathText(file), e.description());
    }
}

// The day's first change from the console keeps the file as it was, so that a mistake can be
// undone with restore.
void BackUpBeforeFirstChangeOfDay(const std::filesystem::path& file, RecordFileWaiter& waiter) {
    SystemClock clock;
    if (!HasChangeBackupOn(file, clock.TodayDate())) {
        const std::string name =
            TakeTimedBackup(file, BackupKind::BeforeChange, clock.Now(), waiter);
        std::cout << "変更の前にバックアップしました: " << name << "\n";
    }
}

[[noreturn]] void RecordMoved(const std::filesystem::path& file, std::uint64_t n) {
    throw DataFileError(
        PathText(file),
        "記録" + std::to_string(n) + "はほかのパソコンで変更されました。何も書き換えていません");
}

}  // namespace

CommandAction DeclareList(CLI::App&) {
    return [](const ProgramSetup& setup) {
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        ConsoleWaiter waiter;
        FinishInterruptedDeletion(file, waiter);
        SystemClock clock;
        const RosterLookup roster = ReadRosterLookup(setup, clock.TodayDate());
        RecordWindow window;
        try {
            window = ReadRecordWindow(file, 0);
        } catch (const FileOperationError& e) {
            throw DataFileError(PathText(file), e.description());
        }
        const RecordListing listing = BuildRecordListing(window, roster, OwnSchoolOf(setup));
        std::string out;
        for (const std::string& line : listing.Lines) {
            out += line;
            out += '\n';
        }
        std::cout << out;
        return FinishOutput();
    };
}

CommandAction DeclareRewrite(CLI::App& command) {
    struct Values {
        std::int64_t record = 0, pupil = 0, seconds = 0;
        CLI::Option* pupilOption = nullptr;
        CLI::Option* secondsOption = nullptr;
    };
    auto v = std::make_shared<Values>();
    AddRecordOption(command, v->record, "書き換える記録の番号（list の左端）")->required();
    v->pupilOption = AddPupilOption(command, v->pupil, "新しい生徒の番号");
    v->secondsOption = AddSecondsOption(command, v->seconds, "新しい秒（99999 は時間切れ）");
    command.callback([v] {
        if (v->pupilOption->count() == 0 && v->secondsOption->count() == 0) {
            throw CLI::ValidationError("--pupil / --seconds", "どちらかを指定してください");
        }
    });
    return [v](const ProgramSetup& setup) {
        const auto n = static_cast<std::uint64_t>(v->record);
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        const ScoreRecordBytes before = CurrentBytes(file, n);
        ScoreRecord record = DecodeScoreRecord(before.data());
        if (v->pupilOption->count() > 0) {
            record.PupilNumber = static_cast<std::int16_t>(v->pupil);
        }
        if (v->secondsOption->count() > 0) {
            record.Seconds = static_cast<std::int32_t>(v->seconds);
        }
        ConsoleWaiter waiter;
        BackUpBeforeFirstChangeOfDay(file, waiter);
        if (RewriteScoreRecord(file, n, record, waiter, &before) != RecordChange::Done) {
            RecordMoved(file, n);
        }
        std::cout << "記録" << n << "を書き換えました\n";
        return FinishOutput();
    };
}

CommandAction DeclareDelete(CLI::App& command) {
    auto record = std::make_shared<std::int64_t>(0);
    AddRecordOption(command, *record, "消去する記録の番号（list の左端）")->required();
    return [record](const ProgramSetup& setup) {
        const auto n = static_cast<std::uint64_t>(*record);
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        const ScoreRecordBytes before = CurrentBytes(file, n);
        ConsoleWaiter waiter;
        BackUpBeforeFirstChangeOfDay(file, waiter);
        if (DeleteScoreRecord(file, n, waiter, &before) != RecordChange::Done) {
            RecordMoved(file, n);
        }
        std::cout << "記録" << n << "を消去しました\n";
        return FinishOutput();
    };
}

}  // namespace kagaku::admin
