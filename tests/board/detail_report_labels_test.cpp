// The chart's labels on every target: for runs that crowd the chart (many new bests, a slow
// first run at the top of the scale, four-digit times, dates across a new year), no label lies
// over a line (the rules, the axes, the best curve) or another text, and none reaches above its
// block's heading rule; the figures column keeps clear of the rules. The pupil's best of all always keeps its time label.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "board/board_fixture.h"
#include "board/detail_report.h"
#include "common/ole_date.h"

namespace kagaku {
namespace {

using testing::AddPupil;
using testing::CatalogueState;

struct Target {
    const char* name;
    ReportTarget target;
    ReportMetrics metrics;
};
// The drawing area at 1024x768 and 1920x1080, a small window (the font's floor of 8 pixels
// makes the texts larger than their share), and an A4 page.
const Target kTargets[] = {
    {"screen 1024x768", ReportTarget::Screen, {0.015, 805.0 / 633.0}},
    {"screen 1920x1080", ReportTarget::Screen, {0.015, 1690.0 / 930.0}},
    {"small window", ReportTarget::Screen, {8.0 / 380.0, 520.0 / 380.0}},
    {"A4 page", ReportTarget::Paper, {6 * 25.4 / 72 / 277, 190.0 / 277.0}},
};

struct Runs {
    const char* name;
    std::vector<std::int32_t> seconds;  // in the order they ended, one a day
    CivilDate firstDay;
};
std::vector<Runs> Histories() {
    std::vector<Runs> out;
    Runs everyRunABest{"every run a new best", {}, {2010, 4, 1}};
    for (int s = 140; s > 60; s -= 2)
        everyRunABest.seconds.push_back(s);
    out.push_back(everyRunABest);
    out.push_back({"slow first run at the top", {58, 31, 30, 29, 35, 28, 27, 40, 26}, {2010, 5, 1}});
    out.push_back({"four-digit times", {1790, 1500, 1499, 1200, 1100, 1000, 999, 900}, {2010, 5, 20}});
    Runs newYear{"dates across a new year", {}, {2009, 12, 20}};
    for (int s = 95; s > 50; s -= 3)
        newYear.seconds.push_back(s);
    out.push_back(newYear);
    out.push_back({"one run", {45}, {2010, 6, 9}});
    return out;
}

bool CrossesAnyLine(const ReportPage& page, const ReportBox& box) {
    for (const ReportLine& l : page.Lines)
        if (LineCrossesBox(l, box))
            return true;
    return false;
}

TEST(DetailReportLabels, NoLabelLiesOverALineOrAnotherText) {
    for (const Target& target : kTargets) {
        for (const Runs& runs : Histories()) {
            SCOPED_TRACE(std::string(target.name) + ", " + runs.name);
            auto state = CatalogueState();
            state->setup.ProgramName = "化学式";
            AddPupil(*state, 12, "あいう", 8);
            std::vector<RunRecord> records;
            const long long first = DaySerial(runs.firstDay);
            for (std::size_t i = 0; i < runs.seconds.size(); ++i)
                for (int level : {2, 4, 6})
                    records.push_back(RunRecord{static_cast<double>(first + static_cast<long long>(i)),
                                                0.5, 12, level, runs.seconds[i]});
            DetailRankings rankings(state->Board(), "全学年", 1);
            const std::vector<int> levels = {2, 4, 6};
            const ReportDocument doc = BuildDetailReport(
                {state->Board(), "全学年", target.target, ToOleDateTime({2010, 6, 9}, {15, 0, 0})}, records,
                12, levels, rankings, target.metrics);
            ASSERT_EQ(doc.Pages.size(), 1u);
            const ReportPage& page = doc.Pages[0];
            // The rules across the page, two a block: its top and its heading rule.
            std::vector<double> rules;
            for (const ReportLine& l : page.Lines)
                if (l.X1 == 0 && l.X2 == 1)
                    rules.push_back(l.Y1);
            std::sort(rules.begin(), rules.end());
            ASSERT_EQ(rules.size(), 6u);
            int bestLabels = 0;
            const std::string best =
                std::to_string(*std::min_element(runs.seconds.begin(), runs.seconds.end())) + "秒";
            for (std::size_t i = 0; i < page.Texts.size(); ++i) {
                const ReportText& label = page.Texts[i];
                if (label.X > 0.5) {  // the figures column: clear of the rules too
                    EXPECT_FALSE(CrossesAnyLine(page, EstimatedTextBox(label, target.metrics)))
                        << label.Text;
                    continue;
                }
                if (label.FontScale != kChartLabelScale)
                    continue;
                SCOPED_TRACE(label.Text);
                bestLabels += label.Text == best ? 1 : 0;
                const ReportBox box = EstimatedTextBox(label, target.metrics);
                EXPECT_FALSE(CrossesAnyLine(page, box));
                // (The name and the titles lie above the heading rules, checked below.)
                for (std::size_t j = 0; j < page.Texts.size(); ++j) {
                    if (j != i && page.Texts[j].FontScale < 2) {
                        EXPECT_FALSE(
                            BoxesOverlap(box, EstimatedTextBox(page.Texts[j], target.metrics)))
                            << "over " << page.Texts[j].Text;
                    }
                }
                // The nearest rule above the label is a heading rule, not a block's top.
                const auto above = std::lower_bound(rules.begin(), rules.end(), box.Top);
                ASSERT_NE(above, rules.begin());
                EXPECT_EQ((above - rules.begin()) % 2, 0) << "in the heading band";
                EXPECT_GE(box.Left, 0.0);
                EXPECT_LT(box.Right, 0.52);  // clear of the figures column
            }
            EXPECT_GE(bestLabels, 3);  // once per block
        }
    }
}

// The measures the placing relies on. Catches half-width characters counted as full-width
// (labels spread out and dropped) or the other way round (labels drawn over each other), and
// a right-anchored text measured from the wrong end.
TEST(DetailReportLabels, TextBoxesAndCrossings) {
    const ReportMetrics m{0.02, 2.0};
    struct Case {
        ReportText text;
        ReportBox box;
    };
    const Case cases[] = {
        {{0.5, 0.5, 1, "ab", TextAnchor::TopLeft}, {0.5, 0.5, 0.5 + 0.0105, 0.5 + 0.023}},
        {{0.5, 0.5, 1, "秒", TextAnchor::MiddleRight}, {0.5 - 0.0105, 0.4885, 0.5, 0.5115}},
        {{0.5, 0.5, 2, "ﾚﾍﾞﾙ", TextAnchor::TopCentre}, {0.5 - 0.021, 0.5, 0.5 + 0.021, 0.546}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.Text);
        const ReportBox b = EstimatedTextBox(c.text, m);
        EXPECT_NEAR(b.Left, c.box.Left, 1e-9);
        EXPECT_NEAR(b.Top, c.box.Top, 1e-9);
        EXPECT_NEAR(b.Right, c.box.Right, 1e-9);
        EXPECT_NEAR(b.Bottom, c.box.Bottom, 1e-9);
    }
    const ReportBox box{0.4, 0.4, 0.6, 0.6};
    EXPECT_TRUE(LineCrossesBox({0, 0.5, 1, 0.5, 1}, box));     // straight through
    EXPECT_TRUE(LineCrossesBox({0.5, 0.5, 0.55, 0.55, 1}, box));  // inside
    EXPECT_FALSE(LineCrossesBox({0, 0.3, 1, 0.3, 1}, box));    // above
    EXPECT_FALSE(LineCrossesBox({0, 0, 0.39, 1, 1}, box));     // passes to the left
    EXPECT_FALSE(LineCrossesBox({0.1, 0.1, 0.3, 0.3, 1}, box));  // stops short
    EXPECT_TRUE(BoxesOverlap(box, {0.59, 0.59, 0.7, 0.7}));
    EXPECT_FALSE(BoxesOverlap(box, {0.6, 0.4, 0.7, 0.6}));  // touching is not overlapping
}

}  // namespace
}  // namespace kagaku
