#pragma once
// What the teacher's "よく間違える問題" view shows and prints, as texts ready to set: one block
// per level with a row per problem. Question, counts and captions are plain text; the answer
// and the wrong answer are answer notation, to be typeset as the drill shows answers
// (drill/formula_layout.h; on the screen a FormulaView). The printed form is one page a
// level, described like the detail report's pages (fractions of the page) plus the cells
// where formulas go.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "board/detail_report.h"
#include "mistakes/mistake_ranking.h"
#include "records/aggregates.h"

namespace kagaku {

inline constexpr const char* kMistakeRankingTitle = "よく間違える問題";
inline constexpr const char* kNoMistakesText = "この期間に間違えた問題はありません";
inline constexpr std::array<const char*, 7> kMistakeColumnCaptions = {
    "順位", "問題", "答え", "人数", "回数", "多い間違い", ""};
// A printed page holds this many rows; the rest of a level is named in a line at the foot.
inline constexpr int kMistakeRowsPerPage = 25;

struct MistakeRowView {
    std::string rank;         // "1"
    std::string question;     // plain text
    std::string answer;       // answer notation, typeset
    std::string pupils;       // "3人"
    std::string times;        // "5回"
    std::string wrongAnswer;  // answer notation, typeset; "" when none was typed
    std::string wrongCount;   // "2回", "" when none was typed
    friend bool operator==(const MistakeRowView&, const MistakeRowView&) = default;
};

struct MistakeLevelView {
    int level = 0;
    std::string heading;  // "レベル2　元素記号ドリル"
    std::vector<MistakeRowView> rows;
    std::string emptyText;  // kNoMistakesText when there are no rows, else ""
};

struct MistakeRankingView {
    std::string title = kMistakeRankingTitle;
    // Whose mistakes over which days: "全学年　30日間（2024/05/12～2024/06/10）", or the pupil's
    // name in place of the grade.
    std::string scope;
    std::vector<MistakeLevelView> levels;
    // Logs that could not be read or held damaged lines, one message a line ("" when none).
    std::string problems;
};

// "7日間", "30日間", "365日間".
std::string MistakeWindowCaption(int days);

// pupilName: the pupil's roster name for a one-pupil query (ignored otherwise).
MistakeRankingView MistakeRankingViewOf(const MistakeRanking& ranking, const MistakeQuery& query,
                                        const std::array<std::string, kLevelSlots>& levelNames,
                                        std::string_view pupilName, const CivilDate& today);

// Where a formula goes on a printed page: a cell in fractions of the page's width and height;
// the painter lays out the notation (LayoutFormula) to fit the cell's height and starts it at
// the cell's left edge.
struct FormulaCell {
    double X = 0, Y = 0, Width = 0, Height = 0;
    std::string Notation;
    friend bool operator==(const FormulaCell&, const FormulaCell&) = default;
};

struct MistakeRankingPage {
    ReportPage Page;  // lines and texts, painted as the detail report's pages are
    std::vector<FormulaCell> Formulas;
};

// One page a level: title, scope and the level's heading at the top, the column captions, up
// to kMistakeRowsPerPage rows, and "ほかにn問あります" at the foot when the level has more.
std::vector<MistakeRankingPage> MistakeRankingPages(const MistakeRankingView& view);

}  // namespace kagaku
