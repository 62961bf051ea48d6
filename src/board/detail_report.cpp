#include "board/detail_report.h"

#include <algorithm>
#include <cmath>

#include "common/ole_date.h"
#include "common/text_ops.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"

namespace kagaku {

namespace {

// Runs of this many seconds or more are left out of the chart and the figures.
constexpr std::int32_t kChartedSecondsLimit = 1800;
constexpr int kMaxTimeScale = 1000;
constexpr int kNoSchoolBest = 99999;
// A report reaches back ten years.
constexpr double kReportWindowDays = 3650;

// The three blocks of a screen or page, in fractions of its height.
constexpr double kFirstBlockTop = 0.05;
constexpr double kBlockStep = 0.3;
constexpr double kLastBlockTop = 0.9;

// Widths in screen pixels.
constexpr int kRuleWidth = 2;
constexpr int kAxisWidth = 1;
constexpr int kBestCurveWidth = 3;
constexpr int kRunPointSize = 5;
// The chart's labels are a little larger than the base size, so that they stay readable on
// paper and on a small screen.
constexpr double kLabelScale = kChartLabelScale;
// Room kept between a label and a line or another label, in shares of the height.
constexpr double kLabelGap = 0.003;
// A font's line is a little taller than its size, and a string a little wider than its
// characters' advances add up to.
constexpr double kLineHeight = 1.15;
constexpr double kWidthAllowance = 1.05;

// Geometry in the units of the block: W the width, Wh half of it, Hb a third of the height.
constexpr double kHalf = 0.5;         // Wh / W
constexpr double kBlock = 1.0 / 3.0;  // Hb / H

std::string RankText3(long long rank) {
    return text::Right("   " + text::Str(rank), 3);
}

// The value in the last five characters of a points line: the cumulative points as the line
// shows them.
long long LastFiveFigures(long long totalPoints) {
    return static_cast<long long>(
        text::Val(text::Right("    " + text::NumberText(totalPoints), 5)));
}

std::string DateText(double date, bool full) {
    const std::string d = FormatSlashDate(OleDateOf(date));
    return full ? d : text::Right(d, 5);
}

struct BestStep {
    double X = 0;
    double Y = 0;
    std::string TimeText;
    double Date = 0;
};

// What one pass over the records gathers for one level.
struct LevelRuns {
    int Count = 0;             // N: the pupil's runs below 1800 seconds
    long long Sum = 0;         // S
    std::int32_t Slowest = 0;  // M
    long long SchoolCount = 0;
    long long SchoolSum = 0;
    std::int32_t SchoolBest = kNoSchoolBest;
    std::vector<const RunRecord*> Own;  // the pupil's runs, in file order
};

}  // namespace

// ---- pupil list ----

std::string DetailPupilLine(std::string_view gradeLabel, std::string_view name, int pupil) {
    return std::string(gradeLabel) + " /  " + text::Trim(name) + "/" +
           text::NumberText(static_cast<long long>(pupil));
}

std::optional<int> DetailPupilOf(std::string_view line) {
    const auto slash = line.rfind('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string tail = text::Trim(line.substr(slash + 1));
    if (tail.empty() ||
        !std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        tail.size() > 4) {
        return std::nullopt;
    }
    const int n = std::stoi(tail);
    if (n > kMaxPupil) {
        return std::nullopt;
    }
    return n;
}

std::vector<std::string> ReadDetailPupilList(const std::filesystem::path& rosterFile,
                                             int schoolYear, RosterTables& tables) {
    // The pass works on a copy, so a damaged file leaves the tables as they were; status 2
    // pupils are not listed here whatever the hide option says.
    RosterTables scratch = tables;
    scratch.SchoolYear = schoolYear;
    std::vector<std::string> lines;
    RunRosterPass(rosterFile, Variant(), scratch, [&](const RosterRecord& record, int, int) {
        const auto n = static_cast<std::size_t>(record.Number);
        lines.push_back(
            DetailPupilLine(scratch.RosterGradeLabel[n], scratch.RosterName[n], record.Number));
    });
    tables.RosterName = std::move(scratch.RosterName);
    tables.RosterBirthYear = std::move(scratch.RosterBirthYear);
    tables.RosterGradeLabel = std::move(scratch.RosterGradeLabel);
    return lines;
}

// ---- standings ----

DetailRankings::DetailRankings(const BoardData& state, std::string gradeFilter,
                               int pointsRankingKind)
    : state_(state),
      gradeFilter_(std::move(gradeFilter)),
      pointsKind_(pointsRankingKind == 2 ? RankingKind::TodayPoints
                                         : RankingKind::CumulativePoints),
      levels_(static_cast<std::size_t>(std::clamp<int>(state.Setup.LevelCount, 0, kMaxLevel)) + 1) {}

void DetailRankings::Rank(int level, Level& slot) {
    const BoardInputs in{state_, gradeFilter_};
    slot.TimeRank.assign(kPupilSlots, 0);
    slot.NoTime.assign(kPupilSlots, 0);
    slot.PointsRank.assign(kPupilSlots, 0);
    // A pupil listed twice answers with the first of the lines, as a search from the top would.
    for (const RankedPupil& r : RankPupils(in, level, RankingKind::BestTime)) {
        const auto p = static_cast<std::size_t>(r.Pupil);
        if (r.Listed && slot.TimeRank[p] == 0) {
            slot.TimeRank[p] = static_cast<std::int32_t>(r.Rank);
            slot.NoTime[p] = r.Primary == kNoTime ? 1 : 0;
        }
    }
    const ScoreAggregates& a = state_.Standing;
    for (const RankedPupil& r : RankPupils(in, level, pointsKind_)) {
        if (!r.Listed) {
            continue;
        }
        const auto p = static_cast<std::size_t>(r.Pupil);
        if (slot.PointsRank[p] == 0) {
            slot.PointsRank[p] = static_cast<std::int32_t>(r.Rank);
        }
        const long long v = LastFiveFigures(a.TotalPoints.at(level, r.Pupil));
        if (v > 0) {
            slot.PointsCount += 1;
            slot.PointsSum += v;
        }
    }
    slot.Ranked = true;
    ++rankedLevels_;
}

LevelStanding DetailRankings::StandingOf(int level, int pupil) {
    LevelStanding out;
    if (level < 1 || static_cast<std::size_t>(level) >= levels_.size() || pupil < 0 ||
        pupil > kMaxPupil) {
        return out;
    }
    Level& slot = levels_[static_cast<std::size_t>(level)];
    if (!slot.Ranked) {
        Rank(level, slot);
    }
    const auto p = static_cast<std::size_t>(pupil);
    if (slot.TimeRank[p] != 0) {
        out.TimeRank = slot.NoTime[p] != 0 ? std::string("---") : RankText3(slot.TimeRank[p]);
    }
    if (slot.PointsRank[p] != 0) {
        out.PointsRank = RankText3(slot.PointsRank[p]);
        out.OwnPoints = LastFiveFigures(state_.Standing.TotalPoints.at(level, pupil));
    }
    out.PointsSum = slot.PointsSum;
    out.PointsCount = slot.PointsCount;
    return out;
}

// ---- formats ----

std::string FigureText(double value) {
    if (!std::isfinite(value)) {
        return "";
    }
    const long long rounded = std::llround(value);
    return rounded == 0 ? std::string() : text::NumberText(rounded);
}

std::string RankFigureText(std::string_view rankText) {
    if (!text::IsNumeric(rankText)) {
        return std::string(rankText);
    }
    return FigureText(text::Val(text::Trim(rankText)));
}

ReportBox EstimatedTextBox(const ReportText& t, const ReportMetrics& metrics) {
    const double em = t.FontScale * metrics.BaseFontShare;
    // Half-width: ASCII and half-width katakana; every other character is full-width.
    double ems = 0;
    for (std::size_t i = 0; i < t.Text.size();) {
        const auto c = static_cast<unsigned char>(t.Text[i]);
        std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::uint32_t cp = 0;
        if (length == 3 && i + 2 < t.Text.size()) {
            cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(t.Text[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(t.Text[i + 2]) & 0x3Fu);
        }
        ems += (c < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) ? 0.5 : 1.0;
        i += length;
    }
    const double width = ems * em * kWidthAllowance / std::max(metrics.Aspect, 0.1);
    const double height = em * kLineHeight;
    ReportBox b;
    switch (t.Anchor) {
        case TextAnchor::TopLeft:
            b = {t.X, t.Y, t.X + width, t.Y + height};
            break;
        case TextAnchor::MiddleLeft:
            b = {t.X, t.Y - height / 2, t.X + width, t.Y + height / 2};
            break;
        case TextAnchor::TopCentre:
            b = {t.X - width / 2, t.Y, t.X + width / 2, t.Y + height};
            break;
        case TextAnchor::MiddleRight:
            b = {t.X - width, t.Y - height / 2, t.X, t.Y + height / 2};
            break;
    }
    return b;
}

bool BoxesOverlap(const ReportBox& a, const ReportBox& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool LineCrossesBox(const ReportLine& l, const ReportBox& box) {
    // Liang-Barsky: clip the segment to the box; something left means it passes through.
    double t0 = 0;
    double t1 = 1;
    const double dx = l.X2 - l.X1;
    const double dy = l.Y2 - l.Y1;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {l.X1 - box.Left, box.Right - l.X1, l.Y1 - box.Top, box.Bottom - l.Y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, r);
        } else {
            t1 = std::min(t1, r);
        }
        if (t0 > t1) {
            return false;
        }
    }
    return true;
}

int ReportTimeScale(int slowestSeconds) {
    return std::min((std::max(slowestSeconds, 0) / 10 + 1) * 10, kMaxTimeScale);
}

std::string ReportFileName(int pupil, std::string_view rosterName, double now) {
    std::string name = text::Trim(rosterName);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|' || c == ' ') {
            c = '_';
        }
    }
    if (name.empty() || name == "." || name == "..") {
        name = "_";
    }
    return text::NumberText(static_cast<long long>(pupil)) + "_" + name + "_" +
           FormatIsoDate(OleDateOf(now)) + ".pdf";
}

// ---- the report ----

namespace {

void AddBlock(const DetailReportInputs& in, const ReportMetrics& metrics, ReportPage& page, double t, int pupil, int level,
              const LevelRuns& runs, const LevelStanding& standing) {
    const BoardData& state = in.State;
    const bool paper = in.Target == ReportTarget::Paper;
    const auto hb = [t](double f) { return t + f * kBlock; };
    const auto wh = [](double f) { return f * kHalf; };

    // The pupil's name heads each screen or page.
    if (t < 0.08) {
        page.Texts.push_back(
            ReportText{wh(0.01), 0.02 * kBlock, 3,
                       text::Trim(state.Roster.RosterName[static_cast<std::size_t>(pupil)])});
    }
    page.Lines.push_back(ReportLine{0, t, 1, t, kRuleWidth});
    page.Lines.push_back(ReportLine{0, hb(0.09), 1, hb(0.09), kRuleWidth});
    page.Texts.push_back(
        ReportText{0.35, hb(0.01), paper ? 3.0 : 2.0,
                   state.Setup.ProgramName + " " + state.Setup.LevelNames[static_cast<std::size_t>(level)],
                   TextAnchor::TopLeft, wh(1.04) - 0.35});

    // The plot area: T seconds at its top edge, 0 at its bottom edge.
    const int scale = ReportTimeScale(runs.Slowest);
    const double left = wh(0.2);
    const double right = wh(0.9);
    const double top = hb(0.1);
    const double bottom = hb(0.8);
    page.Lines.push_back(ReportLine{left, top, left, bottom, kAxisWidth});
    page.Lines.push_back(ReportLine{left, bottom, right, bottom, kAxisWidth});

    // The pupil's runs, in the order they ended. A run slower than the scale (the scale stops
    // at 1000 seconds) is drawn on the top edge rather than over the block above.
    std::vector<BestStep> best;
    const bool shown = GradeFilterPasses(in.GradeFilter, BoardGradeNumber(state.Roster, pupil));
    int k = 0;
    std::int32_t fastest = 0;
    for (const RunRecord* r : runs.Own) {
        ++k;
        if (!shown) {
            continue;
        }
        const double x = wh(0.2 + 0.7 * k / runs.Count);
        const double s = std::min<double>(r->Seconds, scale);
        const double y = hb(0.8 - 0.7 * s / scale);
        const bool newBest = best.empty() || r->Seconds < fastest;
        if (newBest) {
            fastest = r->Seconds;
            best.push_back(BestStep{
                x, y, text::NumberText(static_cast<long long>(r->Seconds)) + "秒", r->Date});
        }
        page.Points.push_back(
            ReportPoint{x, y, newBest ? kBestRunColour : kOtherRunColour, kRunPointSize});
    }
    for (std::size_t i = 1; i < best.size(); ++i) {
        page.Lines.push_back(
            ReportLine{best[i - 1].X, best[i - 1].Y, best[i].X, best[i].Y, kBestCurveWidth});
    }

    // Axis labels left of the axis, and labels for the first and last personal bests and every
    // third between. Each label goes where it lies over no line and no other label: the scale's
    // top label below the block's heading rule, a time label beside its point (above or below
    // it, right or left of it), a date below the axis in the first row that is free. A label
    // that finds no free place is left out rather than drawn over another.
    const double rule = hb(0.09);
    // The next block's top rule follows three tenths of the height lower (a little less than a
    // block's height, so the space under the axis is short).
    const double blockEnd = t + kBlockStep;
    std::vector<ReportBox> taken;
    const auto fits = [&](const ReportText& text) {
        const ReportBox box = EstimatedTextBox(text, metrics);
        if (box.Top < rule + kLabelGap || box.Bottom > blockEnd - kLabelGap || box.Left < 0) {
            return false;
        }
        for (const ReportLine& l : page.Lines) {
            if (LineCrossesBox(l, box)) {
                return false;
            }
        }
        for (const ReportBox& other : taken) {
            if (BoxesOverlap(box, other)) {
                return false;
            }
        }
        return true;
    };
    const auto place = [&](ReportText text, std::optional<ReportText>& into) {
        taken.push_back(EstimatedTextBox(text, metrics));
        into = std::move(text);
    };
    const double labelHeight = kLabelScale * metrics.BaseFontShare * kLineHeight;
    const double axisGap = kLabelGap * 2 / std::max(metrics.Aspect, 0.1);
    std::optional<ReportText> axisLabels[2];
    place(ReportText{left - axisGap, bottom, kLabelScale, "0秒", TextAnchor::MiddleRight},
          axisLabels[0]);
    place(ReportText{left - axisGap, std::max(top, rule + 2 * kLabelGap + labelHeight / 2),
                     kLabelScale, text::NumberText(static_cast<long long>(scale)) + "秒",
                     TextAnchor::MiddleRight},
          axisLabels[1]);
    for (auto& a : axisLabels) {
        page.Texts.push_back(std::move(*a));
    }

    std::vector<std::size_t> labelled;
    if (!best.empty()) {
        labelled.push_back(0);
        if (best.size() > 5) {
            for (std::size_t i = 3; i + 2 <= best.size(); i += 3) {
                labelled.push_back(i - 1);
            }
        }
        if (best.size() > 1) {
            labelled.push_back(best.size() - 1);
        }
    }
    // A date is written in full for the first label and whenever its year differs from the one
    // before it.
    std::vector<std::string> dates(labelled.size());
    int previousYear = 0;
    for (std::size_t n = 0; n < labelled.size(); ++n) {
        const BestStep& b = best[labelled[n]];
        const int year = OleDateOf(b.Date).year;
        dates[n] = DateText(b.Date, n == 0 || year != previousYear);
        previousYear = year;
    }
    // The pupil's best of all is placed first, then the first run, then those between.
    std::vector<std::size_t> order;
    if (!labelled.empty()) {
        order.push_back(labelled.size() - 1);
        for (std::size_t n = 0; n + 1 < labelled.size(); ++n) {
            order.push_back(n);
        }
    }
    // Placed in that order, painted from left to right.
    std::vector<std::optional<ReportText>> timeLabels(labelled.size());
    std::vector<std::optional<ReportText>> dateLabels(labelled.size());
    const double dx = 0.006;
    const double dy = 0.012;
    const double dateRow = labelHeight + kLabelGap;
    for (std::size_t n : order) {
        const BestStep& b = best[labelled[n]];
        const double low = rule + 2 * kLabelGap + labelHeight / 2;
        const double high = bottom - kLabelGap - labelHeight / 2;
        const auto clampY = [&](double y) { return std::clamp(y, low, std::max(low, high)); };
        const ReportText candidates[] = {
            {b.X + dx, clampY(b.Y - dy), kLabelScale, b.TimeText, TextAnchor::MiddleLeft},
            {b.X + dx, clampY(b.Y + dy), kLabelScale, b.TimeText, TextAnchor::MiddleLeft},
            {b.X - dx, clampY(b.Y - dy), kLabelScale, b.TimeText, TextAnchor::MiddleRight},
            {b.X - dx, clampY(b.Y + dy), kLabelScale, b.TimeText, TextAnchor::MiddleRight},
        };
        for (const ReportText& c : candidates) {
            if (fits(c)) {
                place(c, timeLabels[n]);
                break;
            }
        }
        // The date under its point, kept right of the axis.
        ReportText date{b.X, bottom + 0.004, kLabelScale, dates[n], TextAnchor::TopCentre};
        const ReportBox box = EstimatedTextBox(date, metrics);
        date.X = std::max(date.X, left + (box.Right - box.Left) / 2 + axisGap);
        for (int row = 0; row < 4; ++row) {
            ReportText d = date;
            d.Y = bottom + 0.004 + row * dateRow;
            if (fits(d)) {
                place(std::move(d), dateLabels[n]);
                break;
            }
        }
    }
    for (std::size_t n = 0; n < labelled.size(); ++n) {
        for (auto* label : {&timeLabels[n], &dateLabels[n]}) {
            if (label->has_value()) {
                page.Texts.push_back(std::move(**label));
            }
        }
    }

    // The figures column, one line per step; a line left out leaves its step empty.
    const double x = wh(1.05);
    const double step = (paper ? 0.06 : 0.08) * kBlock;
    // The column starts just below the heading rule, so that its first line is not struck
    // through by it.
    const double figuresTop = std::max(hb(0.05), rule + kLabelGap);
    const auto at = [&](double row, std::string line) {
        page.Texts.push_back(ReportText{x, figuresTop + row * step, 1.5, std::move(line)});
    };
    const std::string blanks = "      ";
    at(0, "回数　　　　　　　" + text::Right(blanks + FigureText(runs.Count), 3) + "回");
    at(1, "タイム  　　 　    本人 / 塾全体");
    at(2, "　　順位　　　　" + text::Right("     " + RankFigureText(standing.TimeRank), 5) + "位");
    at(3, "　　最高　　　　" + text::Right(blanks + (best.empty() ? "" : best.back().TimeText), 6) +
              " /" + text::Right(blanks + FigureText(runs.SchoolBest), 5) + "秒");
    if (runs.Count != 0) {
        const double own =
            static_cast<double>(text::Int(static_cast<double>(runs.Sum) / runs.Count));
        const double school =
            static_cast<double>(runs.SchoolSum) / static_cast<double>(runs.SchoolCount);
        at(4, "　　平均　　　　" + text::Right(blanks + FigureText(own), 5) + "秒" + " /" +
                  text::Right(blanks + FigureText(school), 5) + "秒");
    }
    at(5, "ポイント  　　　");
    at(6, "　　順位　　　　" + text::Right(blanks + RankFigureText(standing.PointsRank), 5) + "位");
    at(7, "　　獲得ポイント" +
              text::Right(blanks + FigureText(static_cast<double>(standing.OwnPoints)), 5) + "点");
    if (standing.PointsCount != 0) {
        const double average =
            static_cast<double>(standing.PointsSum) / static_cast<double>(standing.PointsCount);
        at(8, "　　　　　　　　　　　　/" + text::Right(blanks + FigureText(average), 5) + "点");
        // A full step lower rather than half: half a step is less than a line's height.
        at(9, "　　　　　　　　　　　　 (塾平均)");
    }
}

}  // namespace

ReportDocument BuildDetailReport(const DetailReportInputs& in, std::span<const RunRecord> records,
                                 int pupil, std::span<const int> levels, DetailRankings& rankings,
                                 const ReportMetrics& metrics) {
    ReportDocument doc;
    const BoardData& state = in.State;
    const int levelCount = std::clamp<int>(state.Setup.LevelCount, 0, kMaxLevel);
    if (pupil < 0 || pupil > kMaxPupil) {
        return doc;
    }

    // The levels drawn, in order; the first beyond the catalogue ends the report.
    std::vector<int> drawn;
    for (int level : levels) {
        if (level > levelCount) {
            break;
        }
        if (level >= 1) {
            drawn.push_back(level);
        }
    }

    // One pass over the records gathers every drawn level's figures.
    std::vector<int> slotOf(kLevelSlots, -1);
    std::vector<LevelRuns> runs(drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        slotOf[static_cast<std::size_t>(drawn[i])] = static_cast<int>(i);
    }
    const std::span<const RunRecord> window =
        records.size() > kPeriodListScan ? records.subspan(records.size() - kPeriodListScan)
                                         : records;
    const double from = in.Now - kReportWindowDays;
    for (const RunRecord& r : window) {
        if (r.Level < 1 || r.Level > levelCount || !(r.Date > from) ||
            r.Seconds >= kChartedSecondsLimit) {
            continue;
        }
        const int slot = slotOf[static_cast<std::size_t>(r.Level)];
        if (slot < 0) {
            continue;
        }
        LevelRuns& lr = runs[static_cast<std::size_t>(slot)];
        lr.SchoolCount += 1;
        lr.SchoolSum += r.Seconds;
        lr.SchoolBest = std::min(lr.SchoolBest, r.Seconds);
        if (r.Pupil == pupil) {
            lr.Count += 1;
            lr.Sum += r.Seconds;
            lr.Slowest = std::max(lr.Slowest, r.Seconds);
            lr.Own.push_back(&r);
        }
    }

    double t = kFirstBlockTop - kBlockStep;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        t += kBlockStep;
        if (doc.Pages.empty() || t > kLastBlockTop) {
            doc.Pages.emplace_back();
            t = kFirstBlockTop;
        }
        AddBlock(in, metrics, doc.Pages.back(), t, pupil, drawn[i], runs[i],
                 rankings.StandingOf(drawn[i], pupil));
    }
    return doc;
}

}  // namespace kagaku
