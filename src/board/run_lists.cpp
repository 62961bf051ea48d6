#include "board/run_lists.h"

#include <algorithm>
#include <cmath>

#include "common/text_ops.h"
#include "records/run_points.h"
#include "records/score_record.h"

namespace kagaku {

namespace {

std::span<const RunRecord> LastRecords(std::span<const RunRecord> records, std::size_t count) {
    if (records.size() > count) {
        return records.subspan(records.size() - count);
    }
    return records;
}

std::string SecondsColumn(std::int32_t seconds) {
    return text::Right("      " + text::NumberText(static_cast<long long>(seconds)) + "秒", 5);
}

std::string PointsColumn(long long points) {
    return text::Right("      " + text::NumberText(points), 5);
}

constexpr const char* kFailedPrefix = "　　× ";

// Walks the records of the scan window, reporting progress, and hands over each record whose
// level has a column and whose pupil has a table slot.
template <typename Visit>
void ScanRecords(const BoardInputs& in, std::span<const RunRecord> records, std::size_t scan,
                 Visit&& visit) {
    const std::span<const RunRecord> window = LastRecords(records, scan);
    const int levelCount = std::clamp<int>(in.State.Setup.LevelCount, 0, kMaxLevel);
    const auto maximum = static_cast<std::size_t>(static_cast<double>(records.size() + 1) * 1.1);
    std::size_t done = records.size() - window.size();
    for (const RunRecord& r : window) {
        ++done;
        if (in.Progress) {
            in.Progress(done, maximum);
        }
        if (r.Level < 1 || r.Level > levelCount) {
            continue;
        }
        // Records without a pupil are not written by this program; a number beyond the tables
        // cannot be named.
        if (r.Pupil < 1 || r.Pupil > kMaxPupil) {
            continue;
        }
        visit(r);
    }
}

std::string MarkOf(const BoardInputs& in, int pupil, int gradeNumber) {
    return pupil == in.State.SignIn.PupilNumber ? std::string(kOwnMark) : GradeMark(gradeNumber);
}

}  // namespace

std::vector<RunRecord> RunRecordsOf(const ScoreAggregates& a) {
    const std::size_t n =
        std::min({a.LoadedRecordCount, a.LoadedDate.size(), a.LoadedTimeOfDay.size(),
                  a.LoadedPupil.size(), a.LoadedLevel.size(), a.LoadedSeconds.size()});
    std::vector<RunRecord> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = RunRecord{a.LoadedDate[i], a.LoadedTimeOfDay[i], a.LoadedPupil[i],
                           a.LoadedLevel[i], a.LoadedSeconds[i]};
    }
    return out;
}

std::vector<RunRecord> RunRecordsOf(const RecordWindow& window) {
    std::vector<RunRecord> out(window.Count());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const ScoreRecord r = window.Record(i);
        const bool real = IsCountableRun(r.RunDate, r.PupilNumber, r.Level, r.Seconds);
        out[i] = RunRecord{real ? r.RunDate : 0.0, real ? r.RunTimeOfDay : 0.0, r.PupilNumber,
                           real ? r.Level : 0, r.Seconds};
    }
    return out;
}

long long LineRunPoints(std::int32_t seconds, std::int32_t targetTime) {
    if (seconds >= 99998) {
        return 0;  // a timed-out or failed run
    }
    return RunPoints(seconds, targetTime);
}

std::string HourMinuteText(double timeOfDay) {
    const std::string clock = FormatClockTime(OleTimeOf(timeOfDay));
    return text::Left(text::Right("00" + clock, 8), 5);
}

std::string MonthDayText(double date) {
    return text::Right(FormatSlashDate(OleDateOf(date)), 5);
}

int PeriodWindowDays(int listPeriod, int weekday) {
    switch (listPeriod) {
        case 1:
            return weekday == 1 ? 7 : weekday - 1;
        case 2:
            return weekday == 1 ? 14 : weekday - 1 + 7;
        case 3:
            return 30;
        case 4:
            return 365;
        case 5:
            return 3650;
        default:
            return 0;
    }
}

LevelLines TodayRunList(const BoardInputs& in, std::span<const RunRecord> records, double now) {
    LevelLines lines(kLevelSlots);
    const long long today = OleDay(now);
    const RosterTables& roster = in.State.Roster;
    ScanRecords(in, records, kTodayListScan, [&](const RunRecord& r) {
        if (OleDay(r.Date) != today) {
            return;
        }
        const int d = BoardGradeNumber(roster, r.Pupil);
        if (!GradeFilterPasses(in.GradeFilter, d)) {
            return;
        }
        const std::string mark = MarkOf(in, r.Pupil, d);
        const std::string name =
            RunListNameField(roster.RosterName[static_cast<std::size_t>(r.Pupil)]);
        std::string line;
        if (r.Seconds < kFailedRunSeconds) {
            const auto target = in.State.Setup.Settings.TargetTime[static_cast<std::size_t>(r.Level)];
            line = SecondsColumn(r.Seconds) + " " + HourMinuteText(r.TimeOfDay) + mark + name +
                   mark + text::NumberText(LineRunPoints(r.Seconds, target));
        } else {
            line = kFailedPrefix + HourMinuteText(r.TimeOfDay) + mark + name + mark;
        }
        lines[static_cast<std::size_t>(r.Level)].push_back(std::move(line));
    });
    return lines;
}

LevelLines PeriodRunList(const BoardInputs& in, std::span<const RunRecord> records, double now,
                         int listPeriod, bool pointsFirst) {
    LevelLines lines(kLevelSlots);
    const int w = PeriodWindowDays(listPeriod, Weekday(OleDateOf(now)));
    const double from = now - w;
    const RosterTables& roster = in.State.Roster;
    ScanRecords(in, records, kPeriodListScan, [&](const RunRecord& r) {
        if (!(r.Date > from)) {
            return;
        }
        const int d = BoardGradeNumber(roster, r.Pupil);
        if (!GradeFilterPasses(in.GradeFilter, d)) {
            return;
        }
        const std::string mark = MarkOf(in, r.Pupil, d);
        const std::string name =
            RunListNameField(roster.RosterName[static_cast<std::size_t>(r.Pupil)]);
        const std::string day = MonthDayText(r.Date);
        std::string line;
        if (r.Seconds < kFailedRunSeconds) {
            const auto target = in.State.Setup.Settings.TargetTime[static_cast<std::size_t>(r.Level)];
            const long long points = LineRunPoints(r.Seconds, target);
            if (pointsFirst) {
                line = PointsColumn(points) + " " + day + mark + name + mark +
                       text::NumberText(static_cast<long long>(r.Seconds)) + "秒";
            } else {
                line = SecondsColumn(r.Seconds) + " " + day + mark + name + mark +
                       text::NumberText(points);
            }
        } else {
            line = kFailedPrefix + day + mark + name + mark;
        }
        lines[static_cast<std::size_t>(r.Level)].push_back(std::move(line));
    });
    return lines;
}

LevelLines OwnRunList(const BoardInputs& in, std::span<const RunRecord> records, double now) {
    LevelLines lines(kLevelSlots);
    const double from = now - 3650;
    const int own = in.State.SignIn.PupilNumber;
    ScanRecords(in, records, kPeriodListScan, [&](const RunRecord& r) {
        if (!(r.Date > from) || r.Pupil != own) {
            return;
        }
        if (!GradeFilterPasses(in.GradeFilter, BoardGradeNumber(in.State.Roster, r.Pupil))) {
            return;
        }
        std::string line = text::Right(FormatSlashDate(OleDateOf(r.Date)), 10) + " " +
                           text::Right(FormatClockTime(OleTimeOf(r.TimeOfDay)), 10);
        // A timed-out or otherwise failed run shows a cross in the seconds column.
        line += r.Seconds < kFailedRunSeconds ? SecondsColumn(r.Seconds) : std::string("　　×");
        lines[static_cast<std::size_t>(r.Level)].push_back(std::move(line));
    });
    return lines;
}

}  // namespace kagaku
