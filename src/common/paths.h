#pragma once
// Folder texts as the program keeps them: UTF-8, ending in the separator. Settings files may
// write folders with "\" or "/"; both are accepted.

#include <filesystem>
#include <string>
#include <string_view>

namespace kagaku {

// The folder text with every "\" or "/" made the native separator and one separator at the end.
std::string NormaliseFolder(std::string_view folder);
// folder (ending in a separator) followed by name.
std::filesystem::path InFolder(std::string_view folder, std::string_view name);
// The last component of a folder path (ignoring a trailing separator).
std::string LastComponent(std::string_view folder);
// The native separator as text.
std::string_view Separator();

}  // namespace kagaku
