#pragma once
// Text operations used to build captions and list lines. Text is UTF-8; every length, cut and
// fill counts characters (code points), never bytes, so that "中２" is two characters long.

#include <cstdint>
#include <string>
#include <string_view>

namespace kagaku::text {

std::u32string ToU32(std::string_view utf8);
std::string FromU32(std::u32string_view text);
std::string FromCodePoint(char32_t c);

// Number of characters.
std::size_t Length(std::string_view utf8);
// The first / last n characters; the whole text when it is shorter; "" for n <= 0.
std::string Left(std::string_view utf8, long long n);
std::string Right(std::string_view utf8, long long n);
// Characters from the 1-based position start; count < 0 means to the end.
std::string Mid(std::string_view utf8, long long start, long long count = -1);
// Ordinary spaces removed at both ends (not tabs, not full-width spaces).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// Decimal with a leading blank for a number >= 0 ("-3", " 12").
std::string Str(long long n);
// Shortest decimal form of a floating-point number, with a leading blank when >= 0.
std::string Str(double d);
// Plain decimal (no blank).
std::string NumberText(long long n);
std::string NumberText(double d);
// The number at the start of a text: leading blanks skipped, optional sign, digits, optional
// fraction; 0 when there is none. "12abc" gives 12, "abc" gives 0.
double Val(std::string_view s);
// Rounding down (Int(-1.5) = -2).
long long Int(double d);
// Integer division of whole numbers, truncating toward zero; division by zero gives 0.
long long IntDiv(long long a, long long b);
// Rounds halves to even, as the program's conversions to whole numbers do.
long long RoundHalfEven(double d);
// Is the whole text (after trimming blanks) a number?
bool IsNumeric(std::string_view s);
// s repeated n times.
std::string Repeat(std::string_view s, long long n);
// s filled on the right (or left) with fill up to width characters; never cut.
std::string PadRight(std::string_view s, std::size_t width, std::string_view fill = " ");
std::string PadLeft(std::string_view s, std::size_t width, std::string_view fill = " ");
// Replaces every occurrence of from by to.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
bool Contains(std::string_view s, std::string_view part);

}  // namespace kagaku::text
