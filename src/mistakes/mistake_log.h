#pragma once
// The mistake log of one pupil: 間違い<n>.csv in the program's data folder, beside the give-up
// logs and in the same field-list form (code page 932, CR LF, text in double quotes, numbers
// plainly, dates as #yyyy-mm-dd#). One line per answer judged wrong in a timed drill and per
// answer revealed with 答え表示 in practice:
//
//     #2024-06-10#,#09:05:03#,8,4,"硫酸イオン","SO4-2","SO4-"
//
// date, time of day, level, the problem's category, its question and its answer as the problem
// file holds them, and what the pupil typed ("" for a revealed answer). A double quote cannot
// stand inside a quoted field, so one in a problem's text is written as the full-width "”"
// (LoggedText); everything else is kept as it is, commas included. The log is only ever
// appended to; every line is read on its own, so a damaged line costs only itself.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ole_date.h"

namespace kagaku {

inline constexpr const char* kMistakeLogPrefix = "間違い";

struct MistakeEntry {
    CivilDate date;
    TimeOfDay time;
    int level = 0;
    int category = 0;
    std::string question;  // as LoggedText writes it
    std::string answer;    // the answer notation, as LoggedText writes it
    std::string typed;     // what the pupil typed; "" for an answer revealed in practice
    friend bool operator==(const MistakeEntry&, const MistakeEntry&) = default;
};

// ProgramDataFolder & "間違い" & the pupil number & ".csv" (pupil 12 has 間違い12.csv).
std::filesystem::path MistakeLogPath(std::string_view programDataFolder, int pupilNumber);

// A problem's text as the log holds it: a double quote becomes "”".
std::string LoggedText(std::string_view text);

// The line of an entry (UTF-8, without its line end).
std::string MistakeLogLine(const MistakeEntry& entry);

// Appends the entry's line, in code page 932 with CR LF, in one write (common/files.h): the
// cost does not grow with the log. Throws DataFileError naming the log when it cannot be
// written, or when a text has no code page 932 form (nothing is written then).
void AppendMistake(const std::filesystem::path& log, const MistakeEntry& entry);

// One line of the log (UTF-8, without its line end) as an entry; nothing when it is damaged:
// not seven fields, a date or time that is not one, a level outside 1..35 or a category
// outside 1..18.
std::optional<MistakeEntry> ParseMistakeLine(std::string_view line);

struct MistakeLogContents {
    std::vector<MistakeEntry> entries;  // in file order
    int damagedLines = 0;
    // The numbers (1-based) of the first few damaged lines, for a message.
    std::vector<int> firstDamagedLines;
};

// The entries of a log's bytes. Lines that are blank are skipped; a line that is damaged
// (including bytes that are not code page 932) is counted and skipped, and the lines after it
// are read as usual.
// With `since`, a line that begins with a date before it is passed over unread (neither an
// entry nor damage): a window's read spends nothing on the lines before it.
MistakeLogContents ParseMistakeLog(std::string_view bytes,
                                   std::optional<CivilDate> since = std::nullopt);

// Reads a pupil's log. A missing log is an empty one (the pupil has made no mistakes yet).
// Throws DataFileError naming the log when it exists but cannot be read.
MistakeLogContents ReadMistakeLog(const std::filesystem::path& log);

// Reads the end of a pupil's log back to the lines before firstDay: the log grows in time
// order, so a window of days needs only its last part, however many years the log holds.
// Reads chunkBytes from the end, then twice as much, and so on, until the first whole line
// read is dated more than a day before firstDay (a day's leeway for PCs whose clocks differ)
// or the whole log is read. Only the lines from firstDay on are returned. Throws as
// ReadMistakeLog.
MistakeLogContents ReadMistakeLogSince(const std::filesystem::path& log, const CivilDate& firstDay,
                                       std::size_t chunkBytes = 64 * 1024);

// A message naming the log and its damaged lines, or "" when none is damaged.
std::string DamagedLinesMessage(const std::filesystem::path& log,
                                const MistakeLogContents& contents);

struct PupilMistakeLog {
    int pupil = 0;
    std::filesystem::path path;
};

// Every pupil's mistake log in the folder (names 間違い<n>.csv, n in 0..5000 written without
// leading zeros), in pupil order. A folder that cannot be listed gives none.
std::vector<PupilMistakeLog> FindMistakeLogs(std::string_view programDataFolder);

}  // namespace kagaku
