#include "roster/roster_file.h"

#include <cmath>
#include <cstdint>
#include <system_error>

#include "common/field_list.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text_ops.h"
#include "roster/school_grade.h"

namespace kagaku {

namespace {

constexpr std::size_t kFieldsPerPupil = 8;
// Number, birth year, two spare numbers, name and status must be present.
constexpr std::size_t kFieldsWithData = 6;

bool EqualsOne(const Variant& v) {
    if (v.IsEmpty()) {
        return false;
    }
    if (v.IsText() && !text::IsNumeric(v.ToText())) {
        return false;
    }
    return v.ToDouble() == 1.0;
}

std::string RecordPlace(int recordIndex) {
    return std::to_string(recordIndex) + "件目の生徒";
}

// An integer field as a 16-bit number: blank reads as 0, a fraction is rounded half to even.
std::int16_t ReadInteger(const std::string& field, int recordIndex, const char* what,
                         const std::string& file) {
    const std::string trimmed = text::Trim(field);
    if (trimmed.empty()) {
        return 0;
    }
    if (!text::IsNumeric(trimmed)) {
        throw RosterFileError(
            file, RecordPlace(recordIndex) + "の" + what + "「" + trimmed + "」が数ではありません",
            13);
    }
    const double value = text::Val(trimmed);
    const long long rounded =
        std::isfinite(value) && std::fabs(value) < 1e15 ? text::RoundHalfEven(value) : 100000;
    if (rounded < -32768 || rounded > 32767) {
        throw RosterFileError(file,
                              RecordPlace(recordIndex) + "の" + what + "「" + trimmed +
                                  "」が大きすぎます（-32768～32767）",
                              6);
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

std::filesystem::path RosterFilePath(std::string_view dataRoot) {
    return InFolder(dataRoot, kRosterFileName);
}

std::string FitRosterText(std::string_view text) {
    return text::PadRight(text::Left(text, kRosterTextWidth),
                          static_cast<std::size_t>(kRosterTextWidth));
}

void RunRosterPass(const std::filesystem::path& rosterFile, const Variant& rosterHideOption,
                   RosterTables& tables, const ListedPupilSink& onListed) {
    const std::string fileText = PathText(rosterFile);
    {
        std::error_code ec;
        if (!std::filesystem::exists(rosterFile, ec)) {
            throw RosterFileError(fileText, "名簿のファイルがありません", 53);
        }
    }
    FieldReader reader = FieldReader::FromFile(rosterFile);
    const bool listHidden = EqualsOne(rosterHideOption);

    int slot = 0;
    int recordIndex = 0;
    tables.FileOrder.clear();
    while (!reader.AtEnd()) {
        ++recordIndex;
        std::vector<std::string> fields(kFieldsPerPupil);
        for (std::size_t j = 0; j < fields.size(); ++j) {
            if (!reader.AtEnd()) {
                fields[j] = reader.Next();
            } else if (j < kFieldsWithData) {
                throw RosterFileError(
                    fileText,
                    RecordPlace(recordIndex) + "の途中でファイルが終わっています（1人8項目）", 62);
            }
            // The two spare texts may be empty at the very end of the file ("...,0,,"): the
            // last empty field leaves nothing behind for the reader to find.
        }
        RosterRecord record;
        record.Number = ReadInteger(fields[0], recordIndex, "番号", fileText);
        record.BirthYear = ReadInteger(fields[1], recordIndex, "生まれ年", fileText);
        record.Spare1 = ReadInteger(fields[2], recordIndex, "予備の数1", fileText);
        record.Spare2 = ReadInteger(fields[3], recordIndex, "予備の数2", fileText);
        record.Name = FitRosterText(fields[4]);
        std::int16_t status = ReadInteger(fields[5], recordIndex, "区分", fileText);
        record.SpareText1 = FitRosterText(fields[6]);
        record.SpareText2 = FitRosterText(fields[7]);

        if (record.Number < 0 || record.Number > kMaxPupil) {
            throw RosterFileError(fileText,
                                  RecordPlace(recordIndex) + "の番号 " +
                                      std::to_string(record.Number) +
                                      " が 0～5000 の範囲にありません",
                                  9);
        }
        if (status == 2 && listHidden) {
            status = 0;
        }

        const auto n = static_cast<std::size_t>(record.Number);
        tables.FileOrder.push_back(record.Number);
        tables.RosterName[n] = record.Name;
        tables.RosterBirthYear[n] = record.BirthYear;
        const int grade = GradeNumberOf(tables.SchoolYear, record.BirthYear);
        std::string fullLabel = FullWidthGradeLabel(grade);
        if (!fullLabel.empty()) {
            tables.RosterGradeLabel[n] = std::move(fullLabel);
        }
        if (status != 0) {
            continue;
        }
        if (slot >= kMaxListedPupils) {
            throw RosterFileError(
                fileText, "載せる生徒が5000人を超えています（" + RecordPlace(recordIndex) + "）",
                9);
        }
        ++slot;
        const auto k = static_cast<std::size_t>(slot);
        tables.RosterNumberAt[k] = record.Number;
        tables.RosterRecords[k] = record;
        if (onListed) {
            onListed(tables.RosterRecords[k], slot, grade);
        }
    }
    tables.RosterCount = slot;
}

}  // namespace kagaku
