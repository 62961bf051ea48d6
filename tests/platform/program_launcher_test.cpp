#include "platform/program_launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/files.h"
#include "platform/program_folder.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::ReadBytes;
using testing::TempDir;
namespace fs = std::filesystem;

class RecordingLauncher final : public ProgramLauncher {
public:
    void StartDetached(const fs::path& path, const std::vector<std::string>& args) override {
        program = path;
        arguments = args;
    }
    fs::path program;
    std::vector<std::string> arguments;
};

fs::path MakeScript(const TempDir& dir, std::string_view name) {
    const fs::path script =
        dir.WriteBytes(name, "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/argument.txt\"\n");
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

// Catches a path built inside the program folder instead of beside it.
TEST(FamilyMenuProgram, LiesInTheStartFolderBesideTheProgramFolder) {
    TempDir dir;
    fs::create_directories(dir / "化学式");
    MakeScript(dir, "起動/プログラムメニューc");
    RecordingLauncher launcher;
    StartFamilyMenuProgram(launcher, PathText(dir / "化学式") + "/");
    EXPECT_EQ(PathText(launcher.program.filename()), "プログラムメニューc");
    EXPECT_EQ(PathText(launcher.program.parent_path().filename()), "起動");
    EXPECT_EQ(launcher.arguments, std::vector<std::string>{"001"});
}

TEST(FamilyMenuProgram, FallsBackToTheExeName) {
    TempDir dir;
    fs::create_directories(dir / "化学式");
    MakeScript(dir, "起動/プログラムメニューc.exe");
    RecordingLauncher launcher;
    StartFamilyMenuProgram(launcher, PathText(dir / "化学式") + "/");
    EXPECT_EQ(PathText(launcher.program.filename()), "プログラムメニューc.exe");
}

// Catches a missing menu program reported as success.
TEST(FamilyMenuProgram, MissingProgramIsReported) {
    TempDir dir;
    RecordingLauncher launcher;
    try {
        StartFamilyMenuProgram(launcher, PathText(dir / "化学式") + "/");
        FAIL();
    } catch (const ProgramStartError& e) {
        EXPECT_NE(std::string(e.what()).find("プログラムメニュー"), std::string::npos);
    }
    EXPECT_TRUE(launcher.program.empty());
}

#ifndef _WIN32
// A real detached process receives the single argument 001.
TEST(PosixProgramLauncher, StartsTheProgramWithItsArgument) {
    TempDir dir;
    const fs::path script = MakeScript(dir, "起動/プログラムメニューc");
    PosixProgramLauncher launcher;
    launcher.StartDetached(script, {"001"});
    const fs::path out = dir / "起動/argument.txt";
    for (int i = 0; i < 200 && ReadBytes(out) != "001\n"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadBytes(out), "001\n");
}

// Catches a failed start (not executable, missing) reported as success.
TEST(PosixProgramLauncher, ReportsAProgramThatCannotStart) {
    TempDir dir;
    const fs::path plain = dir.WriteBytes("not-a-program", "text");
    PosixProgramLauncher launcher;
    EXPECT_THROW(launcher.StartDetached(plain, {"001"}), ProgramStartError);
    EXPECT_THROW(launcher.StartDetached(dir / "missing", {"001"}), ProgramStartError);
}
#endif

// Catches the tool or the program looking for its data tree beside the wrong folder (the
// current folder, or a folder name in the ANSI code page on Windows).
TEST(RunningProgramFolder, IsTheFolderOfTheRunningProgram) {
    const fs::path folder = RunningProgramFolder("");
    const fs::path self = PathFromText(KAGAKU_HELPER_append_helper).parent_path();
    EXPECT_TRUE(fs::equivalent(folder, self)) << PathText(folder);
}

}  // namespace
}  // namespace kagaku
