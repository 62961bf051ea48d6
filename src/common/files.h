#pragma once
// Whole-file reads and atomic replacements. Open, do the work, close before returning; one read
// is one round trip on a network share.

#include <filesystem>
#include <string>
#include <string_view>

namespace kagaku {

// UTF-8 text of a path, for messages.
std::string PathText(const std::filesystem::path& p);
// A path from UTF-8 text.
std::filesystem::path PathFromText(std::string_view utf8);

// Reads the whole file. Throws DataFileError when it is missing or cannot be read.
std::string ReadWholeFile(const std::filesystem::path& p);
// Reads the whole file and decodes it from code page 932.
std::string ReadCp932File(const std::filesystem::path& p);

// Replaces the file's contents atomically: the bytes go to a temporary file beside it, which
// is flushed to the disk and then renamed over the file. A crash or a full disk leaves either
// the old file or the new one, never a truncated one. Throws DataFileError on failure (the
// old file is then untouched). A share that refuses the replacement because another PC has the
// file open gets a message that says so.
void WriteFileAtomically(const std::filesystem::path& p, std::string_view bytes);

// Appends one line (its bytes, line end included) at the end of the file, creating the file
// when it is missing: one open, one write, one close, so a growing log costs the same to
// append to at any size. When the file's last byte is not a line end (a write torn off before
// its end), a CR LF goes first, so the new line never runs together with the damaged one.
// Throws DataFileError naming the file when it cannot be opened or written.
void AppendLineToFile(const std::filesystem::path& p, std::string_view line);

}  // namespace kagaku
