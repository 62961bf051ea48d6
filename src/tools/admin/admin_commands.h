#pragma once
// kagaku-admin: the teachers' command-line tool for the score record file. It finds the data
// tree exactly as the program does (from the program folder) and works on the same record
// file with the same locked append and the same aggregation.

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "state/shared_state.h"

namespace kagaku::admin {

// A mistake in the command line or a refused value: one line for standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    std::string command;
    std::filesystem::path appFolder;
    std::vector<std::string> arguments;  // after the command: new-school DIR, set-data-root PATH
    std::map<std::string, std::string> options;  // without the leading "--"
};

// Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const std::filesystem::path& defaultAppFolder);
// A whole number within [low, high] from an option; throws UsageError naming the option.
long long IntegerOption(const CommandLine& line, const std::string& name, long long low,
                        long long high);
std::optional<std::string> Option(const CommandLine& line, const std::string& name);

// Each returns the exit status; output goes to standard output.
int RunCheck(const SharedState& state);
int RunExport(const CommandLine& line, const SharedState& state);
int RunAddRun(const CommandLine& line, const SharedState& state);
int RunStanding(const CommandLine& line, const SharedState& state);
// The record manager's operations: list its lines, correct or delete one record, each under
// the writers' lock.
int RunList(const SharedState& state);
int RunRewrite(const CommandLine& line, const SharedState& state);
int RunDelete(const CommandLine& line, const SharedState& state);

// The teacher's password (password_commands.cpp): set asks for it twice (without echo on a
// terminal, two lines of standard input otherwise); clear removes it.
int RunSetTeacherPassword(const SharedState& state);
int RunClearTeacherPassword(const SharedState& state);

// A new school's data tree (school_commands.cpp): new-school DIR --name NAME [--code CODE] lays
// it out, set-data-root PATH writes パスデータ.txt beside the program folder. Neither loads the
// configuration first.
int RunNewSchool(const CommandLine& line);
int RunSetDataRoot(const CommandLine& line);

// Names by pupil number from the roster 新名簿.txt, trimmed; a missing roster gives no names,
// a damaged one throws DataFileError.
std::map<int, std::string> RosterNames(const SharedState& state);

}  // namespace kagaku::admin
