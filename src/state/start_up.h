#pragma once
// What the splash decides at start-up: today's date in the Japanese era calendar and the season
// colour of the name screen and the level menu.

#include <cstdint>
#include <string>

#include "common/ole_date.h"

namespace kagaku {

// "平成22年 4月 28日（水）": era, year of the era, month without a leading zero, two-digit day and
// the weekday in full-width parentheses.
std::string JapaneseEraDate(const CivilDate& date);

// 0x00BBGGRR colour of the season of a month (1..12).
std::uint32_t SeasonColourForMonth(int month);

// "Version1.2.3".
std::string VersionText(int major, int minor, int revision);

}  // namespace kagaku
