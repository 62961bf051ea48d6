#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "common/clock.h"
#include "common/cp932.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/ole_date.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "records/aggregation.h"
#include "records/run_points.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "tools/admin/admin_commands.h"
#include "tools/admin/console_waiter.h"

namespace kagaku::admin {

namespace {

std::string Number(long long n) {
    return text::NumberText(n);
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        return value;
    }
    return "\"" + text::ReplaceAll(value, "\"", "\"\"") + "\"";
}

// The clock standing still at the moment --now names.
class FixedClock final : public Clock {
public:
    explicit FixedClock(double now) : now_(now) {}
    double Now() const override { return now_; }
    std::int64_t MonotonicMs() const override { return 0; }

private:
    double now_;
};

double ParseNow(const std::string& textValue) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(textValue.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s,
                    &tail) != 6 ||
        !IsValidDate({y, mo, d}) || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) {
        throw UsageError("--now は \"yyyy-mm-dd hh:mm:ss\" の形で指定してください: " + textValue);
    }
    return ToOleDateTime({y, mo, d}, {h, mi, s});
}

// Every record, or one error line naming the file.
RecordWindow ReadAllRecords(const std::filesystem::path& file) {
    try {
        return ReadRecordWindow(file, 0);
    } catch (const FileOperationError& e) {
        throw DataFileError(PathText(file), e.description());
    }
}

}  // namespace

int RunCheck(const SharedState& state) {
    const auto file = ScoreRecordPath(state.ProgramDataFolder);
    const RecordWindow window = ReadAllRecords(file);
    std::cout << "記録ファイル: " << PathText(file) << "\n";
    std::cout << "完全な記録: " << window.WholeRecords << "件\n";
    std::cout << "末尾の半端なバイト: " << window.TrailingBytes << "\n";

    std::string skipped;
    std::size_t skippedCount = 0;
    for (std::size_t i = 0; i < window.Count(); ++i) {
        ScoreRecord record = window.Record(i);
        if (auto problem = CheckScoreRecord(record)) {
            ++skippedCount;
            skipped += "記録" + Number(static_cast<long long>(i + 1)) + ": " +
                       DescribeRecordProblem(*problem, record) + "\n";
        }
    }
    std::cout << "集計から外れる記録: " << skippedCount << "件\n" << skipped;
    if (window.WholeRecords > kLoadWindowRecords) {
        std::cout << "集計されるのは最後の" << kLoadWindowRecords << "件です（記録1から記録"
                  << window.WholeRecords - kLoadWindowRecords << "までは数えられません）\n";
    }
    return (skippedCount == 0 && window.TrailingBytes == 0) ? 0 : 1;
}

int RunExport(const CommandLine& line, const SharedState& state) {
    const std::string encoding = Option(line, "encoding").value_or("utf-8");
    if (encoding != "utf-8" && encoding != "cp932") {
        throw UsageError("--encoding は utf-8 か cp932 です: " + encoding);
    }
    const auto file = ScoreRecordPath(state.ProgramDataFolder);
    const std::map<int, std::string> names = RosterNames(state);
    const RecordWindow window = ReadAllRecords(file);

    std::string out = "記録番号,日付,時刻,番号,名前,レベル,秒,ポイント,学校コード\r\n";
    for (std::size_t i = 0; i < window.Count(); ++i) {
        const ScoreRecord r = window.Record(i);
        const bool countable = !CheckScoreRecord(r).has_value();
        std::string date;
        if (r.RunDate >= 0.0 && r.RunDate < kDateLimit) {
            date = FormatSlashDate(OleDateOf(r.RunDate));
        }
        std::string time;
        if (std::isfinite(r.RunTimeOfDay) && std::fabs(r.RunTimeOfDay) < 1.0) {
            time = FormatClockTime(OleTimeOf(r.RunTimeOfDay));
        }
        auto name = names.find(r.PupilNumber);
        std::string points;
        if (countable) {
            points = Number(CountedRunPoints(r.Seconds, r.Level, state.Settings));
        }
        out += Number(static_cast<long long>(i + 1)) + "," + date + "," + time + "," +
               Number(r.PupilNumber) + "," +
               CsvField(name == names.end() ? std::string() : name->second) + "," +
               Number(r.Level) + "," + Number(r.Seconds) + "," + points + "," +
               CsvField(RecordTextValue(r.SchoolCode)) + "\r\n";
    }
    if (encoding == "cp932") {
        out = Utf8ToCp932(out, "標準出力");
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    std::cout.flush();
    return std::cout ? 0 : 2;
}

int RunAddRun(const CommandLine& line, const SharedState& state) {
    const auto pupil = static_cast<int>(IntegerOption(line, "pupil", 1, kMaxPupil));
    const auto level = static_cast<int>(IntegerOption(line, "level", 1, kMaxLevel));
    const auto seconds =
        static_cast<std::int32_t>(IntegerOption(line, "seconds", 0, kTimedOutSeconds));
    SystemClock clock;
    ConsoleWaiter waiter;
    const ScoreRecord record = MakeRunRecord(clock, pupil, level, seconds, state.SchoolCode);
    const std::uint64_t n =
        AppendScoreRecord(ScoreRecordPath(state.ProgramDataFolder), record, waiter);
    std::cout << "記録" << n << "を追加しました\n";
    return 0;
}

int RunStanding(const CommandLine& line, const SharedState& state) {
    const auto pupil = static_cast<int>(IntegerOption(line, "pupil", 1, kMaxPupil));
    SystemClock systemClock;
    auto now = Option(line, "now");
    FixedClock clock(now ? ParseNow(*now) : systemClock.Now());
    ConsoleWaiter waiter;
    ScoreAggregates aggregates;
    AggregateScoreRecords(ScoreRecordPath(state.ProgramDataFolder), state.Settings, clock,
                          aggregates, waiter);
    const ScoreAggregates& a = aggregates;

    std::string json = "{\"pupil\":" + Number(pupil) + ",\"levels\":[";
    for (int level = 1; level <= kMaxLevel; ++level) {
        json += level == 1 ? "{" : ",{";
        json += "\"level\":" + Number(level);
        json += ",\"run_count\":" + Number(a.RunCount.at(level, pupil));
        json += ",\"pass_window_run_count\":" + Number(a.PassWindowRunCount.at(level, pupil));
        json += ",\"ban_window_run_count\":" + Number(a.BanWindowRunCount.at(level, pupil));
        json += ",\"today_run_count\":" + Number(a.TodayRunCount.at(level, pupil));
        json += ",\"total_points\":" + Number(a.TotalPoints.at(level, pupil));
        json += ",\"pass_window_points\":" + Number(a.PassWindowPoints.at(level, pupil));
        json += ",\"ban_window_points\":" + Number(a.BanWindowPoints.at(level, pupil));
        json += ",\"today_points\":" + Number(a.TodayPoints.at(level, pupil));
        json += ",\"best_time\":" + Number(a.BestTime.at(level, pupil));
        json += ",\"level_best_time\":" + Number(a.LevelBestTime[static_cast<std::size_t>(level)]);
        json += "}";
    }
    json += "]}\n";
    std::cout << json;
    return 0;
}

}  // namespace kagaku::admin
