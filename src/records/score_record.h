#pragma once
// One record of the score record file: 44 bytes, little-endian integers, OLE date doubles and
// three 5-byte code page 932 text fields, packed without padding.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/variant.h"

namespace kagaku {

inline constexpr std::size_t kScoreRecordSize = 44;
inline constexpr const char* kScoreRecordFileName = "成績累積データ.dat";
inline constexpr std::int32_t kTimedOutSeconds = 99999;
// Runs of this many seconds or more are left out of every run count.
inline constexpr std::int32_t kUncountedSeconds = 6000;
// Runs of this many seconds or more earn no points.
inline constexpr std::int32_t kPointlessSeconds = 99998;

using RecordText = std::array<char, 5>;  // bytes as stored, code page 932, space padded

struct ScoreRecord {
    double RunDate = 0.0;       // the day of the run, no time part
    double RunTimeOfDay = 0.0;  // the clock time the record was written, no date part
    std::int16_t PupilNumber = 0;
    std::int16_t Level = 0;
    std::int32_t Seconds = 0;  // 99999 for a timed-out run
    RecordText SchoolCode{' ', ' ', ' ', ' ', ' '};
    RecordText TallyText{' ', ' ', ' ', ' ', ' '};
    RecordText PointsText{' ', '0', ' ', ' ', ' '};
    RecordText Reserved{' ', ' ', ' ', ' ', ' '};
};

using ScoreRecordBytes = std::array<char, kScoreRecordSize>;

ScoreRecordBytes EncodeScoreRecord(const ScoreRecord& record);
// bytes points at kScoreRecordSize bytes.
ScoreRecord DecodeScoreRecord(const char* bytes);

// UTF-8 text as a 5-byte field: code page 932, left-aligned, cut to five bytes (never inside a
// double-byte character) and padded with spaces.
RecordText MakeRecordText(std::string_view utf8);
// The field's text in UTF-8, trailing spaces removed; bytes that are not code page 932 show as
// "?".
std::string RecordTextValue(const RecordText& field);

// The record of a finished run, dated by the clock: today's date and the clock time in whole
// seconds. The school code is written as text ("12345"); a school without one gets five spaces.
ScoreRecord MakeRunRecord(const Clock& clock, int pupil, int level, std::int32_t seconds,
                          const Variant& schoolCode);

// Why the aggregation leaves a record out of every table.
enum class RecordProblem {
    BadDate,          // negative, not a number, or beyond the year 9999
    LevelZero,        // level 0: no real run
    PupilZero,        // pupil 0: no real run
    LevelOutOfRange,  // below 0 or above 35
    PupilOutOfRange,  // below 0 or above 5000
    NegativeSeconds,
};

// The last date a date value can hold is 31 December 9999.
inline constexpr double kDateLimit = 2958466.0;

// True for a real run the tables count: a date from 30 December 1899 to the year 9999, level
// 1..35, pupil 1..5000 and seconds not negative. (CheckScoreRecord says why not.)
inline bool IsCountableRun(double date, int pupil, int level, std::int32_t seconds) {
    return date >= 0.0 && date < kDateLimit && level >= 1 && level <= 35 && pupil >= 1 &&
           pupil <= 5000 && seconds >= 0;
}

// Nothing when the record is a real run the tables count.
std::optional<RecordProblem> CheckScoreRecord(const ScoreRecord& record);
// A Japanese description of the problem, with the offending value.
std::string DescribeRecordProblem(RecordProblem problem, const ScoreRecord& record);

}  // namespace kagaku
