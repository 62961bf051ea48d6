#include "state/start_up.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

#include "common/text_ops.h"

namespace kagaku {

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
