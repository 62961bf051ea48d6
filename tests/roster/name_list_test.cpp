#include "roster/name_list.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/text_ops.h"
#include "support/state_parts.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::FakeClock;
using testing::TempDir;

RosterRecord Pupil(int number, int birthYear, const std::string& name) {
    RosterRecord r;
    r.Number = static_cast<std::int16_t>(number);
    r.BirthYear = static_cast<std::int16_t>(birthYear);
    r.Name = text::PadRight(name, 20);
    return r;
}

// The worked example: pupil 12, 小1, 山田太郎, 3 runs today and 41 in all.
TEST(NameRow, ModeZeroExample) {
    PupilTotals t;
    t.TodayRuns = 3;
    t.AllRuns = 41;
    EXPECT_EQ(NameRow(Pupil(12, 2003, "山田太郎"), 1, 0, t),
              "2003小1 山田太郎　　  3回/   41回*12");
}

struct FillCase {
    int grade;
    const char* label;
    const char* name;
    int mode;
    int fill;
};

// Catches the kindergarten width applied in mode 1 or to older pupils, and a negative fill.
TEST(NameRow, FillDependsOnGradeAndMode) {
    const FillCase cases[] = {
        {0, "幼3", "山田太郎", 0, 4},           {0, "幼3", "山田太郎", 1, 2},
        {0, "幼3", "山田太郎", 2, 4},           {0, "幼3", "山田太郎", 3, 4},
        {1, "小1", "山田太郎", 0, 2},           {1, "小1", "山田太郎", 1, 2},
        {8, "中2", "山田太郎", 3, 2},           {1, "小1", "あいうえおかき", 0, 0},
        {1, "小1", "あいうえおかきくけ", 0, 0},
    };
    for (const auto& c : cases) {
        const std::string row = NameRow(Pupil(1, 2010 - c.grade - 6, c.name), c.grade, c.mode, {});
        const std::string head = text::NumberText(static_cast<long long>(2010 - c.grade - 6)) +
                                 c.label + " " + c.name + text::Repeat("　", c.fill);
        EXPECT_EQ(text::Left(row, static_cast<long long>(text::Length(head))), head)
            << c.name << " mode " << c.mode;
        EXPECT_NE(text::Mid(row, static_cast<long long>(text::Length(head)) + 1, 1), "　");
    }
}

struct FigureCase {
    long long n;
    std::string todayRuns, todayPoints, allRuns, allPoints;
};

// Catches figures that grow the row instead of keeping their last digits, and wrong zero texts.
TEST(NameRow, FiguresKeepTheirLastDigits) {
    const FigureCase cases[] = {
        {0, "     ", "  　", "     　", "       "},
        {5, "  5回", "   5", "    5回", "      5"},
        {12345, "345回", "2345", "12345回", "  12345"},
        {123456789, "789回", "6789", "56789回", "3456789"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TodayRunsFigure(c.n), c.todayRuns) << c.n;
        EXPECT_EQ(TodayPointsFigure(c.n), c.todayPoints) << c.n;
        EXPECT_EQ(AllRunsFigure(c.n), c.allRuns) << c.n;
        EXPECT_EQ(AllPointsFigure(c.n), c.allPoints) << c.n;
    }
}

// Catches figures of the wrong mode on either side of the slash.
TEST(NameRow, EachModePicksItsTwoFigures) {
    PupilTotals t{1, 22, 333, 4444};
    const RosterRecord r = Pupil(3, 2003, "一");
    const std::string fill = text::Repeat("　", 5);
    EXPECT_EQ(NameRow(r, 1, 0, t), "2003小1 一" + fill + "  1回/  333回*3");
    EXPECT_EQ(NameRow(r, 1, 1, t), "2003小1 一" + fill + "  22/   4444*3");
    EXPECT_EQ(NameRow(r, 1, 2, t), "2003小1 一" + fill + "  22/  1回*3");
    EXPECT_EQ(NameRow(r, 1, 3, t), "2003小1 一" + fill + "   4444/  333回*3");
}

// Catches an ascending visible order, a case-sensitive sort, and rows of the wrong grade shown.
TEST(ArrangeNameList, YoungestFirstNamesDescendingAndFiltered) {
    std::vector<std::string> rows = {
        "2003小1 あ*1",   "2004幼3 い*2",   "2003小1 う*3", "1996中2 bob*4",
        "1996中2 Anne*5", "1996中2 carl*6", "1993高2 え*7", "2006幼1 お*8",
    };
    const NameList all = ArrangeNameList(rows, 2010, "全学年");
    const std::vector<std::string> expected = {"－－－－－－", "幼1 お",   "幼3 い",
                                               "小1 う",       "小1 あ",   "中2 carl",
                                               "中2 bob",      "中2 Anne", "高2 え"};
    EXPECT_EQ(all.Visible, expected);
    ASSERT_EQ(all.Numbered.size(), 8u);
    EXPECT_EQ(all.Numbered[0], "幼1 お*8");

    const NameList junior = ArrangeNameList(rows, 2010, "中学生全体");
    EXPECT_EQ(junior.Visible,
              (std::vector<std::string>{"－－－－－－", "中2 carl", "中2 bob", "中2 Anne"}));
    EXPECT_EQ(ArrangeNameList(rows, 2010, "小１").Visible.size(), 3u);
    EXPECT_EQ(ArrangeNameList(rows, 2010, "小学生全体").Visible.size(), 3u);
    EXPECT_EQ(ArrangeNameList(rows, 2010, "家族").Visible.size(), 1u);
}

// Catches case folding missing for full-width letters.
TEST(SortedListLess, IgnoresLetterCaseOfBothWidths) {
    EXPECT_TRUE(SortedListLess("apple", "Banana"));
    EXPECT_TRUE(SortedListLess("Ａpple", "ｂanana"));
    EXPECT_FALSE(SortedListLess("ABC", "abc"));
}

// Catches a name holding "*" or "/" signing in the wrong pupil.
TEST(NameListSelection, CaptionsAndNumberOfARow) {
    EXPECT_EQ(ClickCaption("小1 山田太郎　　  3回/   41回"), "小1 山田太郎　　");
    EXPECT_EQ(ClickCaption("小1 一　　　　　  3回/   41回"), "小1 一　　　　　");
    EXPECT_EQ(DoubleClickCaption("小1 山田太郎　　  3回/   41回"), "小1 山田太郎　　  3回");
    EXPECT_EQ(PupilNumberText("小1 星*子　　  3回/   41回*123"), "123");
    const NameList list = ArrangeNameList({"2003小1 星*子　  3回/   41回*123"}, 2010, "全学年");
    EXPECT_EQ(list.Visible[1], "小1 星*子　  3回/   41回");
}

// The whole rebuild from a roster file and the aggregates.
TEST(RebuildNameList, ReadsRosterAndTotalsOfEveryLevel) {
    TempDir dir;
    dir.WriteCp932("新名簿.txt",
                   "12,2003,0,0,山田太郎,0,,\n13,2004,0,0,佐藤,0,,\n14,1996,0,0,鈴木,1,,\n");
    auto state = std::make_unique<StateParts>();
    state->setup.DataRoot = dir.path().string() + "/";
    state->setup.SchoolYearStartMonth = Variant(4);
    state->standing.TodayRunCount.at(2, 12) = 1;
    state->standing.TodayRunCount.at(35, 12) = 2;
    state->standing.RunCount.at(4, 12) = 41;
    FakeClock clock({2011, 3, 15}, {10, 0, 0});
    NameListProgress progress;
    int aggregated = 0;
    const NameList list =
        RebuildNameList(state->setup, state->standing, state->roster, clock, 0, "全学年", progress, [&] { ++aggregated; });
    EXPECT_EQ(aggregated, 1);
    EXPECT_EQ(progress.Marker, 10);
    EXPECT_EQ(state->roster.SchoolYear, 2010);
    EXPECT_EQ(state->roster.RosterCount, 2);
    ASSERT_EQ(list.Visible.size(), 3u);
    EXPECT_EQ(list.Visible[1], "幼3 佐藤　　　　　　     /     　");
    EXPECT_EQ(list.Visible[2], "小1 山田太郎　　  3回/   41回");
    EXPECT_EQ(PupilNumberText(list.Numbered[1]), "12");
}

}  // namespace
}  // namespace kagaku
