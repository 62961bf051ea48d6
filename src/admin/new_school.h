#pragma once
// A new school's data tree, laid out once on the shared folder before any PC runs the program:
//   共通データ.txt   school-year start month 4, the school code and name, roster option 0
//   新名簿.txt       one row, the teacher (先生), so that a teacher can sign in at once
//   音フォルダ/      新音ファイル.txt and the program's own tones (sound/project_tones.h)
//   <program>/       this program's data folder: the default level settings and an empty
//                    score file
// Every text file is in code page 932 with CR LF line ends, as the program reads them. A folder
// that already holds any part of a tree is refused, so an existing school's data is never
// overwritten; a tree that cannot be finished is removed again rather than left half made.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kagaku::admin {

struct NewSchool {
    std::string Name;  // the school name, as the screens show it
    std::string Code;  // five digits, or empty for a school without a code
};

// A school name or code the data files cannot carry; what() says which and why.
class NewSchoolRefused : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The text of 共通データ.txt for the school (UTF-8, CR LF). Throws NewSchoolRefused for an
// empty name, a name with a double quote or a line end, a code that is not five digits or is
// 00000, and a name that 共通データ.txt would read back differently (without a code, a name
// whose first five characters start with a number would be taken for a code).
std::string CommonFileText(const NewSchool& school);

// Lays out the tree in dataRoot (created when missing) with the data folder programFolderName.
// Throws NewSchoolRefused when dataRoot is a file or already holds 共通データ.txt, 新名簿.txt,
// 音フォルダ or the data folder (nothing is written then), or when the name or code is
// refused; DataFileError naming the file when something cannot be written (what this call
// made is removed again).
void CreateSchoolTree(const std::filesystem::path& dataRoot, std::string_view programFolderName,
                      const NewSchool& school);

}  // namespace kagaku::admin
