#pragma once
// Dates as the data files hold them: OLE Automation dates, a double counting days since
// 30 December 1899, the fraction being the time of day.

#include <cstdint>
#include <string>

namespace kagaku {

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// Whole days since 1899-12-30 (negative before it).
long long DaySerial(const CivilDate& d);
CivilDate DateFromSerial(long long serial);

double ToOleDate(const CivilDate& d);
double ToOleDateTime(const CivilDate& d, const TimeOfDay& t);
// Seconds since midnight as a fraction of a day.
double TimeFraction(const TimeOfDay& t);

// The calendar date of an OLE date (its whole-day part).
CivilDate OleDateOf(double ole);
// The time of day of an OLE date, rounded to the nearest second.
TimeOfDay OleTimeOf(double ole);
// Whole days of an OLE date (as the date comparisons count them).
long long OleDay(double ole);

// 1 = Sunday ... 7 = Saturday.
int Weekday(const CivilDate& d);
bool IsValidDate(const CivilDate& d);
int DaysInMonth(int year, int month);

// "yyyy/mm/dd", "H:mm:ss" and "yyyy-mm-dd".
std::string FormatSlashDate(const CivilDate& d);
std::string FormatIsoDate(const CivilDate& d);
std::string FormatClockTime(const TimeOfDay& t);

}  // namespace kagaku
