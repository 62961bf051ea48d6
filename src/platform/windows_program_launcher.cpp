#include <windows.h>

#include "common/files.h"
#include "platform/program_launcher.h"
#include "platform/windows_text.h"

namespace kagaku {

namespace {

std::string ReasonText(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "プログラムがありません";
        case ERROR_ACCESS_DENIED:
            return "プログラムを実行する許可がありません";
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH:
            return "実行できる形式のプログラムではありません";
        default:
            return "プログラムを起動できません（" + windows::DescriptionOfError(error) + "）";
    }
}

// One argument as the C runtime's parser reads it back: quoted when it holds a blank or a
// quote (or is empty), with backslashes doubled only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            line.append(backslashes * 2 + 1, L'\\');
        } else {
            line.append(backslashes, L'\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

}  // namespace

std::wstring WindowsCommandLine(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments) {
    std::wstring line;
    AppendQuoted(line, program.native());
    for (const std::string& argument : arguments) {
        line += L' ';
        AppendQuoted(line, windows::WideFromUtf8(argument));
    }
    return line;
}

void WindowsProgramLauncher::StartDetached(const std::filesystem::path& program,
                                           const std::vector<std::string>& arguments) {
    std::wstring line = WindowsCommandLine(program, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        throw ProgramStartError(PathText(program) + "\n" + ReasonText(error));
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace kagaku
