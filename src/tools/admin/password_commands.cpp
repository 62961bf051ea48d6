// set-teacher-password and clear-teacher-password: the teacher's password file in the program's
// data folder (admin/teacher_password.h). On a terminal the password is typed twice without
// echo; from a pipe the two lines are read from standard input, so scripts and tests can drive
// it.
#include <cstdio>
#include <iostream>
#include <string>

#include "admin/teacher_password.h"
#include "common/files.h"
#include "platform/console.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

namespace {

// One line from standard input without its line end; the prompt goes to standard error and
// only on a terminal. Throws UsageError at the end of the input.
std::string ReadPasswordLine(const char* prompt, bool terminal) {
    std::string line;
    if (terminal) {
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        HiddenTyping quiet;
        if (!std::getline(std::cin, line))
            throw UsageError("パスワードが入力されませんでした");
    } else if (!std::getline(std::cin, line)) {
        throw UsageError("標準入力にパスワードが2行ありません");
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int RunSetTeacherPassword(const ProgramSetup& setup) {
    const bool terminal = StandardInputIsTerminal();
    const std::string first = ReadPasswordLine("新しい先生のパスワード: ", terminal);
    if (first.empty())
        throw UsageError("パスワードが空です。パスワードは変わっていません");
    const std::string second = ReadPasswordLine("もう一度: ", terminal);
    if (first != second)
        throw UsageError("2回の入力が違います。パスワードは変わっていません");
    const std::filesystem::path file = TeacherPasswordPath(setup.ProgramDataFolder);
    SetTeacherPassword(file, first);
    std::cout << "先生のパスワードを設定しました: " << PathText(file) << "\n";
    return FinishOutput();
}

int RunClearTeacherPassword(const ProgramSetup& setup) {
    const std::filesystem::path file = TeacherPasswordPath(setup.ProgramDataFolder);
    if (ClearTeacherPassword(file))
        std::cout << "先生のパスワードを削除しました: " << PathText(file) << "\n";
    else
        std::cout << "先生のパスワードは設定されていません: " << PathText(file) << "\n";
    return FinishOutput();
}

}  // namespace

CommandAction DeclareSetTeacherPassword(CLI::App&) {
    return RunSetTeacherPassword;
}

CommandAction DeclareClearTeacherPassword(CLI::App&) {
    return RunClearTeacherPassword;
}

}  // namespace kagaku::admin
