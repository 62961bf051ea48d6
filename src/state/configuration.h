#pragma once
// Finding the data tree at start-up. パスデータ.txt beside the program folder names the data
// root; the data root holds 共通データ.txt (school year, school code and name, roster option),
// the sound folder and one data folder per program, named like the program's own folder.

#include <filesystem>

#include "state/program_setup.h"

namespace kagaku {

inline constexpr const char* kPathFileName = "パスデータ.txt";
inline constexpr const char* kCommonFileName = "共通データ.txt";
inline constexpr const char* kSoundFolderName = "音フォルダ";
inline constexpr const char* kSoundTableFileName = "新音ファイル.txt";

// Fills the folder and configuration fields, ProgramName, the level settings and the sound
// table. programFolder is the folder the program file is in. Throws DataFileError naming the
// file and the problem when anything is missing or damaged; nothing is defaulted silently.
void LoadConfiguration(const std::filesystem::path& programFolder, ProgramSetup& setup);

// Splits 共通データ.txt's second field: a five-character code whose leading number is not 0,
// then the school name.
void SplitSchoolField(const std::string& field, Variant& schoolCode, std::string& schoolName);

}  // namespace kagaku
