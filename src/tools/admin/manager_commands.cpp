// The record manager's operations at the console, through the same logic as its screen.
#include <iostream>
#include <string>

#include "admin/record_manager.h"
#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "platform/shared_file.h"
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

[[noreturn]] void RecordMoved(const std::filesystem::path& file, std::uint64_t n) {
    throw DataFileError(
        PathText(file),
        "記録" + std::to_string(n) + "はほかのパソコンで変更されました。何も書き換えていません");
}

}  // namespace

int RunList(const SharedState& state) {
    const auto file = ScoreRecordPath(state.ProgramDataFolder);
    ConsoleWaiter waiter;
    FinishInterruptedDeletion(file, waiter);
    SystemClock clock;
    const RosterLookup roster = ReadRosterLookup(state, clock.TodayDate());
    RecordWindow window;
    try {
        window = ReadRecordWindow(file, 0);
    } catch (const FileOperationError& e) {
        throw DataFileError(PathText(file), e.description());
    }
    const RecordListing listing = BuildRecordListing(window, roster, OwnSchoolOf(state));
    std::string out;
    for (const std::string& line : listing.Lines) {
        out += line;
        out += '\n';
    }
    std::cout << out;
    std::cout.flush();
    return std::cout ? 0 : 2;
}

int RunRewrite(const CommandLine& line, const SharedState& state) {
    const auto n = static_cast<std::uint64_t>(IntegerOption(line, "record", 1, 1LL << 40));
    if (!Option(line, "pupil") && !Option(line, "seconds")) {
        throw UsageError("rewrite には --pupil か --seconds を指定してください");
    }
    const auto file = ScoreRecordPath(state.ProgramDataFolder);
    const ScoreRecordBytes before = CurrentBytes(file, n);
    ScoreRecord record = DecodeScoreRecord(before.data());
    if (Option(line, "pupil")) {
        record.PupilNumber = static_cast<std::int16_t>(IntegerOption(line, "pupil", 1, kMaxPupil));
    }
    if (Option(line, "seconds")) {
        record.Seconds =
            static_cast<std::int32_t>(IntegerOption(line, "seconds", 0, kTimedOutSeconds));
    }
    ConsoleWaiter waiter;
    if (RewriteScoreRecord(file, n, record, waiter, &before) != RecordChange::Done) {
        RecordMoved(file, n);
    }
    std::cout << "記録" << n << "を書き換えました\n";
    return 0;
}

int RunDelete(const CommandLine& line, const SharedState& state) {
    const auto n = static_cast<std::uint64_t>(IntegerOption(line, "record", 1, 1LL << 40));
    const auto file = ScoreRecordPath(state.ProgramDataFolder);
    const ScoreRecordBytes before = CurrentBytes(file, n);
    ConsoleWaiter waiter;
    if (DeleteScoreRecord(file, n, waiter, &before) != RecordChange::Done) {
        RecordMoved(file, n);
    }
    std::cout << "記録" << n << "を消去しました\n";
    return 0;
}

}  // namespace kagaku::admin
