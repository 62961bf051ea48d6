// kagaku-admin set-teacher-password and clear-teacher-password run as real processes on a copy of
// the demo data tree, the two entries given on standard input.
#include <gtest/gtest.h>

#include <filesystem>

#include "admin/teacher_password.h"
#include "common/files.h"
#include "records/child_process.h"
#include "support/test_support.h"

namespace kagaku::admin {
namespace {

namespace fs = std::filesystem;

class TeacherPasswordTool : public ::testing::Test {
protected:
    TeacherPasswordTool() { fs::copy(KAGAKU_DEMO_DIR, dir_.path(), fs::copy_options::recursive); }

    // The exit status and standard error of the tool given input on standard input.
    std::pair<int, std::string> Run(const std::string& command, const std::string& input = "") {
        const fs::path in = dir_.WriteBytes("stdin.txt", input);
        const fs::path err = dir_ / "stderr.txt";
        testing::ChildProcess tool(
            {KAGAKU_ADMIN_TOOL, "--app-folder", PathText(dir_ / "kagaku"), command}, PathText(err),
            PathText(in));
        int status = 0;
        tool.Finish(&status);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadBytes(err)};
    }

    testing::TempDir dir_;
    fs::path file_ = dir_ / "学校データ" / "kagaku" / PathFromText(kTeacherPasswordFileName);
};

// Catches a password stored from entries that differ, an empty password accepted, a refused
// entry that still replaces the old password, and a clear that leaves the file behind.
TEST_F(TeacherPasswordTool, SetsRefusesAndClears) {
    auto [status, err] = Run("set-teacher-password", "理科室\r\n理科室\r\n");
    ASSERT_EQ(status, 0) << err;
    const std::string stored = testing::ReadBytes(file_);
    EXPECT_TRUE(TeacherPasswordMatches(*ReadTeacherPasswordHash(file_), "理科室"));

    const struct {
        const char* what;
        const char* input;
    } refused[] = {
        {"entries differ", "abc\nabd\n"},
        {"empty", "\n\n"},
        {"one line only", "abc\n"},
        {"no input", ""},
    };
    for (const auto& r : refused) {
        std::tie(status, err) = Run("set-teacher-password", r.input);
        EXPECT_EQ(status, 2) << r.what;
        EXPECT_TRUE(err.starts_with("kagaku-admin: ")) << r.what << ": " << err;
        EXPECT_EQ(testing::ReadBytes(file_), stored) << r.what;
    }

    EXPECT_EQ(Run("clear-teacher-password").first, 0);
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_EQ(Run("clear-teacher-password").first, 0);
}

}  // namespace
}  // namespace kagaku::admin
