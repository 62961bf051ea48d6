#include "board/detail_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "board/board_fixture.h"
#include "common/ole_date.h"
#include "roster/roster_file.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::AddPupil;
using testing::CatalogueState;

// Functions, not constants: the date conversions have tables of their own to set up first.
double Now() {
    return ToOleDateTime({2010, 6, 9}, {15, 0, 0});
}
double Today() {
    return ToOleDate({2010, 6, 9});
}

RunRecord RecordOf(int pupil, int level, int seconds, double date = Today()) {
    return RunRecord{date, 0.5, pupil, level, seconds};
}

struct Report {
    std::unique_ptr<StateParts> state = CatalogueState();
    std::vector<RunRecord> records;
    std::string filter = "全学年";
    ReportTarget target = ReportTarget::Screen;

    Report() {
        state->setup.ProgramName = "化学式";
        AddPupil(*state, 12, "あいう", 8);
        AddPupil(*state, 13, "かき", 8);
    }
    ReportDocument Build(int pupil, std::vector<int> levels) {
        DetailRankings rankings(state->Board(), filter, 1);
        return BuildDetailReport({state->Board(), filter, target, Now()}, records, pupil, levels, rankings);
    }
};

// The figures column's lines of the page, top to bottom.
std::vector<std::string> Figures(const ReportPage& page) {
    std::vector<const ReportText*> column;
    for (const ReportText& t : page.Texts)
        if (t.X > 0.5)
            column.push_back(&t);
    std::stable_sort(column.begin(), column.end(),
                     [](const ReportText* a, const ReportText* b) { return a->Y < b->Y; });
    std::vector<std::string> out;
    for (const ReportText* t : column)
        out.push_back(t->Text);
    return out;
}

std::vector<std::uint32_t> Colours(const ReportPage& page) {
    std::vector<std::uint32_t> out;
    for (const ReportPoint& p : page.Points)
        out.push_back(p.Colour);
    return out;
}

std::size_t CurveSegments(const ReportPage& page) {
    return static_cast<std::size_t>(std::count_if(
        page.Lines.begin(), page.Lines.end(), [](const ReportLine& l) { return l.Width == 3; }));
}

// The time scale: whole tens above the slowest run, at most 1000 seconds. Catches a scale
// below the slowest run and a scale beyond 1000.
TEST(DetailReport, TimeScale) {
    const struct {
        int slowest;
        int scale;
    } cases[] = {{47, 50}, {50, 60}, {0, 10}, {989, 990}, {990, 1000}, {1799, 1000}};
    for (const auto& c : cases)
        EXPECT_EQ(ReportTimeScale(c.slowest), c.scale) << c.slowest;
}

// Runs of 60, 55, 58 and 50 seconds: red, red, blue, red, and a best curve through the three
// red points; the figures of a pupil whose school has runs of 40 and 50 seconds; a filter that
// leaves the pupil out empties the chart and keeps the figures. Catches a best judged against
// the run before rather than all earlier runs, figures taken from the filtered runs, and school
// figures that leave out other pupils.
TEST(DetailReport, ChartAndFigures) {
    Report r;
    for (int s : {60, 55, 58, 50})
        r.records.push_back(RecordOf(12, 2, s));
    r.state->standing.BestTime.at(2, 12) = 50;
    ReportDocument doc = r.Build(12, {2});
    ASSERT_EQ(doc.Pages.size(), 1u);
    const ReportPage& page = doc.Pages[0];
    EXPECT_EQ(Colours(page), (std::vector<std::uint32_t>{kBestRunColour, kBestRunColour,
                                                         kOtherRunColour, kBestRunColour}));
    EXPECT_EQ(CurveSegments(page), 2u);
    // Scale 70 s: the plot spans 0.1 .. 0.8 of the block (a third of the page) below its top.
    const double top = 0.05;
    EXPECT_NEAR(page.Points[0].Y, top + (0.8 - 0.7 * 60 / 70.0) / 3, 1e-9);
    EXPECT_NEAR(page.Points[3].X, 0.45, 1e-9);
    EXPECT_EQ(Figures(page), (std::vector<std::string>{
                                 "回数　　　　　　　  4回",
                                 "タイム  　　 　    本人 / 塾全体",
                                 "　　順位　　　　    1位",
                                 "　　最高　　　　   50秒 /   50秒",
                                 "　　平均　　　　   55秒 /   56秒",
                                 "ポイント  　　　",
                                 "　　順位　　　　    1位",
                                 "　　獲得ポイント     点",
                             }));

    Report school;
    school.records = {RecordOf(12, 2, 40), RecordOf(13, 2, 50)};
    school.state->standing.TotalPoints.at(2, 12) = 30;
    school.state->standing.TotalPoints.at(2, 13) = 61;
    school.state->standing.BestTime.at(2, 12) = 40;
    school.state->standing.BestTime.at(2, 13) = 50;
    const auto figures = Figures(school.Build(12, {2}).Pages[0]);
    EXPECT_EQ(figures[3], "　　最高　　　　   40秒 /   40秒");
    EXPECT_EQ(figures[4], "　　平均　　　　   40秒 /   45秒");
    EXPECT_EQ(figures[6], "　　順位　　　　    2位");
    EXPECT_EQ(figures[7], "　　獲得ポイント   30点");
    EXPECT_EQ(figures[8], "　　　　　　　　　　　　/   46点");
    EXPECT_EQ(figures[9], "　　　　　　　　　　　　 (塾平均)");

    school.filter = "中１";  // the pupil is in 中２
    const ReportPage filtered = school.Build(12, {2}).Pages[0];
    EXPECT_TRUE(filtered.Points.empty());
    EXPECT_EQ(CurveSegments(filtered), 0u);
    EXPECT_EQ(Figures(filtered), (std::vector<std::string>{
                                     "回数　　　　　　　  1回", "タイム  　　 　    本人 / 塾全体",
                                     "　　順位　　　　     位", "　　最高　　　　       /   40秒",
                                     "　　平均　　　　   40秒 /   45秒", "ポイント  　　　",
                                     "　　順位　　　　     位", "　　獲得ポイント     点"}));
}

// A pupil without runs: blank count, no average line, an empty own best, no time rank figure
// ("---" passes unchanged); runs of 1800 s or more, runs older than ten years and runs beyond
// the last 20000 records are not counted.
TEST(DetailReport, RunsLeftOut) {
    Report r;
    r.records.push_back(RecordOf(12, 2, 20));  // falls out of the last 20000 records
    for (int i = 0; i < 3; ++i)
        r.records.push_back(RecordOf(13, 3, 30));
    r.records.push_back(RecordOf(12, 2, 40, Today() - 3651));
    r.records.push_back(RecordOf(12, 2, 1800));
    r.records.push_back(RecordOf(12, 2, 99999));
    for (int i = 0; i < 19997; ++i)
        r.records.push_back(RecordOf(13, 3, 30));
    const auto figures = Figures(r.Build(12, {2}).Pages[0]);
    EXPECT_EQ(figures[0], "回数　　　　　　　   回");
    EXPECT_EQ(figures[2], "　　順位　　　　  ---位");
    EXPECT_EQ(figures[3], "　　最高　　　　       /99999秒");
    EXPECT_EQ(figures[4], "ポイント  　　　");
}

// Slow runs and long histories. Catches points above the plot (the scale stops at 1000 s while
// runs up to 1799 s are charted) and a cap on the personal bests.
TEST(DetailReport, SlowRunsStayInsideThePlotAndEveryBestIsKept) {
    Report r;
    r.records = {RecordOf(12, 2, 1500), RecordOf(12, 2, 1200), RecordOf(12, 2, 300)};
    const ReportPage page = r.Build(12, {2}).Pages[0];
    const double plotTop = 0.05 + 0.1 / 3;
    EXPECT_NEAR(page.Points[0].Y, plotTop, 1e-9);
    EXPECT_NEAR(page.Points[1].Y, plotTop, 1e-9);
    EXPECT_GT(page.Points[2].Y, plotTop);
    EXPECT_EQ(Colours(page), (std::vector<std::uint32_t>(3, kBestRunColour)));

    Report many;
    for (int s = 1799; s >= 1; --s)
        many.records.push_back(RecordOf(12, 2, s));
    const ReportPage all = many.Build(12, {2}).Pages[0];
    EXPECT_EQ(all.Points.size(), 1799u);
    EXPECT_EQ(CurveSegments(all), 1798u);
}

// Labels of the personal bests: first, last, and every third between up to the third from
// last; a full date first and whenever the year changes. Catches labels on every point and
// dates that never show the year again.
TEST(DetailReport, BestLabels) {
    Report r;
    const double dates[] = {ToOleDate({2009, 12, 30}), ToOleDate({2009, 12, 31}),
                            ToOleDate({2010, 1, 2}),   ToOleDate({2010, 1, 3}),
                            ToOleDate({2010, 1, 4}),   ToOleDate({2010, 1, 5}),
                            ToOleDate({2010, 1, 6})};
    int s = 90;
    for (double d : dates)
        r.records.push_back(RecordOf(12, 2, s--, d));
    const ReportPage page = r.Build(12, {2}).Pages[0];
    std::vector<std::string> labels;
    for (const ReportText& t : page.Texts)
        if (t.X > 0.1 && t.X < 0.5 && t.FontScale < 2)  // right of the axis and its labels
            labels.push_back(t.Text);
    EXPECT_EQ(labels, (std::vector<std::string>{"90秒", "2009/12/30", "88秒", "2010/01/02", "84秒",
                                                "01/06"}));
}

// Five levels: three blocks, then a fresh screen or page with two; the name heads each; the
// printed figures are closer together and the title larger. Catches a fourth block drawn below
// the page and levels beyond the catalogue.
TEST(DetailReport, PagesOfThreeBlocks) {
    for (ReportTarget target : {ReportTarget::Screen, ReportTarget::Paper}) {
        Report r;
        r.target = target;
        const ReportDocument doc = r.Build(12, {2, 4, 6, 8, 10, 13});
        ASSERT_EQ(doc.Pages.size(), 2u);
        for (std::size_t p = 0; p < 2; ++p) {
            std::vector<double> rules;
            for (const ReportLine& l : doc.Pages[p].Lines)
                if (l.Width == 2 && l.X1 == 0)
                    rules.push_back(l.Y1);
            EXPECT_EQ(rules.size(), p == 0 ? 6u : 4u);
            EXPECT_NEAR(rules[0], 0.05, 1e-9);
            EXPECT_NEAR(rules.back(), (p == 0 ? 0.65 : 0.35) + 0.03, 1e-9);
            EXPECT_EQ(doc.Pages[p].Texts[0].Text, "あいう");
            EXPECT_EQ(doc.Pages[p].Texts[0].FontScale, 3);
        }
        const ReportText& title = doc.Pages[1].Texts[1];
        EXPECT_EQ(title.Text, "化学式 イオン");
        EXPECT_EQ(title.FontScale, target == ReportTarget::Paper ? 3 : 2);
    }
}

// Standings: each level is ranked once per draw, whatever the number of pupils; levels above
// 30 have slots; the pupil's own line is found by number, not by a name another pupil's name
// begins with. Catches a ranking per block and pupil, slots for levels 0..30 only, and the
// name search that finds あい in あいう's line.
TEST(DetailReport, Standings) {
    auto s = CatalogueState();
    s->setup.LevelCount = 35;
    AddPupil(*s, 1, "あいう", 8);
    AddPupil(*s, 2, "あい", 8);
    AddPupil(*s, 3, "えお", 8);
    for (int level : {2, 35}) {
        s->standing.BestTime.at(level, 1) = 30;
        s->standing.BestTime.at(level, 2) = 35;
        s->standing.TotalPoints.at(level, 1) = 50;
        s->standing.TotalPoints.at(level, 2) = 40;
    }
    DetailRankings rankings(s->Board(), "全学年", 0);
    const LevelStanding a = rankings.StandingOf(35, 2);
    EXPECT_EQ(a.TimeRank, "  2");
    EXPECT_EQ(a.PointsRank, "  2");
    EXPECT_EQ(a.OwnPoints, 40);
    EXPECT_EQ(a.PointsSum, 90);
    EXPECT_EQ(a.PointsCount, 2);
    const LevelStanding none = rankings.StandingOf(35, 3);
    EXPECT_EQ(none.TimeRank, "---");
    EXPECT_EQ(none.OwnPoints, 0);
    EXPECT_EQ(rankings.StandingOf(35, 4).PointsRank, "");  // not in the roster listing
    EXPECT_EQ(rankings.RankedLevels(), 1);

    const std::vector<RunRecord> records;
    const std::vector<int> levels = {2, 3, 35};
    for (int pupil : {1, 2, 3})
        BuildDetailReport({s->Board(), "全学年", ReportTarget::Paper, Now()}, records, pupil, levels,
                          rankings);
    EXPECT_EQ(rankings.RankedLevels(), 3);
}

// Number formats and file names. Catches "0" shown for nothing, rounding down of averages,
// ranks that lose their dashes, and names that make a path.
TEST(DetailReport, FormatsAndNames) {
    const struct {
        double value;
        const char* text;
    } figures[] = {{0, ""}, {0.4, ""}, {44.5, "45"}, {12, "12"}, {-3, "-3"}, {99999, "99999"}};
    for (const auto& f : figures)
        EXPECT_EQ(FigureText(f.value), f.text) << f.value;
    EXPECT_EQ(RankFigureText("  1"), "1");
    EXPECT_EQ(RankFigureText("---"), "---");
    EXPECT_EQ(RankFigureText(""), "");
    EXPECT_EQ(ReportFileName(12, "あいう              ", Now()), "12_あいう_2010-06-09.pdf");
    EXPECT_EQ(ReportFileName(7, "a/b:c", Now()), "7_a_b_c_2010-06-09.pdf");
    EXPECT_EQ(ReportFileName(7, "..", Now()), "7___2010-06-09.pdf");
}

// The pupil list: pupil 12 あいう in 中２ reads 中２, a blank, a slash, two blanks, あいう, a
// slash and 12; only status 0 is listed, every record updates the tables; a damaged roster
// leaves the tables as they were. Catches status 2 listed, a number cut from the wrong slash.
TEST(DetailReport, PupilList) {
    EXPECT_EQ(DetailPupilLine("中２", "あいう    ", 12), "中２ /  あいう/12");
    EXPECT_EQ(DetailPupilOf("中２ /  あ/い/12"), 12);
    EXPECT_EQ(DetailPupilOf("中２ /  あいう/"), std::nullopt);
    EXPECT_EQ(DetailPupilOf("中２ /  あいう/99999"), std::nullopt);

    testing::TempDir dir;
    const auto roster =
        dir.WriteCp932("新名簿.txt",
                       "12,1995,0,0,\"あいう\",0,\"\",\"\"\n13,1994,0,0,\"かき\",2,\"\",\"\"\n"
                       "14,1990,0,0,\" さ \",0,\"\",\"\"\n");
    RosterTables tables;
    tables.RosterGradeLabel[14] = "old";
    const auto lines = ReadDetailPupilList(roster, 2009, tables);
    EXPECT_EQ(lines, (std::vector<std::string>{"中２ /  あいう/12", "old /  さ/14"}));
    EXPECT_EQ(tables.RosterGradeLabel[13], "中３");
    EXPECT_EQ(tables.RosterBirthYear[13], 1994);

    const auto damaged = dir.WriteCp932("bad.txt", "15,1995,0,0,\"たち\",0,\"\",\"\"\n16,x");
    EXPECT_THROW(ReadDetailPupilList(damaged, 2009, tables), RosterFileError);
    EXPECT_EQ(tables.RosterName[15], "");
    EXPECT_THROW(ReadDetailPupilList(dir.path() / "none.txt", 2009, tables), RosterFileError);
}

}  // namespace
}  // namespace kagaku
