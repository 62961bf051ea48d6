#include "roster/school_grade.h"

#include <array>

namespace kagaku {

int SchoolYearOf(const CivilDate& today, const Variant& schoolYearStartMonth) {
    if (static_cast<double>(today.month) < schoolYearStartMonth.ToDouble()) {
        return today.year - 1;
    }
    return today.year;
}

int GradeNumberOf(int schoolYear, int birthYear) {
    return schoolYear - birthYear - 6;
}

std::string FullWidthGradeLabel(int gradeNumber) {
    static const std::array<const char*, 11> kLabels = {
        "幼３", "小１", "小２", "小３", "小４", "小５", "小６", "中１", "中２", "中３", "高１"};
    if (gradeNumber < 0 || gradeNumber > 10) {
        return "";
    }
    return kLabels[static_cast<std::size_t>(gradeNumber)];
}

std::string ShortGradeLabel(int gradeNumber) {
    static const std::array<const char*, 16> kLabels = {"幼1", "幼2", "幼3", "小1", "小2", "小3",
                                                        "小4", "小5", "小6", "中1", "中2", "中3",
                                                        "高1", "高2", "高3", "大+"};
    if (gradeNumber < -2) {
        return "幼-";
    }
    if (gradeNumber > 13) {
        gradeNumber = 13;
    }
    return kLabels[static_cast<std::size_t>(gradeNumber + 2)];
}

}  // namespace kagaku
