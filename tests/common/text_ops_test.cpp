#include "common/text_ops.h"

#include <gtest/gtest.h>

namespace kagaku::text {
namespace {

// Cuts and lengths count characters: a byte count would cut "中２" in the middle of a character.
TEST(TextOps, CutsAndLengthsCountCharactersNotBytes) {
    EXPECT_EQ(Length("中２ｱA①"), 5u);
    EXPECT_EQ(Left("化学式練習", 3), "化学式");
    EXPECT_EQ(Right("化学式練習", 2), "練習");
    EXPECT_EQ(Mid("12345ABC塾", 6), "ABC塾");
    EXPECT_EQ(Mid("化学式練習", 2, 2), "学式");
    // Longer than the text gives the whole text; nothing for n <= 0.
    EXPECT_EQ(Left("中２", 10), "中２");
    EXPECT_EQ(Right("中２", 10), "中２");
    EXPECT_EQ(Left("中２", 0), "");
    EXPECT_EQ(Right("中２", -1), "");
    EXPECT_EQ(Mid("中２", 5), "");
}

// Only ordinary spaces are trimmed: a full-width space or a tab is part of the text.
TEST(TextOps, TrimRemovesOnlyOrdinarySpaces) {
    EXPECT_EQ(Trim("  山田 太郎  "), "山田 太郎");
    EXPECT_EQ(Trim("　山田　"), "　山田　");
    EXPECT_EQ(Trim("\t山田\t"), "\t山田\t");
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(TrimLeft("  a  "), "a  ");
    EXPECT_EQ(TrimRight("  a  "), "  a");
}

TEST(TextOps, StrGivesALeadingBlankForNumbersNotBelowZero) {
    EXPECT_EQ(Str(12LL), " 12");
    EXPECT_EQ(Str(0LL), " 0");
    EXPECT_EQ(Str(-3LL), "-3");
    EXPECT_EQ(Str(1.5), " 1.5");
    EXPECT_EQ(Str(-2.0), "-2");
    EXPECT_EQ(NumberText(12LL), "12");
    EXPECT_EQ(NumberText(1.3), "1.3");
    EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
}

struct ValCase {
    const char* text;
    double value;
};

class ValTest : public ::testing::TestWithParam<ValCase> {};

// Val takes the number at the start and ignores what follows; no number gives 0.
TEST_P(ValTest, ReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(Val(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ValTest,
                         ::testing::Values(ValCase{"12abc", 12}, ValCase{"abc", 0},
                                           ValCase{" -3.5x", -3.5}, ValCase{"", 0}, ValCase{"-", 0},
                                           ValCase{".5", 0.5}, ValCase{"+7", 7},
                                           ValCase{"00000ABC", 0}, ValCase{"1.5", 1.5},
                                           ValCase{"12abc塾", 12}, ValCase{"2e3", 2000},
                                           ValCase{"1e", 1}));

TEST(TextOps, IntRoundsDownAlsoForNegatives) {
    EXPECT_EQ(Int(1.5), 1);
    EXPECT_EQ(Int(-1.5), -2);
    EXPECT_EQ(Int(-0.1), -1);
    EXPECT_EQ(Int(-2.0), -2);
    EXPECT_EQ(Int(2.999), 2);
}

TEST(TextOps, IntDivTruncatesTowardZero) {
    EXPECT_EQ(IntDiv(7, 2), 3);
    EXPECT_EQ(IntDiv(-7, 2), -3);
    EXPECT_EQ(IntDiv(13, 2), 6);  // the problem category of level 12 is (12 + 1) \ 2
    EXPECT_EQ(IntDiv(5, 0), 0);
}

// Conversions to whole numbers round halves to even: 0.5 to 0, 1.5 to 2, 2.5 to 2.
TEST(TextOps, RoundHalfEvenRoundsHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
    EXPECT_EQ(RoundHalfEven(2.4), 2);
}

TEST(TextOps, IsNumericAcceptsOnlyAWholeNumber) {
    EXPECT_TRUE(IsNumeric(" 12 "));
    EXPECT_TRUE(IsNumeric("-1.5"));
    EXPECT_TRUE(IsNumeric("1.5"));
    EXPECT_FALSE(IsNumeric("12abc"));
    EXPECT_FALSE(IsNumeric(""));
    EXPECT_FALSE(IsNumeric("目標Time"));
    EXPECT_FALSE(IsNumeric("."));
}

// Columns of list lines are filled by characters, so a full-width fill counts as one.
TEST(TextOps, PaddingCountsCharacters) {
    EXPECT_EQ(PadRight("中２", 4), "中２  ");
    EXPECT_EQ(PadLeft("7", 3), "  7");
    EXPECT_EQ(PadRight("山田", 4, "　"), "山田　　");
    EXPECT_EQ(PadRight("山田太郎花子", 4), "山田太郎花子");  // never cut
}

}  // namespace
}  // namespace kagaku::text
