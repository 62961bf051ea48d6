#include "state/start_up.h"

#ifndef _WIN32
#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#endif

#include <memory>

#include "common/text_ops.h"

namespace kagaku {

#ifdef _WIN32

// Windows has no ICU: the eras since 明治 from a table of their first days, written as ICU
// writes them on Linux (a date before the table is written with slashes).
std::string JapaneseEraDate(const CivilDate& date) {
    struct Era {
        const char* name;
        CivilDate first;
    };
    static const Era kEras[] = {{"令和", {2019, 5, 1}},
                                {"平成", {1989, 1, 8}},
                                {"昭和", {1926, 12, 25}},
                                {"大正", {1912, 7, 30}},
                                {"明治", {1868, 9, 8}}};
    static const char* kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    const long long day = DaySerial(date);
    for (const Era& era : kEras) {
        if (day >= DaySerial(era.first)) {
            const int year = date.year - era.first.year + 1;
            const std::string dd = (date.day < 10 ? "0" : "") + std::to_string(date.day);
            return std::string(era.name) + std::to_string(year) + "年 " +
                   std::to_string(date.month) + "月 " + dd + "日（" +
                   kWeekdays[(Weekday(date) - 1) % 7] + "）";
        }
    }
    return FormatSlashDate(date);
}

#else

std::string JapaneseEraDate(const CivilDate& date) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale("ja_JP@calendar=japanese");
    std::unique_ptr<icu::TimeZone> utc(icu::TimeZone::createTimeZone("Etc/UTC"));
    // The year of the era is written in digits, as "1" in an era's first year. Without the
    // explicit digits for the year, ICU writes an era's first year as "元" whenever the pattern
    // holds "年".
    icu::SimpleDateFormat format(icu::UnicodeString::fromUTF8("GGGGy年 M月 dd日（EEE）"),
                                 icu::UnicodeString(u"y=latn"), locale, status);
    if (U_FAILURE(status))
        return FormatSlashDate(date);
    format.setTimeZone(*utc);
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(*utc, locale, status));
    if (U_FAILURE(status))
        return FormatSlashDate(date);
    calendar->clear();
    // Noon keeps the date clear of any time-zone edge.
    const double millis =
        (static_cast<double>(DaySerial(date)) - 25569.0) * 86400000.0 + 43200000.0;
    calendar->setTime(millis, status);
    icu::UnicodeString out;
    icu::FieldPosition pos;
    format.format(*calendar, out, pos);
    std::string utf8;
    out.toUTF8String(utf8);
    return utf8;
}

#endif

std::uint32_t SeasonColourForMonth(int month) {
    if (month <= 2)
        return 0x80FF;
    if (month <= 5)
        return 0xC0FFC0;
    if (month <= 8)
        return 0xC0C000;
    if (month <= 11)
        return 0x40C0;
    return 0xC0FFC0;
}

std::string VersionText(int major, int minor, int revision) {
    return "Version" + text::NumberText(static_cast<long long>(major)) + "." +
           text::NumberText(static_cast<long long>(minor)) + "." +
           text::NumberText(static_cast<long long>(revision));
}

}  // namespace kagaku
