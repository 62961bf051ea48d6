// kagaku-admin: the teachers' command-line tool for the score record file (subcommands in
// command_table.cpp). Every failure is one line on standard error: status 2 for a mistake in
// the command line, 1 for a problem with the data.
#include <filesystem>
#include <system_error>

#include "tools/admin/command_line.h"

namespace {

namespace fs = std::filesystem;

// The folder the tool itself is in: installed beside the program, it finds the same data tree.
fs::path ToolFolder(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        self = fs::absolute(argv0, ec);
    }
    return self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    return kagaku::admin::RunAdminTool(argc, argv, ToolFolder(argc > 0 ? argv[0] : ""));
}
