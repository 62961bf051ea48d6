#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "common/files.h"
#include "mistakes/mistake_log.h"
#include "mistakes/mistake_ranking.h"
#include "mistakes/mistake_views.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::TempDir;

constexpr CivilDate kToday{2024, 6, 10};

MistakeEntry Miss(int level, std::string question, std::string answer, std::string typed,
                  CivilDate date = kToday, TimeOfDay time = {10, 0, 0}) {
    return MistakeEntry{date,
                        time,
                        level,
                        (level + 1) / 2,
                        std::move(question),
                        std::move(answer),
                        std::move(typed)};
}

CivilDate DaysAgo(int days) {
    return DateFromSerial(DaySerial(kToday) - days);
}

// Pupils' logs in a temporary data folder, written through the program's own append.
class MistakeLogs {
public:
    void Write(int pupil, const std::vector<MistakeEntry>& entries) {
        for (const MistakeEntry& e : entries)
            AppendMistake(MistakeLogPath(Folder(), pupil), e);
    }
    std::string Folder() const { return PathText(dir_.path()) + "/"; }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
};

// "rank question pupils times wrong×count" per problem of one level.
std::vector<std::string> Lines(const LevelMistakes& level) {
    std::vector<std::string> lines;
    for (const RankedProblem& p : level.problems)
        lines.push_back(std::to_string(p.rank) + " " + p.question + " " + std::to_string(p.pupils) +
                        "人 " + std::to_string(p.times) + "回 " + p.commonWrongAnswer + "×" +
                        std::to_string(p.commonWrongCount));
    return lines;
}

RosterTables RosterWithBirthYears(const std::map<int, int>& birthYears) {
    RosterTables roster;
    roster.SchoolYear = 2024;
    for (const auto& [pupil, year] : birthYears)
        roster.RosterBirthYear[static_cast<std::size_t>(pupil)] = static_cast<std::int16_t>(year);
    return roster;
}

// Pupils count before times; equal counts share a rank (1, 2, 2, 4) and stand in text order;
// one pupil missing a problem three times counts once among the pupils.
TEST(MistakeRanking, RanksByPupilsThenTimesWithTiesSharingARank) {
    MistakeLogs logs;
    logs.Write(1, {Miss(2, "硫酸", "H2SO4", "HSO4"), Miss(2, "硫酸", "H2SO4", "HSO4"),
                   Miss(2, "硫酸", "H2SO4", "H2SO3"), Miss(2, "水", "H2O", "HO"),
                   Miss(2, "塩酸", "HCl", "HCL")});
    logs.Write(2, {Miss(2, "硫酸", "H2SO4", "HSO4"), Miss(2, "硫酸", "H2SO4", "HSO4"),
                   Miss(2, "水", "H2O", "H2O2"), Miss(2, "塩酸", "HCl", "HCL"),
                   Miss(2, "硝酸", "HNO3", "")});
    logs.Write(3, {Miss(2, "硝酸", "HNO3", "HNO2"), Miss(2, "硝酸", "HNO3", "HNO2"),
                   Miss(2, "硝酸", "HNO3", "HNO2")});
    const MistakeRanking ranking =
        BuildMistakeRanking(logs.Folder(), RosterTables{}, MistakeQuery{}, kToday);
    EXPECT_EQ(ranking.logsRead, 3);
    EXPECT_TRUE(ranking.problems.empty());
    ASSERT_EQ(ranking.levels.size(), 1u);
    EXPECT_EQ(Lines(ranking.levels[0]), (std::vector<std::string>{
                                            "1 硫酸 2人 5回 HSO4×4",
                                            "2 硝酸 2人 4回 HNO2×3",
                                            "3 塩酸 2人 2回 HCL×2",
                                            "3 水 2人 2回 H2O2×1",
                                        }));
}

// Among wrong answers typed equally often, the most recent one is shown; answers revealed in
// practice (nothing typed) are never the common wrong answer.
TEST(MistakeRanking, CommonWrongAnswerIsTheMostTypedThenTheMostRecent) {
    MistakeLogs logs;
    logs.Write(1, {Miss(2, "水", "H2O", "HO", kToday, {9, 0, 0}),
                   Miss(2, "水", "H2O", "OH2", kToday, {9, 30, 0}), Miss(2, "水", "H2O", ""),
                   Miss(2, "水", "H2O", ""), Miss(2, "水", "H2O", "")});
    logs.Write(2, {Miss(2, "水", "H2O", "HO", DaysAgo(1), {23, 0, 0})});
    logs.Write(3, {Miss(2, "水", "H2O", "OH2", kToday, {8, 0, 0})});
    const MistakeRanking ranking =
        BuildMistakeRanking(logs.Folder(), RosterTables{}, MistakeQuery{}, kToday);
    ASSERT_EQ(ranking.levels.size(), 1u);
    EXPECT_EQ(Lines(ranking.levels[0]), std::vector<std::string>{"1 水 3人 7回 OH2×2"});

    MistakeLogs revealedOnly;
    revealedOnly.Write(1, {Miss(1, "水", "H2O", "")});
    const MistakeRanking practice =
        BuildMistakeRanking(revealedOnly.Folder(), RosterTables{}, MistakeQuery{}, kToday);
    EXPECT_EQ(Lines(practice.levels.at(0)), std::vector<std::string>{"1 水 1人 1回 ×0"});
}

// The window is counted in calendar days ending today, not in hours back from now: a line of
// yesterday 23:59:59 lies outside a one-day window even seconds after midnight.
TEST(MistakeRanking, DayWindowsEndAtMidnightOfTheFirstDay) {
    struct Case {
        const char* catches;
        int days;
        CivilDate date;
        TimeOfDay time;
        bool counted;
    };
    const Case cases[] = {
        {"today's first second is in a one-day window", 1, kToday, {0, 0, 0}, true},
        {"yesterday's last second is not in a one-day window", 1, DaysAgo(1), {23, 59, 59}, false},
        {"the first day of a 7-day window counts from its midnight",
         7,
         DaysAgo(6),
         {0, 0, 0},
         true},
        {"the day before a 7-day window is out, even at 23:59:59",
         7,
         DaysAgo(7),
         {23, 59, 59},
         false},
        {"the first day of a 30-day window", 30, DaysAgo(29), {12, 0, 0}, true},
        {"31 days back is out of a 30-day window", 30, DaysAgo(30), {12, 0, 0}, false},
        {"the first day of a 365-day window across a year's end",
         365,
         DaysAgo(364),
         {1, 0, 0},
         true},
        {"366 days back is out of a 365-day window", 365, DaysAgo(365), {1, 0, 0}, false},
        {"a line dated after today (a PC's clock ahead) counts",
         7,
         DateFromSerial(DaySerial(kToday) + 1),
         {0, 0, 1},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        EXPECT_EQ(InMistakeWindow(c.date, kToday, c.days), c.counted);
        MistakeTally tally(kToday, c.days, std::nullopt);
        tally.Add(1, {Miss(2, "水", "H2O", "HO", c.date, c.time)});
        EXPECT_EQ(tally.Rank().size(), c.counted ? 1u : 0u);
    }
}

// The board's grade filter decides whose logs are read, with the grades the board gives: in
// school year 2024 birth year 2010 is 中２, 2013 小５; a pupil not in the roster only under 全学年.
TEST(MistakeRanking, GradeFilterReadsOnlyThePupilsOfThatGrade) {
    MistakeLogs logs;
    logs.Write(1, {Miss(2, "中２の問題", "A", "a")});
    logs.Write(2, {Miss(2, "中２の問題", "A", "a"), Miss(2, "中２だけ", "B", "b")});
    logs.Write(3, {Miss(2, "小５の問題", "C", "c")});
    logs.Write(4, {Miss(2, "名簿にない", "D", "d")});
    const RosterTables roster = RosterWithBirthYears({{1, 2010}, {2, 2010}, {3, 2013}});
    struct Case {
        const char* grade;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"中２", {"1 中２の問題 2人 2回 a×2", "2 中２だけ 1人 1回 b×1"}},
        {"中学生全体", {"1 中２の問題 2人 2回 a×2", "2 中２だけ 1人 1回 b×1"}},
        {"小５", {"1 小５の問題 1人 1回 c×1"}},
        {"中１", {}},
        {"全学年",
         {"1 中２の問題 2人 2回 a×2", "2 中２だけ 1人 1回 b×1", "2 名簿にない 1人 1回 d×1",
          "2 小５の問題 1人 1回 c×1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grade);
        MistakeQuery query;
        query.gradeFilter = c.grade;
        const MistakeRanking ranking = BuildMistakeRanking(logs.Folder(), roster, query, kToday);
        std::vector<std::string> lines;
        for (const LevelMistakes& level : ranking.levels)
            for (const std::string& line : Lines(level))
                lines.push_back(line);
        EXPECT_EQ(lines, c.lines);
    }
}

// A level query keeps that level (even when empty) and nothing else; a pupil query reads that
// pupil's log alone, whatever the grade box says.
TEST(MistakeRanking, LevelAndPupilQueriesNarrowTheRanking) {
    MistakeLogs logs;
    logs.Write(1, {Miss(2, "水", "H2O", "HO"), Miss(4, "硫酸イオン", "SO4-2", "SO4-")});
    logs.Write(2, {Miss(2, "水", "H2O", "H2O2"), Miss(8, "銅", "Cu", "CU")});

    MistakeQuery level4;
    level4.level = 4;
    MistakeRanking ranking = BuildMistakeRanking(logs.Folder(), RosterTables{}, level4, kToday);
    ASSERT_EQ(ranking.levels.size(), 1u);
    EXPECT_EQ(ranking.levels[0].level, 4);
    EXPECT_EQ(Lines(ranking.levels[0]), std::vector<std::string>{"1 硫酸イオン 1人 1回 SO4-×1"});

    MistakeQuery level6;
    level6.level = 6;
    ranking = BuildMistakeRanking(logs.Folder(), RosterTables{}, level6, kToday);
    ASSERT_EQ(ranking.levels.size(), 1u);
    EXPECT_TRUE(ranking.levels[0].problems.empty());

    MistakeQuery pupil2;
    pupil2.pupil = 2;
    pupil2.gradeFilter = "中１";
    ranking = BuildMistakeRanking(logs.Folder(), RosterTables{}, pupil2, kToday);
    EXPECT_EQ(ranking.logsRead, 1);
    ASSERT_EQ(ranking.levels.size(), 2u);
    EXPECT_EQ(Lines(ranking.levels[0]), std::vector<std::string>{"1 水 1人 1回 H2O2×1"});
    EXPECT_EQ(ranking.levels[1].level, 8);
}

// A log that cannot be read, or damaged lines, are named; the other logs and lines still count.
TEST(MistakeRanking, AnUnreadableLogIsNamedAndTheRestStillCounts) {
    MistakeLogs logs;
    logs.Write(1, {Miss(2, "水", "H2O", "HO")});
    logs.dir().WriteBytes("間違い2.csv", "damaged\r\n");
    logs.Write(2, {Miss(2, "水", "H2O", "HO")});
    std::filesystem::create_directory(MistakeLogPath(logs.Folder(), 3));
    const MistakeRanking ranking =
        BuildMistakeRanking(logs.Folder(), RosterTables{}, MistakeQuery{}, kToday);
    EXPECT_EQ(ranking.logsRead, 2);
    ASSERT_EQ(ranking.problems.size(), 2u);
    EXPECT_NE(ranking.problems[0].find("間違い2.csv"), std::string::npos);
    EXPECT_NE(ranking.problems[1].find("間違い3.csv"), std::string::npos);
    EXPECT_EQ(Lines(ranking.levels.at(0)), std::vector<std::string>{"1 水 2人 2回 HO×2"});
}

TEST(MistakeRankingView, RowsAndScopeAreTheTextsToShow) {
    MistakeRanking ranking;
    ranking.levels = {LevelMistakes{2, {RankedProblem{1, 1, "硫酸", "H2SO4", 3, 5, "HSO4", 2}}},
                      LevelMistakes{4, {}}};
    ranking.problems = {"a", "b"};
    std::array<std::string, kLevelSlots> names{};
    names[2] = "化学式ドリル";
    MistakeQuery query;
    query.gradeFilter = "中２";
    const MistakeRankingView view = MistakeRankingViewOf(ranking, query, names, "", kToday);
    EXPECT_EQ(view.title, "よく間違える問題");
    EXPECT_EQ(view.scope, "中２　30日間（2024/05/12～2024/06/10）");
    ASSERT_EQ(view.levels.size(), 2u);
    EXPECT_EQ(view.levels[0].heading, "レベル2　化学式ドリル");
    const MistakeRowView row{"1", "硫酸", "H2SO4", "3人", "5回", "HSO4", "2回"};
    EXPECT_EQ(view.levels[0].rows, std::vector<MistakeRowView>{row});
    EXPECT_EQ(view.levels[0].emptyText, "");
    EXPECT_EQ(view.levels[1].heading, "レベル4");
    EXPECT_EQ(view.levels[1].emptyText, "この期間に間違えた問題はありません");
    EXPECT_EQ(view.problems, "a\nb");

    MistakeQuery pupil;
    pupil.pupil = 12;
    pupil.days = 7;
    EXPECT_EQ(MistakeRankingViewOf(ranking, pupil, names, "あいう  ", kToday).scope,
              "あいう（12番）　7日間（2024/06/04～2024/06/10）");
}

// One page a level; a level with more rows than a page holds names the rest at the foot; the
// answers go into formula cells (to be typeset), never as plain text.
TEST(MistakeRankingView, PrintsOnePageALevelWithFormulaCells) {
    MistakeRankingView view;
    view.scope = "全学年";
    MistakeLevelView full;
    full.level = 2;
    full.heading = "レベル2";
    for (int i = 0; i < kMistakeRowsPerPage + 3; ++i)
        full.rows.push_back({std::to_string(i + 1), "問" + std::to_string(i), "SO4-2", "1人", "1回",
                             i == 0 ? "SO4-" : "", i == 0 ? "1回" : ""});
    MistakeLevelView empty;
    empty.level = 4;
    empty.heading = "レベル4";
    empty.emptyText = kNoMistakesText;
    view.levels = {full, empty};

    const std::vector<MistakeRankingPage> pages = MistakeRankingPages(view);
    ASSERT_EQ(pages.size(), 2u);
    const auto hasText = [](const MistakeRankingPage& page, const std::string& s) {
        for (const ReportText& t : page.Page.Texts)
            if (t.Text == s)
                return true;
        return false;
    };
    EXPECT_EQ(pages[0].Formulas.size(), static_cast<std::size_t>(kMistakeRowsPerPage) + 1)
        << "every shown answer, and the one typed wrong answer";
    EXPECT_TRUE(hasText(pages[0], "ほかに3問あります"));
    EXPECT_TRUE(hasText(pages[0], "問24"));
    EXPECT_FALSE(hasText(pages[0], "問25")) << "a row past the page";
    EXPECT_FALSE(hasText(pages[0], "SO4-2")) << "an answer printed as plain text";
    for (const FormulaCell& cell : pages[0].Formulas) {
        EXPECT_GT(cell.Y, 0.0);
        EXPECT_LT(cell.Y + cell.Height, 0.93) << "a row runs into the foot line";
    }
    EXPECT_TRUE(pages[1].Formulas.empty());
    EXPECT_TRUE(hasText(pages[1], kNoMistakesText));
    EXPECT_TRUE(hasText(pages[1], "レベル4"));
}

}  // namespace
}  // namespace kagaku
