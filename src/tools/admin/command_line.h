#pragma once
// The tool's command line: one CLI11 subcommand per operation, each with --app-folder and its
// own typed options, help in Japanese, and the three exit statuses. A subcommand is one row in
// the table of AllCommands (command_table.cpp): its name, one line of description, and a
// function that declares its options and returns what runs it.

#include <CLI/CLI.hpp>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "state/program_setup.h"

namespace kagaku::admin {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitDataProblem = 1;  // a damaged or missing file, a record not there
inline constexpr int kExitUsage = 2;        // a mistake in the command line

// What a subcommand does once the command line is parsed and the configuration is loaded from
// --app-folder. Returns the exit status; output goes to standard output.
using CommandAction = std::function<int(const ProgramSetup&)>;

struct CommandSpec {
    std::string name;
    std::string description;  // one line, shown in the list and at the top of its help
    // Declares the subcommand's own options on `command` (--app-folder is already there) and
    // returns the action, which reads the values the parse fills in.
    std::function<CommandAction(CLI::App& command)> declare;
    // false for a command that sets up a data tree or points a PC at one: it runs before any
    // configuration could be loaded, and its setup holds only AppFolder (from --app-folder).
    bool needsDataTree = true;
};

// Every subcommand, in the order the help lists them.
const std::vector<CommandSpec>& AllCommands();

// Typed options shared by the subcommands. Each refuses a value that is not a whole number in
// its range with a one-line message naming the option; `meaning` is the help's description.
CLI::Option* AddIntegerOption(CLI::App& command, const std::string& name, std::int64_t& value,
                              std::int64_t low, std::int64_t high, const std::string& meaning);
CLI::Option* AddPupilOption(CLI::App& command, std::int64_t& value, const std::string& meaning);
CLI::Option* AddLevelOption(CLI::App& command, std::int64_t& value, const std::string& meaning);
CLI::Option* AddSecondsOption(CLI::App& command, std::int64_t& value, const std::string& meaning);
CLI::Option* AddRecordOption(CLI::App& command, std::int64_t& value, const std::string& meaning);

// --encoding utf-8|cp932 of the commands that write CSV (utf-8 when not given), and the
// output in the chosen encoding.
CLI::Option* AddEncodingOption(CLI::App& command, std::string& value);
std::string EncodedOutput(const std::string& utf8, const std::string& encoding);
// A CSV field: as it is, or in double quotes (a quote doubled) when it holds a comma, a quote
// or a line end.
std::string CsvField(const std::string& value);

// Parses the arguments, loads the configuration and runs the chosen subcommand; help and the
// version go to standard output, every failure is one line on standard error.
int RunAdminTool(int argc, const char* const* argv, const std::filesystem::path& defaultAppFolder);

}  // namespace kagaku::admin
