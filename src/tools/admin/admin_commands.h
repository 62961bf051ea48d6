#pragma once
// kagaku-admin: the teachers' command-line tool for the score record file. It finds the data
// tree exactly as the program does (from the program folder) and works on the same record
// file with the same locked append and the same aggregation. Each subcommand has a Declare
// function (its options, see command_line.h) beside the function that runs it.

#include <map>
#include <stdexcept>
#include <string>

#include "state/program_setup.h"
#include "tools/admin/command_line.h"

namespace kagaku::admin {

// A mistake in the command line found only after parsing: one line for standard error, exit 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

CommandAction DeclareCheck(CLI::App& command);
CommandAction DeclareExport(CLI::App& command);
CommandAction DeclareAddRun(CLI::App& command);
CommandAction DeclareStanding(CLI::App& command);
// The record manager's operations: list its lines, correct or delete one record, each under
// the writers' lock.
CommandAction DeclareList(CLI::App& command);
CommandAction DeclareRewrite(CLI::App& command);
CommandAction DeclareDelete(CLI::App& command);

// The score file's backups (backup_commands.cpp): backups lists them with their record counts
// and checks, restore --backup NAME [--yes] puts one back after a confirmation.
CommandAction DeclareBackups(CLI::App& command);
CommandAction DeclareRestore(CLI::App& command);

// The teacher's password (password_commands.cpp): set asks for it twice (without echo on a
// terminal, two lines of standard input otherwise); clear removes it.
CommandAction DeclareSetTeacherPassword(CLI::App& command);
CommandAction DeclareClearTeacherPassword(CLI::App& command);

// A new school's data tree (school_commands.cpp): new-school DIR --name NAME [--code CODE] lays
// it out, set-data-root PATH writes パスデータ.txt beside the program folder. Both run without
// a data tree (CommandSpec::needsDataTree false).
CommandAction DeclareNewSchool(CLI::App& command);
CommandAction DeclareSetDataRoot(CLI::App& command);

// The problems the pupils miss most, from their mistake logs (mistake_commands.cpp).
CommandAction DeclareMistakes(CLI::App& command);

// Names by pupil number from the roster 新名簿.txt, trimmed; a missing roster gives no names,
// a damaged one throws DataFileError.
std::map<int, std::string> RosterNames(const ProgramSetup& setup);

// Standard output flushed: success, or a data problem when it could not be written.
int FinishOutput();

}  // namespace kagaku::admin
