#pragma once
// Replacing a whole file in one step: the bytes go to a temporary file beside it (the file's
// name followed by ".tmp"), which is flushed to the disk and then renamed over the file. A
// crash or a full disk leaves either the old file or the new one, never a truncated one.
// POSIX renames with rename(2) and flushes the folder. Windows renames with POSIX semantics
// where the system offers them (the old file goes even while another PC reads it), else with
// MoveFileExW (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), trying again for a moment
// while a reader on another PC has the old file open.

#include <filesystem>
#include <string_view>

namespace kagaku {

// Throws DataFileError naming the file on failure; the old file is then untouched and the
// temporary file removed.
void ReplaceFileAtomically(const std::filesystem::path& p, std::string_view bytes);

}  // namespace kagaku
