#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/windows_text.h"

namespace kagaku {

namespace {

HANDLE Input() {
    return ::GetStdHandle(STD_INPUT_HANDLE);
}

DWORD savedMode = 0;
bool echoOff = false;

}  // namespace

bool StandardInputIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(Input(), &mode) != 0;
}

HiddenTyping::HiddenTyping() {
    if (!::GetConsoleMode(Input(), &savedMode))
        return;
    echoOff = ::SetConsoleMode(Input(), savedMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
}

HiddenTyping::~HiddenTyping() {
    if (echoOff) {
        ::SetConsoleMode(Input(), savedMode);
        echoOff = false;
        // The line end typed after the password was not shown either.
        DWORD written = 0;
        ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), L"\r\n", 2, &written, nullptr);
    }
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    // Output as bytes, line ends as written: an export redirected to a file is the same file
    // on Windows as on Linux.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(windows::Utf8FromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

}  // namespace kagaku
