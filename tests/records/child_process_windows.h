#pragma once
// Windows: a helper program started as a real process (CreateProcessW), its standard output
// read through a pipe. The wait status keeps the POSIX tests' reading of it: an exit code, or
// "killed" for a process ended by Kill() or by its own TerminateProcess with kKilledExitCode
// (what SIGKILL is on POSIX).

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/files.h"
#include "platform/program_launcher.h"

namespace kagaku::testing {

inline constexpr unsigned kKilledExitCode = 137;
inline constexpr int kKilledStatus = 0x10000 | 9;

}  // namespace kagaku::testing

#define WIFEXITED(status) (((status)&0x10000) == 0)
#define WEXITSTATUS(status) ((status)&0xFFFF)
#define WIFSIGNALED(status) (((status)&0x10000) != 0)

namespace kagaku::testing {

class ChildProcess {
public:
    // stderrFile, when given, receives the process's standard error; stdinFile, when given, is
    // its standard input.
    explicit ChildProcess(const std::vector<std::string>& args, const std::string& stderrFile = "",
                          const std::string& stdinFile = "") {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            throw std::runtime_error("pipe");
        }
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        HANDLE errHandle = Inheritable(::GetStdHandle(STD_ERROR_HANDLE));
        if (!stderrFile.empty()) {
            errHandle = ::CreateFileW(PathFromText(stderrFile).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        HANDLE inHandle =
            ::CreateFileW(stdinFile.empty() ? L"NUL" : PathFromText(stdinFile).c_str(),
                          GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inHandle;
        startup.hStdOutput = writeEnd;
        startup.hStdError = errHandle;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        const std::filesystem::path program = PathFromText(args[0]);
        std::wstring line = WindowsCommandLine(program, rest);
        PROCESS_INFORMATION info{};
        const BOOL started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                              0, nullptr, nullptr, &startup, &info);
        ::CloseHandle(writeEnd);
        Close(errHandle);
        Close(inHandle);
        if (!started) {
            ::CloseHandle(readEnd);
            throw std::runtime_error("cannot start " + args[0]);
        }
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        out_ = readEnd;
    }
    ~ChildProcess() {
        if (process_ != nullptr) {
            if (!reaped_) {
                ::TerminateProcess(process_, kKilledExitCode);
                ::WaitForSingleObject(process_, INFINITE);
            }
            ::CloseHandle(process_);
        }
        if (out_ != nullptr) {
            ::CloseHandle(out_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Kill() { ::TerminateProcess(process_, kKilledExitCode); }

    // Reads one line of output (blocking); empty at the end.
    std::string ReadLine() {
        std::string line;
        char c;
        DWORD got = 0;
        while (::ReadFile(out_, &c, 1, &got, nullptr) && got == 1) {
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return line;
    }

    // Waits for the end and returns everything it printed and its wait status.
    std::string Finish(int* status) {
        std::string all;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(out_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            all.append(buffer, got);
        }
        ::WaitForSingleObject(process_, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        *status = code == kKilledExitCode ? kKilledStatus : static_cast<int>(code & 0xFFFF);
        reaped_ = true;
        return all;
    }

private:
    static HANDLE Inheritable(HANDLE h) {
        HANDLE copy = nullptr;
        if (h == nullptr || h == INVALID_HANDLE_VALUE ||
            !::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &copy, 0, TRUE,
                               DUPLICATE_SAME_ACCESS)) {
            return nullptr;
        }
        return copy;
    }
    static void Close(HANDLE h) {
        if (h != nullptr && h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
        }
    }

    HANDLE process_ = nullptr;
    HANDLE out_ = nullptr;
    bool reaped_ = false;
};

}  // namespace kagaku::testing
