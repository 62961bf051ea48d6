#include <system_error>

#include "platform/program_folder.h"

namespace kagaku {

std::filesystem::path RunningProgramFolder(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        self = std::filesystem::absolute(argv0, ec);
    }
    return self.parent_path();
}

}  // namespace kagaku
