#include "records/score_record.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <type_traits>

#include "common/cp932.h"
#include "common/ole_date.h"
#include "common/text_ops.h"

namespace kagaku {

namespace {

// Little-endian fields whatever the machine: the file is shared with other machines.
template <typename T>
void PutLittleEndian(char* out, T value) {
    using U = std::make_unsigned_t<T>;
    U u;
    std::memcpy(&u, &value, sizeof u);
    for (std::size_t i = 0; i < sizeof u; ++i) {
        out[i] = static_cast<char>(static_cast<unsigned char>(u >> (8 * i)));
    }
}

template <typename T>
T GetLittleEndian(const char* in) {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof u; ++i) {
        u = static_cast<U>(
            u | static_cast<U>(static_cast<U>(static_cast<unsigned char>(in[i])) << (8 * i)));
    }
    T value;
    std::memcpy(&value, &u, sizeof value);
    return value;
}

void PutDouble(char* out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutLittleEndian(out, bits);
}

double GetDouble(const char* in) {
    auto bits = GetLittleEndian<std::uint64_t>(in);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutText(char* out, const RecordText& text) {
    std::memcpy(out, text.data(), text.size());
}

RecordText GetText(const char* in) {
    RecordText text;
    std::memcpy(text.data(), in, text.size());
    return text;
}

}  // namespace

ScoreRecordBytes EncodeScoreRecord(const ScoreRecord& record) {
    ScoreRecordBytes bytes{};
    char* p = bytes.data();
    PutDouble(p + 0, record.RunDate);
    PutDouble(p + 8, record.RunTimeOfDay);
    PutLittleEndian(p + 16, record.PupilNumber);
    PutLittleEndian(p + 18, record.Level);
    PutLittleEndian(p + 20, record.Seconds);
    PutText(p + 24, record.SchoolCode);
    PutText(p + 29, record.TallyText);
    PutText(p + 34, record.PointsText);
    PutText(p + 39, record.Reserved);
    return bytes;
}

ScoreRecord DecodeScoreRecord(const char* bytes) {
    ScoreRecord record;
    record.RunDate = GetDouble(bytes + 0);
    record.RunTimeOfDay = GetDouble(bytes + 8);
    record.PupilNumber = GetLittleEndian<std::int16_t>(bytes + 16);
    record.Level = GetLittleEndian<std::int16_t>(bytes + 18);
    record.Seconds = GetLittleEndian<std::int32_t>(bytes + 20);
    record.SchoolCode = GetText(bytes + 24);
    record.TallyText = GetText(bytes + 29);
    record.PointsText = GetText(bytes + 34);
    record.Reserved = GetText(bytes + 39);
    return record;
}

RecordText MakeRecordText(std::string_view utf8) {
    RecordText field{' ', ' ', ' ', ' ', ' '};
    std::size_t used = 0;
    for (char32_t c : text::ToU32(utf8)) {
        std::string character = text::FromCodePoint(c);
        std::string bytes = IsCp932Encodable(character) ? Utf8ToCp932(character, "") : "?";
        if (used + bytes.size() > field.size()) {
            break;
        }
        std::memcpy(field.data() + used, bytes.data(), bytes.size());
        used += bytes.size();
    }
    return field;
}

std::string RecordTextValue(const RecordText& field) {
    std::string_view raw(field.data(), field.size());
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) {
        raw.remove_suffix(1);
    }
    try {
        return Cp932ToUtf8(raw, "");
    } catch (const std::exception&) {
        std::string shown;
        for (char c : raw) {
            auto u = static_cast<unsigned char>(c);
            shown += (u >= 0x20 && u < 0x7F) ? c : '?';
        }
        return shown;
    }
}

ScoreRecord MakeRunRecord(const Clock& clock, int pupil, int level, std::int32_t seconds,
                          const Variant& schoolCode) {
    // One reading of the clock for both the date and the time, so that a run recorded at
    // midnight gets a date and a time of the same moment.
    double now = clock.Now();
    double day = std::floor(now);
    // Whole seconds, as the clock shows them; the small allowance keeps 10:00:00 from reading
    // as 9:59:59 through the rounding of the date value.
    auto secondOfDay = static_cast<long long>(std::floor((now - day) * 86400.0 + 1e-4));
    if (secondOfDay > 86399) {
        secondOfDay = 86399;
    }
    if (secondOfDay < 0) {
        secondOfDay = 0;
    }
    TimeOfDay t;
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);

    ScoreRecord record;
    record.RunDate = day;
    record.RunTimeOfDay = TimeFraction(t);
    record.PupilNumber = static_cast<std::int16_t>(pupil);
    record.Level = static_cast<std::int16_t>(level);
    record.Seconds = seconds;
    record.SchoolCode = MakeRecordText(schoolCode.ToText());
    return record;
}

std::optional<RecordProblem> CheckScoreRecord(const ScoreRecord& record) {
    if (record.Level < 0 || record.Level > 35) {
        return RecordProblem::LevelOutOfRange;
    }
    if (record.PupilNumber < 0 || record.PupilNumber > 5000) {
        return RecordProblem::PupilOutOfRange;
    }
    if (!(record.RunDate >= 0.0 && record.RunDate < kDateLimit)) {
        return RecordProblem::BadDate;
    }
    if (record.Level == 0) {
        return RecordProblem::LevelZero;
    }
    if (record.PupilNumber == 0) {
        return RecordProblem::PupilZero;
    }
    if (record.Seconds < 0) {
        return RecordProblem::NegativeSeconds;
    }
    return std::nullopt;
}

std::string DescribeRecordProblem(RecordProblem problem, const ScoreRecord& record) {
    switch (problem) {
        case RecordProblem::LevelOutOfRange:
            return "レベル" + text::NumberText(static_cast<long long>(record.Level)) +
                   "が範囲（1〜35）の外です";
        case RecordProblem::PupilOutOfRange:
            return "番号" + text::NumberText(static_cast<long long>(record.PupilNumber)) +
                   "が範囲（1〜5000）の外です";
        case RecordProblem::BadDate: {
            std::ostringstream value;
            value << record.RunDate;
            return "日付の値" + value.str() + "が正しくありません";
        }
        case RecordProblem::LevelZero:
            return "レベルが0です（実際の記録ではありません）";
        case RecordProblem::PupilZero:
            return "番号が0です（実際の記録ではありません）";
        case RecordProblem::NegativeSeconds:
            return "秒数" + text::NumberText(static_cast<long long>(record.Seconds)) + "が負です";
    }
    return {};
}

}  // namespace kagaku
