#include "board/rankings.h"

#include <gtest/gtest.h>

#include <vector>

#include "board/board_fixture.h"
#include "board/score_board.h"

namespace kagaku {
namespace {

using testing::AddPupil;
using testing::CatalogueState;

BoardInputs In(const StateParts& s, const char* filter = "全学年") {
    return BoardInputs{s.Board(), std::string(filter)};
}

// Best times 40, 45, 45, 50 in roster order A, B, C, D rank 1, 2, 2, 4 with B before C; a
// pupil without a time comes last with dashes; the own line is marked and found.
TEST(Rankings, BestTimeTiesShareARankAndKeepRosterOrder) {
    auto s = CatalogueState();
    const int times[] = {50, 45, 40, 45, kNoTime, 99998};
    const char* names[] = {"D", "B", "A", "C", "E", "F"};
    for (int i = 0; i < 6; ++i) {
        AddPupil(*s, i + 1, names[i], 7);
        s->standing.BestTime.at(2, i + 1) = times[i];
    }
    s->signIn.PupilNumber = 2;
    const RankedList r = RankLevel(In(*s), 2, RankingKind::BestTime);
    const std::vector<std::string> expected = {
        " 1ⅠA　　　　    40 　", " 2●B　　　　    45 ●",  " 2ⅠC　　　　    45 　",
        " 4ⅠD　　　　    50 　", " 5ⅠF　　　　*失敗* 　", "--ⅠE　　　　------ 　",
    };
    EXPECT_EQ(r.Lines, expected);
    EXPECT_EQ(r.OwnLine, 1u);
}

// Catches ranks that skip the pupils the filter hides.
TEST(Rankings, RanksCountPupilsTheFilterHides) {
    auto s = CatalogueState();
    for (int i = 1; i <= 4; ++i) {
        AddPupil(*s, i, "P" + std::to_string(i), i == 4 ? 7 : 8);
        s->standing.BestTime.at(2, i) = 40 + i;
    }
    const RankedList r = RankLevel(In(*s, "中１"), 2, RankingKind::BestTime);
    EXPECT_EQ(r.Lines, std::vector<std::string>{" 4ⅠP4　　　    44 　"});
    EXPECT_FALSE(r.OwnLine.has_value());
}

// Equal cumulative points share the rank, more points today first; the today ranking leaves
// out pupils without points today; figures keep their last digits and rank 123 reads 23.
TEST(Rankings, PointsRankings) {
    auto s = CatalogueState();
    AddPupil(*s, 1, "一", 1);
    AddPupil(*s, 2, "二", 1);
    AddPupil(*s, 3, "三", 1);
    auto& a = s->standing;
    a.TotalPoints.at(2, 1) = 120;
    a.TodayPoints.at(2, 1) = 0;
    a.TotalPoints.at(2, 2) = 120;
    a.TodayPoints.at(2, 2) = 1234;
    a.TotalPoints.at(2, 3) = 123456;
    a.TodayPoints.at(2, 3) = 7;
    const RankedList total = RankLevel(In(*s), 2, RankingKind::CumulativePoints);
    EXPECT_EQ(total.Lines,
              (std::vector<std::string>{" 1①三　　　　  7/23456", " 2①二　　　　234/  120",
                                        " 2①一　　　　  0/  120"}));
    const RankedList today = RankLevel(In(*s), 2, RankingKind::TodayPoints);
    EXPECT_EQ(today.Lines,
              (std::vector<std::string>{" 1①二　　　　234/  120", " 2①三　　　　  7/23456"}));
    EXPECT_EQ(RankColumn(123), "23");
    EXPECT_EQ(RankColumn(1), " 1");
}

// Points are ranked on the first figure, then the second, each compared whole. Catches a
// folded key (1000 x first + second) that lets 1000 or more of the second figure outweigh a
// point of the first, and ties that do not keep roster order or share the rank.
TEST(Rankings, PointsRankFirstFigureThenSecond) {
    struct Pupil {
        const char* name;
        long long today, total;
    };
    const struct {
        const char* what;
        RankingKind kind;
        std::vector<Pupil> roster;
        std::vector<std::string> expected;  // rank column and name, best first
    } cases[] = {
        {"11 today beats 10 today with 5000 in all",
         RankingKind::TodayPoints,
         {{"甲", 10, 5000}, {"乙", 11, 11}},
         {" 1乙", " 2甲"}},
        {"equal today: more in all first, equal pairs in roster order, one rank",
         RankingKind::TodayPoints,
         {{"甲", 5, 30}, {"乙", 5, 40}, {"丙", 5, 40}},
         {" 1乙", " 1丙", " 1甲"}},
        {"2001 in all beats 2000 in all with 2000 today",
         RankingKind::CumulativePoints,
         {{"甲", 0, 2001}, {"乙", 2000, 2000}},
         {" 1甲", " 2乙"}},
        {"equal in all: more today first, one rank",
         RankingKind::CumulativePoints,
         {{"甲", 3, 120}, {"乙", 7, 120}, {"丙", 0, 119}},
         {" 1乙", " 1甲", " 3丙"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = CatalogueState();
        int number = 0;
        for (const Pupil& p : c.roster) {
            AddPupil(*s, ++number, p.name, 1);
            s->standing.TodayPoints.at(2, number) = p.today;
            s->standing.TotalPoints.at(2, number) = p.total;
        }
        std::vector<std::string> ranked;
        for (const std::string& line : RankLevel(In(*s), 2, c.kind).Lines) {
            ranked.push_back(line.substr(0, 2) + line.substr(5, 3));  // past the grade mark
        }
        EXPECT_EQ(ranked, c.expected);
    }
}

// Catches the ranking stopping at 2000 pupils: every listed pupil of a 5000-pupil roster is
// ranked, and the slowest comes last.
TEST(Rankings, EveryListedPupilIsRanked) {
    auto s = CatalogueState();
    for (int i = 1; i <= 5000; ++i) {
        AddPupil(*s, i, "N", 1);
        s->standing.BestTime.at(2, i) = 10000 - i;
    }
    s->signIn.PupilNumber = 1;
    const RankedList r = RankLevel(In(*s), 2, RankingKind::BestTime);
    ASSERT_EQ(r.Lines.size(), 5000u);
    EXPECT_EQ(r.OwnLine, 4999u);
    EXPECT_EQ(r.Lines.back(), "00●N　　　　  9999 ●");
}

// The best lists skip practice levels; the points rankings cover every level.
TEST(ScoreBoard, BestListsSkipPracticeLevels) {
    auto s = CatalogueState();
    AddPupil(*s, 1, "一", 1);
    const BoardFill best = FillBoard(In(*s), BoardList::BestTimes, {}, 0, {});
    EXPECT_TRUE(best.Lines[1].empty());
    EXPECT_EQ(best.Lines[2].size(), 1u);
    const BoardFill points = FillBoard(In(*s), BoardList::CumulativeRanking, {}, 0, {});
    EXPECT_EQ(points.Lines[1].size(), 1u);
    EXPECT_EQ(ListFor(0, 1), BoardList::BestTimes);
    EXPECT_EQ(ListFor(2, 3), BoardList::PeriodPointsFirst);
    EXPECT_EQ(ListHeading(BoardList::TodayRanking), "獲得ポイント（今日の順位）");
    EXPECT_EQ(ListPeriodForChoice(4), 5);
    EXPECT_FALSE(ListPeriodForChoice(-1).has_value());
}

// Catches a run list shown from the aggregates (missing other machines' newest runs), a
// ranking that reads the file for nothing, and the today list reading the long window.
TEST(ScoreBoard, WhichListsReadTheRecordFile) {
    const struct {
        BoardList list;
        std::optional<std::size_t> scan;
    } cases[] = {
        {BoardList::BestTimes, std::nullopt},
        {BoardList::TodayRuns, 1000},
        {BoardList::PeriodTimeFirst, 20000},
        {BoardList::CumulativeRanking, std::nullopt},
        {BoardList::TodayRanking, std::nullopt},
        {BoardList::PeriodPointsFirst, 20000},
        {BoardList::OwnRuns, 20000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecordScanFor(c.list), c.scan) << static_cast<int>(c.list);
    }
}

}  // namespace
}  // namespace kagaku
