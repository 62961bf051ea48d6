#pragma once
// Windows only: text at the system boundary. The program keeps UTF-8; the system's wide calls
// take UTF-16. System errors become the program's kinds and Japanese descriptions.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/shared_file.h"

namespace kagaku::windows {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The kind of a GetLastError code, as far as a caller decides whether to wait.
FileErrorKind KindOfError(unsigned long error);
// A Japanese description of a GetLastError code.
std::string DescriptionOfError(unsigned long error);
// The GetLastError code that stands for an errno value given to the fault seams.
unsigned long ErrorForErrno(int errnum);

[[noreturn]] void ThrowError(unsigned long error);

}  // namespace kagaku::windows
