#include "state/start_up.h"

#include <gtest/gtest.h>

namespace kagaku {
namespace {

struct EraCase {
    CivilDate date;
    const char* text;
};

class EraDate : public ::testing::TestWithParam<EraCase> {};

// The splash's date: era, year of the era in digits (1 in an era's first year), month without a
// leading zero, two-digit day and the weekday, across the era changes of 1989 and 2019.
TEST_P(EraDate, IsWrittenInTheJapaneseEraCalendar) {
    EXPECT_EQ(JapaneseEraDate(GetParam().date), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Dates, EraDate,
                         ::testing::Values(EraCase{{2010, 4, 28}, "平成22年 4月 28日（水）"},
                                           EraCase{{1989, 1, 7}, "昭和64年 1月 07日（土）"},
                                           EraCase{{1989, 1, 8}, "平成1年 1月 08日（日）"},
                                           EraCase{{2019, 4, 30}, "平成31年 4月 30日（火）"},
                                           EraCase{{2019, 5, 1}, "令和1年 5月 01日（水）"},
                                           EraCase{{2024, 12, 31}, "令和6年 12月 31日（火）"}));

struct SeasonCase {
    int month;
    std::uint32_t colour;
};

class SeasonColour : public ::testing::TestWithParam<SeasonCase> {};

TEST_P(SeasonColour, FollowsTheMonth) {
    EXPECT_EQ(SeasonColourForMonth(GetParam().month), GetParam().colour) << GetParam().month;
}

INSTANTIATE_TEST_SUITE_P(Months, SeasonColour,
                         ::testing::Values(SeasonCase{1, 0x80FF}, SeasonCase{2, 0x80FF},
                                           SeasonCase{3, 0xC0FFC0}, SeasonCase{4, 0xC0FFC0},
                                           SeasonCase{5, 0xC0FFC0}, SeasonCase{6, 0xC0C000},
                                           SeasonCase{8, 0xC0C000}, SeasonCase{9, 0x40C0},
                                           SeasonCase{11, 0x40C0}, SeasonCase{12, 0xC0FFC0}));

TEST(StartUp, VersionText) {
    EXPECT_EQ(VersionText(1, 2, 3), "Version1.2.3");
    EXPECT_EQ(VersionText(10, 0, 12), "Version10.0.12");
}

}  // namespace
}  // namespace kagaku
