#include "roster/school_grade.h"

#include <gtest/gtest.h>

namespace kagaku {
namespace {

struct SchoolYearCase {
    CivilDate today;
    Variant startMonth;
    int schoolYear;
};

// Catches an off-by-one at the start month and an empty setting moving the year.
TEST(SchoolYear, TurnsOnTheFirstDayOfTheStartMonth) {
    const SchoolYearCase cases[] = {
        {{2010, 3, 31}, Variant(4), 2009},  {{2010, 4, 1}, Variant(4), 2010},
        {{2011, 3, 15}, Variant(4), 2010},  {{2011, 1, 1}, Variant(4), 2010},
        {{2011, 12, 31}, Variant(4), 2011}, {{2011, 1, 1}, Variant(1), 2011},
        {{2011, 8, 31}, Variant(9), 2010},  {{2011, 5, 5}, Variant(), 2011},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SchoolYearOf(c.today, c.startMonth), c.schoolYear)
            << c.today.year << "-" << c.today.month << "-" << c.today.day;
    }
}

struct LabelCase {
    int grade;
    const char* fullWidth;
    const char* shortLabel;
};

// Catches a shifted label table and labels written outside 0..10.
TEST(GradeLabels, CoverEveryGradeNumber) {
    const LabelCase cases[] = {
        {-5, "", "幼-"},    {-3, "", "幼-"},    {-2, "", "幼1"},     {-1, "", "幼2"},
        {0, "幼３", "幼3"}, {1, "小１", "小1"}, {6, "小６", "小6"},  {7, "中１", "中1"},
        {8, "中２", "中2"}, {9, "中３", "中3"}, {10, "高１", "高1"}, {11, "", "高2"},
        {12, "", "高3"},    {13, "", "大+"},    {40, "", "大+"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FullWidthGradeLabel(c.grade), c.fullWidth) << c.grade;
        EXPECT_EQ(ShortGradeLabel(c.grade), c.shortLabel) << c.grade;
    }
}

// Catches a grade computed from the calendar year instead of the school year.
TEST(GradeNumber, PupilMovesUpOnTheFirstOfApril) {
    EXPECT_EQ(GradeNumberOf(SchoolYearOf({2011, 3, 15}, Variant(4)), 2003), 1);
    EXPECT_EQ(GradeNumberOf(SchoolYearOf({2011, 4, 1}, Variant(4)), 2003), 2);
    EXPECT_EQ(GradeNumberOf(2010, 1996), 8);
    EXPECT_EQ(GradeNumberOf(2010, 1993), 11);
    EXPECT_EQ(GradeNumberOf(2010, 2009), -5);
}

}  // namespace
}  // namespace kagaku
