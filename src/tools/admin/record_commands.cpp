#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <string>

#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/ole_date.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "records/aggregation.h"
#include "records/backups.h"
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

// The clock standing still at the moment --now names.
class FixedClock final : public Clock {
public:
    explicit FixedClock(double now) : now_(now) {}
    double Now() const override { return now_; }
    std::int64_t MonotonicMs() const override { return 0; }

private:
    double now_;
};

// The moment "yyyy-mm-dd hh:mm:ss" names, or nothing when the text is not one.
std::optional<double> ParseNow(const std::string& textValue) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(textValue.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s,
                    &tail) != 6 ||
        !IsValidDate({y, mo, d}) || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) {
        return std::nullopt;
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

// JSON as scripts read it: UTF-8, one line; a byte that is not UTF-8 (a path from an old
// machine) becomes U+FFFD instead of stopping the output.
std::string JsonText(const nlohmann::ordered_json& json) {
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

struct CheckReport {
    std::filesystem::path file;
    RecordWindow window;
    std::vector<std::pair<std::size_t, std::string>> problems;  // record number, problem
    std::uint64_t uncountedBefore = 0;  // records 1 to this lie before the aggregation's window
};

CheckReport MakeCheckReport(const ProgramSetup& setup) {
    CheckReport report;
    report.file = ScoreRecordPath(setup.ProgramDataFolder);
    report.window = ReadAllRecords(report.file);
    for (std::size_t i = 0; i < report.window.Count(); ++i) {
        ScoreRecord record = report.window.Record(i);
        if (auto problem = CheckScoreRecord(record)) {
            report.problems.emplace_back(i + 1, DescribeRecordProblem(*problem, record));
        }
    }
    if (report.window.WholeRecords > kLoadWindowRecords) {
        report.uncountedBefore = report.window.WholeRecords - kLoadWindowRecords;
    }
    return report;
}

void PrintCheckText(const CheckReport& report) {
    std::cout << "記録ファイル: " << PathText(report.file) << "\n";
    std::cout << "完全な記録: " << report.window.WholeRecords << "件\n";
    std::cout << "末尾の半端なバイト: " << report.window.TrailingBytes << "\n";
    std::cout << "集計から外れる記録: " << report.problems.size() << "件\n";
    for (const auto& [n, problem] : report.problems) {
        std::cout << "記録" << Number(static_cast<long long>(n)) << ": " << problem << "\n";
    }
    if (report.uncountedBefore > 0) {
        std::cout << "集計されるのは最後の" << kLoadWindowRecords << "件です（記録1から記録"
                  << report.uncountedBefore << "までは数えられません）\n";
    }
}

// The same facts for scripts, one JSON object.
void PrintCheckJson(const CheckReport& report) {
    nlohmann::ordered_json json;
    json["file"] = PathText(report.file);
    json["whole_records"] = report.window.WholeRecords;
    json["trailing_bytes"] = report.window.TrailingBytes;
    json["uncounted_before"] = report.uncountedBefore;
    json["problems"] = nlohmann::ordered_json::array();
    for (const auto& [n, problem] : report.problems) {
        json["problems"].push_back({{"record", n}, {"problem", problem}});
    }
    std::cout << JsonText(json) << "\n";
}

}  // namespace

CommandAction DeclareCheck(CLI::App& command) {
    auto json = std::make_shared<bool>(false);
    command.add_flag("--json", *json,
                     "結果を JSON で表示します（file, whole_records, trailing_bytes, "
                     "uncounted_before, problems: [{record, problem}]）");
    return [json](const ProgramSetup& setup) {
        const CheckReport report = MakeCheckReport(setup);
        if (*json) {
            PrintCheckJson(report);
        } else {
            PrintCheckText(report);
        }
        const int status = FinishOutput();
        if (status != kExitSuccess) {
            return status;
        }
        const bool clean = report.problems.empty() && report.window.TrailingBytes == 0;
        return clean ? kExitSuccess : kExitDataProblem;
    };
}

CommandAction DeclareExport(CLI::App& command) {
    auto encoding = std::make_shared<std::string>("utf-8");
    AddEncodingOption(command, *encoding);
    return [encoding](const ProgramSetup& setup) {
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        const std::map<int, std::string> names = RosterNames(setup);
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
                points = Number(CountedRunPoints(r.Seconds, r.Level, setup.Settings));
            }
            out += Number(static_cast<long long>(i + 1)) + "," + date + "," + time + "," +
                   Number(r.PupilNumber) + "," +
                   CsvField(name == names.end() ? std::string() : name->second) + "," +
                   Number(r.Level) + "," + Number(r.Seconds) + "," + points + "," +
                   CsvField(RecordTextValue(r.SchoolCode)) + "\r\n";
        }
        out = EncodedOutput(out, *encoding);
        std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
        return FinishOutput();
    };
}

CommandAction DeclareAddRun(CLI::App& command) {
    struct Values {
        std::int64_t pupil = 0, level = 0, seconds = 0;
    };
    auto v = std::make_shared<Values>();
    AddPupilOption(command, v->pupil, "生徒の番号")->required();
    AddLevelOption(command, v->level, "レベル")->required();
    AddSecondsOption(command, v->seconds, "かかった秒（99999 は時間切れ）")->required();
    return [v](const ProgramSetup& setup) {
        SystemClock clock;
        ConsoleWaiter waiter;
        const ScoreRecord record =
            MakeRunRecord(clock, static_cast<int>(v->pupil), static_cast<int>(v->level),
                          static_cast<std::int32_t>(v->seconds), setup.SchoolCode);
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        const std::uint64_t n = AppendScoreRecord(file, record, waiter, [&] {
            TakeDailyBackup(file, record.RunDate + record.RunTimeOfDay);
        });
        std::cout << "記録" << n << "を追加しました\n";
        return FinishOutput();
    };
}

CommandAction DeclareStanding(CLI::App& command) {
    struct Values {
        std::int64_t pupil = 0;
        std::string now;
    };
    auto v = std::make_shared<Values>();
    AddPupilOption(command, v->pupil, "生徒の番号")->required();
    command.add_option("--now", v->now, "この日時に集計したとして数えます（既定はいまの日時）")
        ->type_name("\"yyyy-mm-dd hh:mm:ss\"")
        ->check(CLI::Validator(
            [](std::string& value) -> std::string {
                return ParseNow(value) ? ""
                                       : "\"yyyy-mm-dd hh:mm:ss\" の形で指定してください: " + value;
            },
            ""));
    return [v](const ProgramSetup& setup) {
        const auto pupil = static_cast<int>(v->pupil);
        SystemClock systemClock;
        FixedClock clock(v->now.empty() ? systemClock.Now() : *ParseNow(v->now));
        ConsoleWaiter waiter;
        ScoreAggregates aggregates;
        AggregateScoreRecords(ScoreRecordPath(setup.ProgramDataFolder), setup.Settings, clock,
                              aggregates, waiter);
        const ScoreAggregates& a = aggregates;

        // Scripts read these keys in this order.
        nlohmann::ordered_json levels = nlohmann::ordered_json::array();
        for (int level = 1; level <= kMaxLevel; ++level) {
            levels.push_back({
                {"level", level},
                {"run_count", a.RunCount.at(level, pupil)},
                {"pass_window_run_count", a.PassWindowRunCount.at(level, pupil)},
                {"ban_window_run_count", a.BanWindowRunCount.at(level, pupil)},
                {"today_run_count", a.TodayRunCount.at(level, pupil)},
                {"total_points", a.TotalPoints.at(level, pupil)},
                {"pass_window_points", a.PassWindowPoints.at(level, pupil)},
                {"ban_window_points", a.BanWindowPoints.at(level, pupil)},
                {"today_points", a.TodayPoints.at(level, pupil)},
                {"best_time", a.BestTime.at(level, pupil)},
                {"level_best_time", a.LevelBestTime[static_cast<std::size_t>(level)]},
            });
        }
        nlohmann::ordered_json json;
        json["pupil"] = pupil;
        json["levels"] = std::move(levels);
        std::cout << JsonText(json) << "\n";
        return FinishOutput();
    };
}

}  // namespace kagaku::admin
