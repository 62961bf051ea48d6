#include "roster/name_list.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "common/text_ops.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"

namespace kagaku {

namespace {

constexpr const char* kIdeographicSpace = "　";

std::string LastDigits(std::string_view blanks, long long n, long long width) {
    std::string s(blanks);
    s += text::NumberText(n);
    return text::Right(s, width);
}

// Folds the letters whose case a sorted list box ignores: A-Z and their full-width forms.
std::string FoldCase(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + ('a' - 'A'));
        } else if (c == 0xEF && i + 2 < out.size()) {
            // U+FF21..U+FF3A (Ａ..Ｚ) are EF BC A1..EF BC BA; U+FF41.. (ａ..) are EF BD 81..
            const auto c1 = static_cast<unsigned char>(out[i + 1]);
            const auto c2 = static_cast<unsigned char>(out[i + 2]);
            if (c1 == 0xBC && c2 >= 0xA1 && c2 <= 0xBA) {
                out[i + 1] = static_cast<char>(0xBD);
                out[i + 2] = static_cast<char>(c2 - 0xA1 + 0x81);
            }
            i += 2;
        }
    }
    return out;
}

}  // namespace

const std::array<std::string, kListModeCount>& ListModeCaptions() {
    static const std::array<std::string, kListModeCount> kCaptions = {
        "回数(今日／今まで）", "ポイント（今日／今まで）", "本日（ポイント／回数）",
        "今まで（ポイント／回数）"};
    return kCaptions;
}

const std::array<std::string, 12>& NameScreenGradeChoices() {
    static const std::array<std::string, 12> kChoices = {
        "全学年", "中学生全体", "小学生全体", "中３", "中２", "中１",
        "小６",   "小５",       "小４",       "小３", "小２", "小１"};
    return kChoices;
}

PupilTotals SumPupilTotals(const ScoreAggregates& aggregates, int pupil) {
    PupilTotals t;
    for (int level = 1; level <= kMaxLevel; ++level) {
        t.TodayRuns += aggregates.TodayRunCount.at(level, pupil);
        t.AllRuns += aggregates.RunCount.at(level, pupil);
        t.TodayPoints += aggregates.TodayPoints.at(level, pupil);
        t.AllPoints += aggregates.TotalPoints.at(level, pupil);
    }
    return t;
}

std::string TodayRunsFigure(long long n) {
    return n != 0 ? LastDigits("  ", n, 3) + "回" : "     ";
}

std::string TodayPointsFigure(long long n) {
    return n != 0 ? LastDigits("   ", n, 4) : "  　";
}

std::string AllRunsFigure(long long n) {
    return n != 0 ? LastDigits("      ", n, 5) + "回" : "     　";
}

std::string AllPointsFigure(long long n) {
    return n != 0 ? LastDigits("      ", n, 7) : "       ";
}

std::string NameRow(const RosterRecord& record, int gradeNumber, int listMode,
                    const PupilTotals& totals) {
    const std::string label = ShortGradeLabel(gradeNumber);
    const std::string name = text::Trim(record.Name);
    const long long width = (gradeNumber <= 0 && listMode != 1) ? 11 : 9;
    const long long used = static_cast<long long>(text::Length(label) + 1 + text::Length(name));

    std::string row = text::NumberText(static_cast<long long>(record.BirthYear));
    row += label;
    row += ' ';
    row += name;
    if (width - used > 0) {
        row += text::Repeat(kIdeographicSpace, width - used);
    }
    switch (listMode) {
        case 1:
            row += TodayPointsFigure(totals.TodayPoints) + "/" + AllPointsFigure(totals.AllPoints);
            break;
        case 2:
            row += TodayPointsFigure(totals.TodayPoints) + "/" + TodayRunsFigure(totals.TodayRuns);
            break;
        case 3:
            row += AllPointsFigure(totals.AllPoints) + "/" + AllRunsFigure(totals.AllRuns);
            break;
        default:
            row += TodayRunsFigure(totals.TodayRuns) + "/" + AllRunsFigure(totals.AllRuns);
            break;
    }
    row += '*';
    row += text::NumberText(static_cast<long long>(record.Number));
    return row;
}

bool NameListShows(std::string_view gradeFilter, int g) {
    if (gradeFilter == "全学年") {
        return true;
    }
    if (gradeFilter == "小学生全体") {
        return g >= 1 && g <= 6;
    }
    if (gradeFilter == "中学生全体") {
        return g >= 7 && g <= 9;
    }
    static const std::array<std::pair<const char*, int>, 9> kSingle = {{{"小１", 1},
                                                                        {"小２", 2},
                                                                        {"小３", 3},
                                                                        {"小４", 4},
                                                                        {"小５", 5},
                                                                        {"小６", 6},
                                                                        {"中１", 7},
                                                                        {"中２", 8},
                                                                        {"中３", 9}}};
    for (const auto& [text, grade] : kSingle) {
        if (gradeFilter == text) {
            return g == grade;
        }
    }
    return false;
}

bool SortedListLess(std::string_view a, std::string_view b) {
    return FoldCase(a) < FoldCase(b);
}

NameList ArrangeNameList(std::vector<std::string> rows, int schoolYear,
                         std::string_view gradeFilter) {
    // Fold once per row, then order the positions; UTF-8 byte order is character order.
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const auto& row : rows) {
        keys.push_back(FoldCase(row));
    }
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t x, std::size_t y) { return keys[x] < keys[y]; });

    NameList list;
    list.Visible.reserve(rows.size() + 1);
    list.Numbered.reserve(rows.size());
    list.Visible.emplace_back(kNameListSeparator);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const std::string& row = rows[*it];
        const long long year = text::Int(text::Val(text::Left(row, 4)));
        const int g = schoolYear - static_cast<int>(year) - 6;
        if (!NameListShows(gradeFilter, g)) {
            continue;
        }
        std::string numbered = text::Mid(row, 5);
        const std::size_t star = numbered.rfind('*');
        list.Visible.push_back(star == std::string::npos ? numbered : numbered.substr(0, star));
        list.Numbered.push_back(std::move(numbered));
    }
    return list;
}

NameList RebuildNameList(const ProgramSetup& setup, const ScoreAggregates& standing,
                         RosterTables& roster, const Clock& clock, int listMode,
                         std::string_view gradeFilter, NameListProgress& progress,
                         const std::function<void()>& aggregate) {
    progress.Marker = 1;
    roster.SchoolYear = SchoolYearOf(clock.TodayDate(), setup.SchoolYearStartMonth);
    progress.Marker = 1.5;
    if (aggregate) {
        aggregate();
    }
    progress.Marker = 2;

    std::vector<std::string> rows;
    progress.Marker = 3;
    RunRosterPass(RosterFilePath(setup.DataRoot), setup.RosterHideOption, roster,
                  [&](const RosterRecord& record, int /*slot*/, int gradeNumber) {
                      const PupilTotals totals = SumPupilTotals(standing, record.Number);
                      progress.Marker = 4;
                      rows.push_back(NameRow(record, gradeNumber, listMode, totals));
                  });
    progress.Marker = 10;
    return ArrangeNameList(std::move(rows), roster.SchoolYear, gradeFilter);
}

std::string ClickCaption(std::string_view visibleRow) {
    return text::Trim(text::Left(text::Trim(visibleRow), 10));
}

std::string DoubleClickCaption(std::string_view visibleRow) {
    const std::size_t slash = visibleRow.find('/');
    return text::Trim(visibleRow.substr(0, slash));
}

std::string PupilNumberText(std::string_view numberedRow) {
    const std::size_t star = numberedRow.rfind('*');
    if (star == std::string_view::npos) {
        return "";
    }
    return std::string(numberedRow.substr(star + 1));
}

}  // namespace kagaku
