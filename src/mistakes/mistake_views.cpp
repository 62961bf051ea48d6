#include "mistakes/mistake_views.h"

#include "common/text_ops.h"

namespace kagaku {

namespace {

std::string DateText(long long serial) {
    return FormatSlashDate(DateFromSerial(serial));
}

// The columns of a printed page: left edge and width, as shares of the page's width.
struct Column {
    double x;
    double width;
};
constexpr std::array<Column, 7> kColumns = {{{0.04, 0.05},
                                             {0.09, 0.31},
                                             {0.40, 0.17},
                                             {0.57, 0.07},
                                             {0.64, 0.07},
                                             {0.71, 0.17},
                                             {0.88, 0.08}}};
constexpr double kCaptionsTop = 0.17;
constexpr double kRowsTop = 0.20;
constexpr double kRowHeight = 0.028;
constexpr double kFootTop = 0.93;

}  // namespace

std::string MistakeWindowCaption(int days) {
    return std::to_string(days) + "日間";
}

MistakeRankingView MistakeRankingViewOf(const MistakeRanking& ranking, const MistakeQuery& query,
                                        const std::array<std::string, kLevelSlots>& levelNames,
                                        std::string_view pupilName, const CivilDate& today) {
    MistakeRankingView view;
    const long long last = DaySerial(today);
    const std::string who =
        query.pupil ? text::Trim(pupilName) + "（" + std::to_string(*query.pupil) + "番）"
                    : query.gradeFilter;
    view.scope = who + "　" + MistakeWindowCaption(query.days) + "（" +
                 DateText(last - (query.days - 1)) + "～" + DateText(last) + "）";
    for (const LevelMistakes& level : ranking.levels) {
        MistakeLevelView lv;
        lv.level = level.level;
        lv.heading = "レベル" + std::to_string(level.level);
        if (level.level >= 0 && level.level < kLevelSlots) {
            const std::string name = text::Trim(levelNames[static_cast<std::size_t>(level.level)]);
            if (!name.empty())
                lv.heading += "　" + name;
        }
        for (const RankedProblem& p : level.problems) {
            MistakeRowView row;
            row.rank = std::to_string(p.rank);
            row.question = p.question;
            row.answer = p.answer;
            row.pupils = std::to_string(p.pupils) + "人";
            row.times = std::to_string(p.times) + "回";
            row.wrongAnswer = p.commonWrongAnswer;
            if (p.commonWrongCount > 0)
                row.wrongCount = std::to_string(p.commonWrongCount) + "回";
            lv.rows.push_back(std::move(row));
        }
        if (lv.rows.empty())
            lv.emptyText = kNoMistakesText;
        view.levels.push_back(std::move(lv));
    }
    for (const std::string& problem : ranking.problems)
        view.problems += (view.problems.empty() ? "" : "\n") + problem;
    return view;
}

std::vector<MistakeRankingPage> MistakeRankingPages(const MistakeRankingView& view) {
    std::vector<MistakeRankingPage> pages;
    for (const MistakeLevelView& level : view.levels) {
        MistakeRankingPage page;
        auto text = [&](double x, double y, double scale, std::string s, double maxWidth = 0,
                        TextAnchor anchor = TextAnchor::TopLeft) {
            if (!s.empty())
                page.Page.Texts.push_back(ReportText{x, y, scale, std::move(s), anchor, maxWidth});
        };
        text(0.04, 0.03, 3, view.title);
        text(0.04, 0.08, 1.5, view.scope, 0.9);
        text(0.04, 0.12, 2, level.heading, 0.9);
        for (std::size_t c = 0; c < kColumns.size(); ++c)
            text(kColumns[c].x, kCaptionsTop, 1.5, kMistakeColumnCaptions[c]);
        page.Page.Lines.push_back(ReportLine{0.04, kRowsTop - 0.005, 0.96, kRowsTop - 0.005, 2});
        const std::size_t shown =
            std::min(level.rows.size(), static_cast<std::size_t>(kMistakeRowsPerPage));
        for (std::size_t r = 0; r < shown; ++r) {
            const MistakeRowView& row = level.rows[r];
            const double top = kRowsTop + kRowHeight * static_cast<double>(r);
            const double middle = top + kRowHeight / 2;
            const auto cell = [&](std::size_t c, const std::string& notation) {
                if (!notation.empty())
                    page.Formulas.push_back(
                        FormulaCell{kColumns[c].x, top, kColumns[c].width, kRowHeight, notation});
            };
            text(kColumns[0].x, middle, 1.5, row.rank, 0, TextAnchor::MiddleLeft);
            text(kColumns[1].x, middle, 1.5, row.question, kColumns[1].width - 0.01,
                 TextAnchor::MiddleLeft);
            cell(2, row.answer);
            text(kColumns[3].x, middle, 1.5, row.pupils, 0, TextAnchor::MiddleLeft);
            text(kColumns[4].x, middle, 1.5, row.times, 0, TextAnchor::MiddleLeft);
            cell(5, row.wrongAnswer);
            text(kColumns[6].x, middle, 1.5, row.wrongCount, 0, TextAnchor::MiddleLeft);
            page.Page.Lines.push_back(
                ReportLine{0.04, top + kRowHeight, 0.96, top + kRowHeight, 1});
        }
        if (level.rows.size() > shown) {
            text(0.04, kFootTop, 1.5,
                 "ほかに" + std::to_string(level.rows.size() - shown) + "問あります");
        }
        text(0.04, kRowsTop + 0.01, 1.5, level.emptyText);
        pages.push_back(std::move(page));
    }
    return pages;
}

}  // namespace kagaku
