#pragma once
// The score record manager (FrmData): one line per record of the whole file, built from one
// read; the edit panel's values for one record; and the checks of a teacher's correction. The
// rewrite and the deletion themselves go through the record file's lock (records/), compared
// against the bytes the teacher saw.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/errors.h"
#include "common/ole_date.h"
#include "records/score_record_file.h"
#include "state/program_setup.h"

namespace kagaku::admin {

// The roster by pupil number (every record of 新名簿.txt, listed or not), and Combo1's items.
struct RosterLookup {
    std::vector<std::string> NameOf = std::vector<std::string>(kPupilSlots);   // trimmed
    std::vector<std::string> GradeOf = std::vector<std::string>(kPupilSlots);  // full-width label
    std::vector<std::string> PupilItems;  // " 12 /  name", one per roster record in file order
};

// Reads the roster with the grades of today's school year. A roster that is not there gives
// empty names; a damaged one throws DataFileError.
RosterLookup ReadRosterLookup(const ProgramSetup& setup, const CivilDate& today);

// The school column of a line: the school's name for the school's own records (the code
// compared as the writer stores it, so a school without a code knows its own records too),
// "他塾" for every other record.
struct OwnSchool {
    RecordText Code;
    std::string Name;
};
OwnSchool OwnSchoolOf(const ProgramSetup& setup);

struct RecordListing {
    std::vector<std::uint64_t> Numbers;  // record number of each line, ascending
    std::vector<std::string> Lines;
    // The record's bytes as read for each line: when another PC deletes a record, every later
    // record moves up one number, so a number alone would name the record after the chosen one.
    std::vector<ScoreRecordBytes> Bytes;
};

// Every record of the window except those of level 0, in record order. The number column is
// four characters wide, wider when the file holds record numbers of five digits or more.
RecordListing BuildRecordListing(const RecordWindow& records, const RosterLookup& roster,
                                 const OwnSchool& school);

// The line to select after a rewrite of record n (its own line) or after the deletion of
// record n (the line of the record that followed it, else the last line). Nothing for an
// empty list.
std::optional<std::size_t> LineOfRecord(const RecordListing& listing, std::uint64_t n);
std::optional<std::size_t> LineAfterDeletion(const RecordListing& listing, std::uint64_t n);

// List1_DblClick: the record of line `line` as the file holds it now. Nothing when the file no
// longer holds that line's bytes at its number (another PC deleted or changed a record since
// the list was read): the screen then says kRecordChangedMessage and reads the list again.
// Throws FileOperationError when the file cannot be read.
std::optional<ScoreRecord> ReadListedRecord(const std::filesystem::path& file,
                                            const RecordListing& listing, std::size_t line);

// What the edit panel shows for a record.
struct EditPanel {
    std::string Level;    // Label2(1): "ﾚﾍﾞﾙ 3"
    std::string Date;     // Label2(2): yyyy/mm/dd
    std::string Grade;    // Label2(4)
    std::string Seconds;  // Text1(1): " 45", " 99999" for a timed-out run
    int ScrollValue = 0;  // VScroll1
    std::string Pupil;    // Combo1: " 12 /  name"
};
inline constexpr int kSecondsScrollMaximum = kTimedOutSeconds;
EditPanel EditPanelFor(const ScoreRecord& record, const RosterLookup& roster);

// The pupil number in front of "/" in Combo1's text; grade label for Combo1_Click.
std::optional<int> PupilOfEntry(const std::string& entry);

// The record as the teacher corrected it: pupil from the combo text, seconds from the box;
// everything else as read. A refusal is a message for the teacher; nothing is written then.
std::variant<ScoreRecord, std::string> CorrectedRecord(const ScoreRecord& read,
                                                       const std::string& pupilEntry,
                                                       const std::string& secondsText);

// 変更して記録 and 消去 of line `line` under the writers' lock, written only while the file
// still holds that line's bytes at its number (RecordDiffers otherwise: nothing written).
// Throw DataFileError as RewriteScoreRecord and DeleteScoreRecord do, and DeletionFault for a
// deletion that failed part way.
RecordChange RewriteListedRecord(const std::filesystem::path& file, const RecordListing& listing,
                                 std::size_t line, const ScoreRecord& corrected,
                                 RecordFileWaiter& waiter);
RecordChange DeleteListedRecord(const std::filesystem::path& file, const RecordListing& listing,
                                std::size_t line, RecordFileWaiter& waiter);

// A deletion that failed part way, after the manager at once took the lock again to finish or
// drop it (as the list's rebuild would): headline() tells the teacher which came of it.
class DeletionFault : public DataFileError {
public:
    DeletionFault(const DeletionInterrupted& fault, std::optional<InterruptedDeletion> then);
    // Nothing: finishing failed too, and the copy is left for the next writer.
    const std::optional<InterruptedDeletion>& then() const { return then_; }
    const std::string& headline() const { return headline_; }

private:
    std::optional<InterruptedDeletion> then_;
    std::string headline_;
};

inline constexpr const char* kRecordChangedMessage =
    "この記録はほかのパソコンで変更されました。一覧を読み直します。";

}  // namespace kagaku::admin
