#pragma once
// Setting the data root of a PC: the first field of パスデータ.txt, in the folder above the
// program folder. The file is shared by the family of programs installed beside each other,
// whose settings are its other nine fields; they are kept byte for byte, line ends and quotes
// included, and only the first field is replaced.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kagaku {

inline constexpr int kPathFileFields = 10;

// パスデータ.txt of a program folder: the folder above it.
std::filesystem::path PathFileFor(const std::filesystem::path& programFolder);

// The bytes of パスデータ.txt (code page 932) with dataRoot (UTF-8) as its first field, ending
// in a separator. existing is the file's present bytes, or nothing when there is none (a new
// file of ten fields on one CR LF line). A file of fewer than ten fields is filled up with
// empty ones. Throws DataFileError naming fileForMessages when the data root is empty, holds a
// double quote or a line end, or cannot be written in code page 932, or when the existing file
// cannot be decoded (its fields could not be kept).
std::string PathFileWithDataRoot(const std::optional<std::string>& existing,
                                 std::string_view dataRoot, const std::string& fileForMessages);

// Writes the data root into the file, atomically, keeping its other fields.
void SetDataRoot(const std::filesystem::path& pathFile, std::string_view dataRoot);

}  // namespace kagaku
