#include <windows.h>

#include <string>

#include "platform/program_folder.h"

namespace kagaku {

std::filesystem::path RunningProgramFolder(const char* argv0) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (got == 0) {
            std::error_code ec;
            return std::filesystem::absolute(argv0, ec).parent_path();
        }
        if (got < name.size()) {
            name.resize(got);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);  // a long path: ask again with room for it
    }
}

}  // namespace kagaku
