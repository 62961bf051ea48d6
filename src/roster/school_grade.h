#pragma once
// School years and grades. A pupil's BirthYear is the school year in which the pupil was born,
// so the grade number is the current school year less BirthYear less 6: 0 is the last
// kindergarten year, 1 to 6 elementary, 7 to 9 junior high, 10 to 12 senior high.

#include <string>

#include "common/ole_date.h"
#include "common/variant.h"

namespace kagaku {

// The calendar year of today, less 1 while today's month lies before the start month.
int SchoolYearOf(const CivilDate& today, const Variant& schoolYearStartMonth);

int GradeNumberOf(int schoolYear, int birthYear);

// The full-width label ("幼３", "小１" ... "中３", "高１") for grade numbers 0 to 10; "" for every
// other grade number, whose table entry is then left as it was.
std::string FullWidthGradeLabel(int gradeNumber);

// The short label of name-list rows ("幼-", "幼1" ... "小1" ... "高3", "大+"); covers every value.
std::string ShortGradeLabel(int gradeNumber);

}  // namespace kagaku
