#include "mistakes/mistake_log.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "common/cp932.h"
#include "common/cp932_lines.h"
#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text_ops.h"
#include "records/aggregates.h"

namespace kagaku {

namespace {

constexpr std::size_t kFieldsPerLine = 7;
constexpr int kMaxCategory = (kMaxLevel + 1) / 2;
constexpr std::size_t kDamagedLinesNamed = 5;

std::optional<int> WholeNumber(std::string_view field, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::string_view WithoutHashes(std::string_view field) {
    if (field.size() >= 2 && field.front() == '#' && field.back() == '#')
        field = field.substr(1, field.size() - 2);
    return field;
}

// "#2024-06-10#" as a valid date.
std::optional<CivilDate> ParseDate(std::string_view field) {
    field = WithoutHashes(field);
    if (field.size() != 10 || field[4] != '-' || field[7] != '-')
        return std::nullopt;
    const auto y = WholeNumber(field.substr(0, 4), 0, 9999);
    const auto m = WholeNumber(field.substr(5, 2), 1, 12);
    const auto d = WholeNumber(field.substr(8, 2), 1, 31);
    if (!y || !m || !d)
        return std::nullopt;
    const CivilDate date{*y, *m, *d};
    if (!IsValidDate(date))
        return std::nullopt;
    return date;
}

// "#09:05:03#" (the hour may have one digit) as a time of day.
std::optional<TimeOfDay> ParseTime(std::string_view field) {
    field = WithoutHashes(field);
    const std::size_t first = field.find(':');
    if (first == std::string_view::npos || field.size() != first + 6 || field[first + 3] != ':')
        return std::nullopt;
    const auto h =
        first >= 1 && first <= 2 ? WholeNumber(field.substr(0, first), 0, 23) : std::nullopt;
    const auto m = WholeNumber(field.substr(first + 1, 2), 0, 59);
    const auto s = WholeNumber(field.substr(first + 4, 2), 0, 59);
    if (!h || !m || !s)
        return std::nullopt;
    return TimeOfDay{*h, *m, *s};
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\x1A'; });
}

void NoteDamaged(MistakeLogContents& contents, int lineNumber) {
    ++contents.damagedLines;
    if (contents.firstDamagedLines.size() < kDamagedLinesNamed)
        contents.firstDamagedLines.push_back(lineNumber);
}

}  // namespace

std::filesystem::path MistakeLogPath(std::string_view programDataFolder, int pupilNumber) {
    return InFolder(programDataFolder, kMistakeLogPrefix + std::to_string(pupilNumber) + ".csv");
}

std::string LoggedText(std::string_view text) {
    return text::ReplaceAll(text, "\"", "”");
}

std::string MistakeLogLine(const MistakeEntry& e) {
    char time[16];
    std::snprintf(time, sizeof time, "#%02d:%02d:%02d#", e.time.hour, e.time.minute, e.time.second);
    // FormatLogLine writes the texts quoted, a quote inside one as "”" (LoggedText).
    return FormatLogLine({LogDate{e.date.year, e.date.month, e.date.day}}) + "," + time + "," +
           FormatLogLine({static_cast<long long>(e.level), static_cast<long long>(e.category),
                          e.question, e.answer, e.typed});
}

void AppendMistake(const std::filesystem::path& log, const MistakeEntry& entry) {
    const std::string file = PathText(log);
    AppendLineToFile(log, Utf8ToCp932(MistakeLogLine(entry), file) + "\r\n");
}

std::optional<MistakeEntry> ParseMistakeLine(std::string_view line) {
    FieldReader reader{std::string(line), std::string()};
    std::vector<std::string> fields;
    try {
        while (!reader.AtEnd() && fields.size() <= kFieldsPerLine)
            fields.push_back(reader.Next());
    } catch (const DataFileError&) {
        return std::nullopt;
    }
    if (fields.size() != kFieldsPerLine)
        return std::nullopt;
    const auto date = ParseDate(fields[0]);
    const auto time = ParseTime(fields[1]);
    const auto level = WholeNumber(fields[2], 1, kMaxLevel);
    const auto category = WholeNumber(fields[3], 1, kMaxCategory);
    if (!date || !time || !level || !category)
        return std::nullopt;
    return MistakeEntry{*date,
                        *time,
                        *level,
                        *category,
                        std::move(fields[4]),
                        std::move(fields[5]),
                        std::move(fields[6])};
}

MistakeLogContents ParseMistakeLog(std::string_view bytes, std::optional<CivilDate> since) {
    MistakeLogContents contents;
    // "#yyyy-mm-dd#" compares as text in date order.
    const std::string first =
        since ? FormatLogLine({LogDate{since->year, since->month, since->day}}) : std::string();
    auto take = [&](std::string_view line, int number) {
        if (IsBlankLine(line))
            return;
        if (!first.empty() && line.size() > first.size() && line[0] == '#' &&
            line[first.size() - 1] == '#' && line.compare(0, first.size(), first) < 0)
            return;
        if (auto entry = ParseMistakeLine(line))
            contents.entries.push_back(std::move(*entry));
        else
            NoteDamaged(contents, number);
    };
    // The log grows in time order: the lines before `since` at its start are passed over
    // before decoding (a date is the same bytes in code page 932), and their numbers counted.
    int skipped = 0;
    if (!first.empty()) {
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::string_view rest = bytes.substr(at);
            if (rest.size() <= first.size() || rest[0] != '#' || rest[first.size() - 1] != '#' ||
                rest.compare(0, first.size(), first) >= 0)
                break;
            const std::size_t end = bytes.find('\n', at);
            if (end == std::string_view::npos)
                break;
            at = end + 1;
            ++skipped;
        }
        bytes = bytes.substr(at);
    }
    auto takeAfterSkipped = [&](std::string_view line, int number) {
        take(line, number + skipped);
    };
    // Bytes that are not code page 932 cost only their own line.
    ForEachCp932Line(bytes, takeAfterSkipped,
                     [&](int number) { NoteDamaged(contents, number + skipped); });
    return contents;
}

MistakeLogContents ReadMistakeLog(const std::filesystem::path& log) {
    std::error_code ec;
    if (!std::filesystem::exists(log, ec) && !ec)
        return {};
    return ParseMistakeLog(ReadWholeFile(log));
}

MistakeLogContents ReadMistakeLogSince(const std::filesystem::path& log, const CivilDate& firstDay,
                                       std::size_t chunkBytes) {
    std::error_code ec;
    if (!std::filesystem::exists(log, ec) && !ec)
        return {};
    const std::string file = PathText(log);
    std::ifstream in(log, std::ios::binary);
    if (!in)
        return ParseMistakeLog(ReadWholeFile(log));  // throws, naming the log and the reason
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0));
    const long long leewayDay = DaySerial(firstDay) - 1;
    std::size_t want = std::max<std::size_t>(chunkBytes, 1);
    while (true) {
        const std::size_t start = want >= size ? 0 : size - want;
        std::string bytes(size - start, '\0');
        in.clear();
        in.seekg(static_cast<std::streamoff>(start));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!in)
            throw DataFileError(file, "ファイルを読めません。");
        if (start == 0)
            return ParseMistakeLog(bytes, firstDay);
        // The chunk begins inside a line: that part line is left to the next, larger read.
        const std::size_t lineStart = bytes.find('\n');
        if (lineStart != std::string::npos) {
            const std::string_view rest = std::string_view(bytes).substr(lineStart + 1);
            const auto firstLineDate = ParseDate(rest.substr(0, rest.find(',')));
            if (firstLineDate && DaySerial(*firstLineDate) < leewayDay) {
                MistakeLogContents contents = ParseMistakeLog(rest, firstDay);
                contents.firstDamagedLines.clear();  // line numbers of a part are no use
                return contents;
            }
        }
        want *= 2;
    }
}

std::string DamagedLinesMessage(const std::filesystem::path& log,
                                const MistakeLogContents& contents) {
    if (contents.damagedLines == 0)
        return {};
    const std::string count =
        std::to_string(contents.damagedLines) + "行が壊れているため読み飛ばしました";
    if (contents.firstDamagedLines.empty())
        return PathText(log) + "\n" + count + "。";
    std::string lines;
    for (int n : contents.firstDamagedLines)
        lines += (lines.empty() ? "" : "、") + std::to_string(n);
    if (contents.damagedLines > static_cast<int>(contents.firstDamagedLines.size()))
        lines += "、ほか";
    return PathText(log) + "\n" + count + "（" + lines + "行目）。";
}

std::vector<PupilMistakeLog> FindMistakeLogs(std::string_view programDataFolder) {
    std::vector<PupilMistakeLog> logs;
    const std::filesystem::path folder = PathFromText(NormaliseFolder(programDataFolder));
    const std::string prefix = kMistakeLogPrefix;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = PathText(it->path().filename());
        if (name.size() <= prefix.size() + 4 || name.rfind(prefix, 0) != 0 ||
            name.substr(name.size() - 4) != ".csv")
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const auto pupil = WholeNumber(digits, 0, kMaxPupil);
        // "間違い012.csv" is not the log of pupil 12, whose log the program writes as 間違い12.csv.
        if (!pupil || digits != std::to_string(*pupil))
            continue;
        logs.push_back({*pupil, it->path()});
    }
    std::sort(logs.begin(), logs.end(),
              [](const PupilMistakeLog& a, const PupilMistakeLog& b) { return a.pupil < b.pupil; });
    return logs;
}

}  // namespace kagaku
