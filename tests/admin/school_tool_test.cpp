// kagaku-admin new-school and set-data-root run as real processes: a school's tree laid out in
// a temporary folder, a program folder pointed at it, and the tool's own check run on the result.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/files.h"
#include "records/child_process.h"
#include "support/test_support.h"

namespace kagaku::admin {
namespace {

namespace fs = std::filesystem;

class SchoolTool : public ::testing::Test {
protected:
    SchoolTool() { fs::create_directories(program_); }

    std::pair<int, std::string> Run(std::vector<std::string> args) {
        args.insert(args.begin(), {KAGAKU_ADMIN_TOOL, "--app-folder", PathText(program_)});
        const fs::path err = dir_ / "stderr.txt";
        testing::ChildProcess tool(args, PathText(err));
        int status = 0;
        tool.Finish(&status);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadBytes(err)};
    }

    testing::TempDir dir_;
    fs::path program_ = dir_ / "opt/juku/kagaku";
    fs::path pathFile_ = dir_ / "opt/juku/パスデータ.txt";
    fs::path tree_ = dir_ / "share/学校データ";
};

// Catches a tree the program cannot start on, a second new-school that overwrites a school's
// data, and a data root written for a folder that holds no tree.
TEST_F(SchoolTool, LaysOutATreeAndPointsTheProgramAtIt) {
    auto [status, err] =
        Run({"new-school", PathText(tree_), "--name", "みどり塾", "--code", "12345"});
    ASSERT_EQ(status, 0) << err;
    std::tie(status, err) = Run({"set-data-root", PathText(tree_)});
    ASSERT_EQ(status, 0) << err;
    std::tie(status, err) = Run({"check"});
    EXPECT_EQ(status, 0) << err;

    const std::string roster = testing::ReadBytes(tree_ / "新名簿.txt");
    std::tie(status, err) = Run({"new-school", PathText(tree_), "--name", "別の塾"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("すでにデータがあります"), std::string::npos) << err;
    EXPECT_EQ(testing::ReadBytes(tree_ / "新名簿.txt"), roster);

    const std::string pathData = testing::ReadBytes(pathFile_);
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;  // 1 a data problem, 2 a mistake in the command line
    } refused[] = {
        {"a folder without a tree", {"set-data-root", PathText(dir_.path())}, 1},
        {"no folder", {"set-data-root"}, 2},
        {"two folders", {"set-data-root", PathText(tree_), PathText(tree_)}, 2},
        {"new-school without a name", {"new-school", PathText(dir_ / "other")}, 2},
        {"a folder given to another command", {"check", PathText(tree_)}, 2},
    };
    for (const auto& r : refused) {
        std::tie(status, err) = Run(r.args);
        EXPECT_EQ(status, r.status) << r.what << ": " << err;
        EXPECT_TRUE(err.starts_with("kagaku-admin: ")) << r.what << ": " << err;
    }
    EXPECT_EQ(testing::ReadBytes(pathFile_), pathData);
    EXPECT_FALSE(fs::exists(dir_ / "other"));
}

}  // namespace
}  // namespace kagaku::admin
