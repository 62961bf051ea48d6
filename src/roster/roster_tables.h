#pragma once
// Roster and sign-in: the school's pupils as 新名簿.txt lists them, their school grades, and
// the name screen's list. The roster pass reads the file afresh on every rebuild of the name
// list and overwrites these tables; the level menu, the score board and the record manager read
// them by pupil number until the next pass.

#include <cstdint>
#include <string>
#include <vector>

#include "records/aggregates.h"

namespace kagaku {

// Text fields of a roster record are kept at exactly this many characters.
inline constexpr int kRosterTextWidth = 20;
// The roster holds at most this many listed pupils (slots 1..5000).
inline constexpr int kMaxListedPupils = kMaxPupil;

// One pupil as the roster file holds it; the status field decides the listing and is not kept.
struct RosterRecord {
    std::int16_t Number = 0;
    std::int16_t BirthYear = 0;
    std::int16_t Spare1 = 0;
    std::int16_t Spare2 = 0;
    std::string Name;        // 20 characters, padded with spaces
    std::string SpareText1;  // 20 characters
    std::string SpareText2;  // 20 characters
};

struct RosterTables {
    // Slots 1..RosterCount hold the listed pupils in file order; slot 0 never holds a pupil.
    std::vector<RosterRecord> RosterRecords = std::vector<RosterRecord>(kPupilSlots);
    int RosterCount = 0;
    // Pupil number of the pupil in each slot.
    std::vector<std::int16_t> RosterNumberAt = std::vector<std::int16_t>(kPupilSlots, 0);

    // By pupil number, written for every record read, listed or not; an entry whose number the
    // file no longer holds keeps what an earlier pass left in it.
    std::vector<std::string> RosterName = std::vector<std::string>(kPupilSlots);
    std::vector<std::int16_t> RosterBirthYear = std::vector<std::int16_t>(kPupilSlots, 0);
    std::vector<std::string> RosterGradeLabel = std::vector<std::string>(kPupilSlots);
    // The pupil number of every record of the last pass, listed or not, in file order.
    std::vector<std::int16_t> FileOrder;

    // The school year of the last pass.
    int SchoolYear = 0;
};

}  // namespace kagaku
