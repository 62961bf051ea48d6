#include "admin/new_school.h"

#include <array>
#include <system_error>
#include <vector>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "records/level_settings.h"
#include "records/score_record.h"
#include "roster/roster_file.h"
#include "sound/project_tones.h"
#include "state/configuration.h"

namespace kagaku::admin {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLineEnd = "\r\n";

// The levels' settings a school starts with (levels 1 to 12): practice levels hold nothing
// back (clear points 9999); each drill level asks for 30 points in 3 runs within 14 days, its
// minimum time half as long again as its target, and bars practice after 8 runs or 80 points
// in a day. The harder levels count for more points.
const std::vector<std::array<std::string, kSettingsColumns>>& DefaultLevelRows() {
    static const std::vector<std::array<std::string, kSettingsColumns>> rows = [] {
        const std::array<std::string, kSettingsColumns> practice = {
            "0", "0", "9999", "0", "1", "0", "0", "14", "1", "", "", ""};
        auto drill = [](const char* target, const char* minimum, const char* multiplier) {
            return std::array<std::string, kSettingsColumns>{
                target, minimum, "30", "3", multiplier, "8", "80", "14", "1", "", "", ""};
        };
        return std::vector<std::array<std::string, kSettingsColumns>>{
            LevelSettingsHeadings(),    practice, drill("60", "90", "1"),     practice,
            drill("90", "135", "1"),    practice, drill("150", "225", "1.5"), practice,
            drill("90", "135", "1"),    practice, drill("120", "180", "1.3"), practice,
            drill("120", "180", "1.3"),
        };
    }();
    return rows;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + kLineEnd;
    return text;
}

bool IsFiveDigits(const std::string& code) {
    if (code.size() != 5)
        return false;
    for (char c : code) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// Writes UTF-8 text as code page 932.
void WriteTextFile(const fs::path& file, const std::string& text) {
    WriteFileAtomically(file, Utf8ToCp932(text, PathText(file)));
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    const bool there = fs::exists(p, ec);
    // An entry that cannot even be looked at is not a free place to write.
    return there || (ec && ec != std::errc::no_such_file_or_directory);
}

}  // namespace

std::string CommonFileText(const NewSchool& school) {
    if (school.Name.empty())
        throw NewSchoolRefused("学校名が空です");
    if (school.Name.find_first_of("\"\r\n") != std::string::npos)
        throw NewSchoolRefused("学校名に \" や改行は使えません: " + school.Name);
    if (!school.Code.empty() && !IsFiveDigits(school.Code))
        throw NewSchoolRefused("学校コードは5桁の数字です: " + school.Code);
    if (school.Code == "00000")
        throw NewSchoolRefused(
            "学校コード 00000 は使えません（コードのない学校と同じに読まれます）");

    std::string field = school.Code + school.Name;
    if (field.find(',') != std::string::npos || field != text::Trim(field))
        field = "\"" + field + "\"";
    const std::string text = "4," + field + ",0,,,,,,," + kLineEnd;

    // The file must give back exactly this code and name.
    FieldReader reader(text, kCommonFileName);
    reader.Next();
    Variant code;
    std::string name;
    SplitSchoolField(reader.Next(), code, name);
    if (code.ToText() != school.Code || name != school.Name) {
        if (school.Code.empty())
            throw NewSchoolRefused("学校コードなしでは、数字で始まる学校名は使えません: " +
                                   school.Name);
        throw NewSchoolRefused("学校名が共通データ.txtに書けません: " + school.Name);
    }
    return text;
}

void CreateSchoolTree(const fs::path& dataRoot, std::string_view programFolderName,
                      const NewSchool& school) {
    const std::string commonText = CommonFileText(school);
    // Everything is encoded before anything is written, so a name the code page cannot hold
    // leaves no trace.
    Utf8ToCp932(commonText, PathText(dataRoot / PathFromText(kCommonFileName)));

    std::error_code ec;
    if (Exists(dataRoot) && !fs::is_directory(dataRoot, ec))
        throw NewSchoolRefused(PathText(dataRoot) + " はフォルダではありません");
    const fs::path programData = dataRoot / PathFromText(programFolderName);
    const std::array<fs::path, 4> parts = {dataRoot / PathFromText(kCommonFileName),
                                           dataRoot / PathFromText(kRosterFileName),
                                           dataRoot / PathFromText(kSoundFolderName), programData};
    for (const fs::path& part : parts) {
        if (Exists(part))
            throw NewSchoolRefused(PathText(dataRoot) + " にはすでにデータがあります（" +
                                   PathText(part.filename()) + "）。何も書き換えていません");
    }

    const bool madeRoot = !Exists(dataRoot);
    try {
        fs::create_directories(dataRoot, ec);
        if (ec)
            throw DataFileError(PathText(dataRoot),
                                "フォルダを作れません（" + ec.message() + "）。");
        for (const fs::path& folder : {parts[2], programData}) {
            if (!fs::create_directory(folder, ec) || ec)
                throw DataFileError(PathText(folder),
                                    "フォルダを作れません（" + ec.message() + "）。");
        }

        WriteTextFile(parts[2] / PathFromText(kSoundTableFileName),
                      JoinLines(ProjectSoundTableLines()));
        WriteProjectTones(parts[2]);

        std::vector<std::string> levelLines;
        for (const auto& row : DefaultLevelRows())
            levelLines.push_back(FormatPlainLine({row.begin(), row.end()}));
        WriteTextFile(programData / PathFromText(kLevelSettingsFileName), JoinLines(levelLines));
        WriteFileAtomically(programData / PathFromText(kScoreRecordFileName), "");

        WriteTextFile(parts[1], JoinLines({"1,1980,0,0,\"先生\",0,\"\",\"\""}));
        // Last, so that a tree with 共通データ.txt is a whole one.
        WriteTextFile(parts[0], commonText);
    } catch (...) {
        std::error_code ignored;
        if (madeRoot) {
            fs::remove_all(dataRoot, ignored);
        } else {
            for (const fs::path& part : parts)
                fs::remove_all(part, ignored);
        }
        throw;
    }
}

}  // namespace kagaku::admin
