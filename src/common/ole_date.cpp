#include "common/ole_date.h"

#include <cmath>
#include <cstdio>

namespace kagaku {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = yoe + era * 400;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp + (mp < 10 ? 3 : -9);
    return CivilDate{static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m),
                     static_cast<int>(d)};
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

long long DaySerial(const CivilDate& d) {
    return DaysFromCivil(d.year, d.month, d.day) - kOleEpoch;
}

CivilDate DateFromSerial(long long serial) {
    return CivilFromDays(serial + kOleEpoch);
}

double ToOleDate(const CivilDate& d) {
    return static_cast<double>(DaySerial(d));
}

double TimeFraction(const TimeOfDay& t) {
    return (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
}

double ToOleDateTime(const CivilDate& d, const TimeOfDay& t) {
    // Before the epoch the fraction still counts forward from the day's start.
    const double day = ToOleDate(d);
    return day >= 0 ? day + TimeFraction(t) : day - TimeFraction(t);
}

long long OleDay(double ole) {
    if (!std::isfinite(ole))
        return 0;
    return static_cast<long long>(ole >= 0 ? std::floor(ole) : std::ceil(ole));
}

CivilDate OleDateOf(double ole) {
    return DateFromSerial(OleDay(ole));
}

TimeOfDay OleTimeOf(double ole) {
    if (!std::isfinite(ole))
        return {};
    double fraction = std::fabs(ole - static_cast<double>(OleDay(ole)));
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400)
        seconds = 86399;
    return TimeOfDay{static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                     static_cast<int>(seconds % 60)};
}

int Weekday(const CivilDate& d) {
    // 1970-01-01 was a Thursday (5).
    long long days = DaysFromCivil(d.year, d.month, d.day);
    long long w = (days % 7 + 7 + 4) % 7;  // 0 = Sunday
    return static_cast<int>(w) + 1;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool IsValidDate(const CivilDate& d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

std::string FormatSlashDate(const CivilDate& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.year, d.month, d.day);
    return buf;
}

std::string FormatIsoDate(const CivilDate& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string FormatClockTime(const TimeOfDay& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

}  // namespace kagaku
