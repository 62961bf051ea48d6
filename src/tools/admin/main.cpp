// kagaku-admin: the teachers' command-line tool for the score record file (subcommands in
// command_table.cpp). Every failure is one line on standard error: status 2 for a mistake in
// the command line, 1 for a problem with the data.
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/program_folder.h"
#include "tools/admin/command_line.h"

int main(int argc, char** argv) {
    // The arguments as UTF-8 (names and folders of a school may be any Japanese text).
    std::vector<std::string> arguments = kagaku::Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    // The folder the tool itself is in: installed beside the program, it finds the same data
    // tree.
    return kagaku::admin::RunAdminTool(static_cast<int>(arguments.size()), pointers.data(),
                                       kagaku::RunningProgramFolder(argc > 0 ? argv[0] : ""));
}
