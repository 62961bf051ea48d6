#pragma once
// The running program's own folder, where the program file and the tools lie; the data tree
// is found from it. Linux reads /proc/self/exe, Windows asks GetModuleFileNameW.

#include <filesystem>

namespace kagaku {

// argv0 is used only where the system cannot say (an unusual POSIX system).
std::filesystem::path RunningProgramFolder(const char* argv0);

}  // namespace kagaku
