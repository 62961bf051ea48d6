// kagaku-admin: check, export, add-run, standing, list, rewrite and delete on the score record
// file, the teacher's password, and a new school's data tree. Every failure is one line on
// standard error and a non-zero status.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "common/errors.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "state/configuration.h"
#include "tools/admin/admin_commands.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFailed = 2;

// The folder the tool itself is in: installed beside the program, it finds the same data tree.
fs::path ToolFolder(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        self = fs::absolute(argv0, ec);
    }
    return self.parent_path();
}

int Fail(const std::string& message) {
    std::string line = kagaku::text::ReplaceAll(message, "\n", ": ");
    std::fprintf(stderr, "kagaku-admin: %s\n", line.c_str());
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kagaku;
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        admin::CommandLine line = admin::ParseCommandLine(args, ToolFolder(argv[0]));
        if (line.command == "new-school") {
            return admin::RunNewSchool(line);
        }
        if (line.command == "set-data-root") {
            return admin::RunSetDataRoot(line);
        }
        SharedState state;
        LoadConfiguration(line.appFolder, state);
        if (line.command == "check") {
            return admin::RunCheck(state);
        }
        if (line.command == "export") {
            return admin::RunExport(line, state);
        }
        if (line.command == "add-run") {
            return admin::RunAddRun(line, state);
        }
        if (line.command == "list") {
            return admin::RunList(state);
        }
        if (line.command == "rewrite") {
            return admin::RunRewrite(line, state);
        }
        if (line.command == "delete") {
            return admin::RunDelete(line, state);
        }
        if (line.command == "set-teacher-password") {
            return admin::RunSetTeacherPassword(state);
        }
        if (line.command == "clear-teacher-password") {
            return admin::RunClearTeacherPassword(state);
        }
        return admin::RunStanding(line, state);
    } catch (const DataFileError& e) {
        return Fail(e.file() + ": " + e.problem());
    } catch (const FileOperationError& e) {
        return Fail("成績ファイル: " + e.description());
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
