#pragma once
// What every score-board line shares: the pupil's grade number from the roster tables, the
// grade mark beside a name, the grade filter of the board's grade box, and the name fields.

#include <array>
#include <string>
#include <string_view>

#include "roster/roster_tables.h"

namespace kagaku {

// The signed-in pupil's own lines carry this in place of the grade mark.
inline constexpr const char* kOwnMark = "●";

// SchoolYear less the pupil's BirthYear less 6, from the last roster pass.
int BoardGradeNumber(const RosterTables& roster, int pupil);

// "①".."⑥" for grades 1..6, "Ⅰ".."Ⅲ" for 7..9, a full-width space for any other grade.
std::string GradeMark(int gradeNumber);

// Whether a pupil of the grade is listed under the grade box's text: "全学年" and "家族" pass
// everyone, "小学生全体" 1..6, "中学生全体" 7..9, "小１".."小６" and "中１".."中３" one grade,
// anything else nobody.
bool GradeFilterPasses(std::string_view filterText, int gradeNumber);

// The twelve entries of the board's grade box, in order.
const std::array<std::string, 12>& BoardGradeChoices();

// Run lists: the trimmed name padded with full-width spaces and cut to five characters.
std::string RunListNameField(std::string_view rosterName);
// Rankings: the name without trailing spaces, padded with full-width spaces, cut to five.
std::string RankingNameField(std::string_view rosterName);

}  // namespace kagaku
