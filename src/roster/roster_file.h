#pragma once
// The roster file 新名簿.txt in the data root: a field list in code page 932, eight fields per
// pupil (number, birth year, two spare numbers, name, status, two spare texts). Status 0 lists
// the pupil, status 2 lists the pupil only when the roster hide option is 1, any other status
// keeps the pupil off the lists. Every record read, listed or not, updates the lookup tables by
// pupil number, so the score screens can still name a pupil who has left the listing.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/variant.h"
#include "roster/roster_tables.h"

namespace kagaku {

inline constexpr const char* kRosterFileName = "新名簿.txt";

// A fault of the roster file. Besides the file and the problem it carries the run-time error
// number that the name list's final message shows (53 missing file, 13 not a number, 6 out of
// the 16-bit range, 9 no such table slot, 62 the file ends inside a record).
class RosterFileError : public DataFileError {
public:
    RosterFileError(std::string file, std::string problem, int errorNumber)
        : DataFileError(std::move(file), std::move(problem)), errorNumber_(errorNumber) {}
    int ErrorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

std::filesystem::path RosterFilePath(std::string_view dataRoot);

// A text fitted to the 20-character field: cut to its first 20 characters or padded with
// spaces on the right.
std::string FitRosterText(std::string_view text);

// Receives each listed pupil as soon as it is read: the record, its slot and its grade number.
using ListedPupilSink = std::function<void(const RosterRecord& record, int slot, int gradeNumber)>;

// The roster pass: reads the whole file, fills the tables (RosterCount last) and hands every
// listed pupil to onListed before the next record is read. tables.SchoolYear must already hold
// the current school year. Throws RosterFileError when the file is missing or unreadable, a
// number field is not a 16-bit integer, a pupil number lies outside 0..5000, more than 5000
// pupils would be listed, or the file ends inside a record. Tables written before the fault
// keep their new values.
void RunRosterPass(const std::filesystem::path& rosterFile, const Variant& rosterHideOption,
                   RosterTables& tables, const ListedPupilSink& onListed = {});

}  // namespace kagaku
