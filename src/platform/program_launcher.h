#pragma once
// Starting another program without waiting for it: the way back to the family's menu program
// when the pupil leaves the name screen. The screen starts it through this interface and then
// ends this program at once; tests put a stand-in in its place.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kagaku {

// The program could not be started. The text names the program and the reason, in Japanese.
class ProgramStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts program with the arguments, detached from this program, and returns without
    // waiting. Throws ProgramStartError when it cannot be started.
    virtual void StartDetached(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments) = 0;
};

// POSIX: the program runs in a session of its own, so it outlives this program; a program
// that is missing or cannot be executed is reported before StartDetached returns.
class PosixProgramLauncher final : public ProgramLauncher {
public:
    void StartDetached(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments) override;
};

#ifdef _WIN32
// Windows: CreateProcessW with the program's path and a command line quoted as the C runtime
// splits it, no handles inherited; the process handles are closed at once, nothing waits.
class WindowsProgramLauncher final : public ProgramLauncher {
public:
    void StartDetached(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments) override;
};
using SystemProgramLauncher = WindowsProgramLauncher;

// The command line CreateProcessW is given: each argument quoted where it must be, so that the
// started program's C runtime gives back exactly the arguments (wide text).
std::wstring WindowsCommandLine(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments);
#else
using SystemProgramLauncher = PosixProgramLauncher;
#endif

// The family's menu program lies in the folder 起動 beside the program folder. Its name is
// プログラムメニューc, or プログラムメニューc.exe where only that exists. appFolder ends in the
// separator.
std::filesystem::path FamilyMenuProgramPath(std::string_view appFolder);

// The single argument the menu program is started with.
inline constexpr const char* kFamilyMenuArgument = "001";

// Starts the family's menu program with its argument. Throws ProgramStartError with a clear
// message when it is missing or cannot be started; the screen shows it and ends the program.
void StartFamilyMenuProgram(ProgramLauncher& launcher, std::string_view appFolder);

}  // namespace kagaku
