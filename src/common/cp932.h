#pragma once
// Code page 932 (Windows Shift_JIS). Every text file of the data tree is in it; inside the
// program text is UTF-8. Conversion happens only where files are read and written. Strict
// Shift_JIS is never used: it rejects characters such as ① and Ⅱ that rosters contain.

#include <string>
#include <string_view>

namespace kagaku {

// Decodes bytes of code page 932. Throws DataFileError naming fileForMessages and the byte
// offset of the first byte that is not valid code page 932.
std::string Cp932ToUtf8(std::string_view bytes, const std::string& fileForMessages);

// Encodes UTF-8 text as code page 932. Throws DataFileError naming fileForMessages and the
// character that has no code page 932 form.
std::string Utf8ToCp932(std::string_view utf8, const std::string& fileForMessages);

// True when every character of utf8 has a code page 932 form.
bool IsCp932Encodable(std::string_view utf8);

}  // namespace kagaku
