#include "board/grade_marks.h"

#include "common/text_ops.h"
#include "roster/name_list.h"

namespace kagaku {

int BoardGradeNumber(const RosterTables& roster, int pupil) {
    if (pupil < 0 || pupil > kMaxPupil) {
        return -99;
    }
    return roster.SchoolYear - roster.RosterBirthYear[static_cast<std::size_t>(pupil)] - 6;
}

std::string GradeMark(int gradeNumber) {
    static const std::array<const char*, 9> kMarks = {"①", "②", "③", "④", "⑤", "⑥", "Ⅰ", "Ⅱ", "Ⅲ"};
    if (gradeNumber >= 1 && gradeNumber <= 9) {
        return kMarks[static_cast<std::size_t>(gradeNumber - 1)];
    }
    return "　";
}

bool GradeFilterPasses(std::string_view filterText, int gradeNumber) {
    if (filterText == "家族") {
        return true;
    }
    // The remaining texts pass the same grades as the name screen's grade box.
    return NameListShows(filterText, gradeNumber);
}

const std::array<std::string, 12>& BoardGradeChoices() {
    return NameScreenGradeChoices();
}

std::string RunListNameField(std::string_view rosterName) {
    return text::Left(text::Trim(rosterName) + "　　　　", 5);
}

std::string RankingNameField(std::string_view rosterName) {
    return text::Left(text::TrimRight(rosterName) + "　　　　　　", 5);
}

}  // namespace kagaku
