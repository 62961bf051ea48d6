#pragma once
// The detail view's report: for one pupil and the chosen levels, one block per level with a
// chart of the pupil's runs, the pupil's personal-best curve and a column of figures that
// compares the pupil with the whole school. A report is described as pages of lines, points and
// texts whose positions are fractions of the target's width and height, so the screen and the
// printed page draw the same thing; a screen or page holds three blocks, at 0.05, 0.35 and 0.65
// of its height.
//
// Data flow: the record file is read once per draw (its last 20000 records, as the run lists
// read them), each level is ranked once per draw (DetailRankings), and BuildDetailReport turns
// the records, the roster names and the standings into pages; the screens only paint them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/rankings.h"
#include "board/run_lists.h"
#include "roster/roster_tables.h"

namespace kagaku {

// ---- the page description ----

// Colours as 0x00BBGGRR: a run faster than every earlier one is red, any other run blue.
inline constexpr std::uint32_t kBestRunColour = 0x0000FF;
inline constexpr std::uint32_t kOtherRunColour = 0xFF0000;

// Widths are in screen pixels (1/96 inch); a printed page scales them to its resolution.
struct ReportLine {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int Width = 1;
};
struct ReportPoint {
    double X = 0, Y = 0;
    std::uint32_t Colour = 0;
    int Size = 5;
};
enum class TextAnchor {
    TopLeft,     // (X, Y) is the top left corner of the text
    MiddleLeft,  // the text's left end, halfway up
    TopCentre,   // the middle of the text's top edge
    MiddleRight, // the text's right end, halfway up
};
struct ReportText {
    double X = 0, Y = 0;
    double FontScale = 1;  // times the base font size
    std::string Text;
    TextAnchor Anchor = TextAnchor::TopLeft;
    // When above 0: the text is drawn smaller where it would be wider than this share of the
    // width (a long level title stays clear of the figures column).
    double MaxWidth = 0;
};
// Painted in this order: lines, then points, then texts.
struct ReportPage {
    std::vector<ReportLine> Lines;
    std::vector<ReportPoint> Points;
    std::vector<ReportText> Texts;
};
struct ReportDocument {
    double BaseFontPoints = 6;
    // On the screen each page replaces the one before, so the last page stays shown; on paper
    // each is a page of the pupil's print job.
    std::vector<ReportPage> Pages;
};

enum class ReportTarget { Screen, Paper };

// How large the texts come out on the target as the painter draws them: the base font's height
// as a share of the target's height, and the target's width over its height. The chart's
// labels are placed with these so that none lies over a line or another label.
struct ReportMetrics {
    double BaseFontShare = 0.015;
    double Aspect = 4.0 / 3.0;
};

// The chart's labels (axis, times and dates) are this many times the base font size.
inline constexpr double kChartLabelScale = 1.25;

// A rectangle in fractions of the target's width (Left, Right) and height (Top, Bottom).
struct ReportBox {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// The room a text takes on the target, estimated from its characters in the fixed-pitch font
// (a full-width character one font height wide, any other half), with a little to spare.
ReportBox EstimatedTextBox(const ReportText& text, const ReportMetrics& metrics);
bool BoxesOverlap(const ReportBox& a, const ReportBox& b);
// The line passes through the box (its width left aside).
bool LineCrossesBox(const ReportLine& line, const ReportBox& box);

// ---- the pupil list of the detail view ----

// "中２ /  あいう/12": the full-width grade label, the trimmed name and the number.
std::string DetailPupilLine(std::string_view gradeLabel, std::string_view name, int pupil);
// The pupil number after the last "/" of a line; nothing when it is not a pupil number.
std::optional<int> DetailPupilOf(std::string_view line);

// Reads the roster file afresh, in file order: every record's name, birth year and full-width
// grade label (grades 0 to 10; other grades leave the label as it was) go into the tables, and
// each pupil whose status is 0 gives one line. Throws RosterFileError (tables untouched) when
// the file is missing or damaged.
std::vector<std::string> ReadDetailPupilList(const std::filesystem::path& rosterFile,
                                             int schoolYear, RosterTables& tables);

// ---- standings ----

// A pupil's standing on one level, taken from the level's rankings: the rank texts are the
// first three characters of the pupil's lines ("  1", "---" without a time, "" when the pupil
// is not listed); the points are the last five characters of the points line; the school's
// points are summed over the listed pupils with points above 0.
struct LevelStanding {
    std::string TimeRank;
    std::string PointsRank;
    long long OwnPoints = 0;
    long long PointsSum = 0;
    long long PointsCount = 0;
};

// Ranks each level once, on first use, by best time and by points (cumulative points for
// pointsRankingKind 1 or unset, today's points for 2), under the grade filter; then answers for
// any pupil. The slots are sized by the number of levels.
class DetailRankings {
public:
    DetailRankings(const BoardData& state, std::string gradeFilter, int pointsRankingKind);
    LevelStanding StandingOf(int level, int pupil);
    // How many levels have been ranked (each once).
    int RankedLevels() const { return rankedLevels_; }

private:
    struct Level {
        bool Ranked = false;
        // By pupil number: the rank text's source (0 when not listed).
        std::vector<std::int32_t> TimeRank;
        std::vector<std::uint8_t> NoTime;
        std::vector<std::int32_t> PointsRank;
        long long PointsSum = 0;
        long long PointsCount = 0;
    };
    void Rank(int level, Level& slot);

    BoardData state_;
    std::string gradeFilter_;
    RankingKind pointsKind_;
    std::vector<Level> levels_;
    int rankedLevels_ = 0;
};

// ---- the report ----

struct DetailReportInputs {
    BoardData State;
    std::string GradeFilter;  // the board's grade box
    ReportTarget Target = ReportTarget::Screen;
    double Now = 0;  // the present date and time
};

// Runs are plotted against a scale of whole tens of seconds above the slowest run below 1800
// seconds, at most 1000 seconds.
int ReportTimeScale(int slowestSeconds);

// The report of the pupil on the chosen levels (ascending level numbers; levels beyond
// LevelCount end the report). records are the last records of the file, in file order.
// The chart's labels are placed for the text measures of the target.
ReportDocument BuildDetailReport(const DetailReportInputs& in, std::span<const RunRecord> records,
                                 int pupil, std::span<const int> levels, DetailRankings& rankings,
                                 const ReportMetrics& metrics = {});

// The figure formats of the report: digits only, rounded, nothing at all for 0; a rank text
// that is not a number passes unchanged.
std::string FigureText(double value);
std::string RankFigureText(std::string_view rankText);

// The file a pupil's report is saved to: number, name and date, e.g. "12_あいう_2010-06-09.pdf";
// characters a file name cannot hold become "_".
std::string ReportFileName(int pupil, std::string_view rosterName, double now);

}  // namespace kagaku
