#include "common/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

// The replacement holds exactly the new bytes and no temporary file stays beside it.
TEST(Files, AtomicWriteReplacesTheContentsAndLeavesNothingBehind) {
    testing::TempDir dir;
    const fs::path p = dir.WriteBytes("設定.txt", "old contents that are longer\r\n");
    WriteFileAtomically(p, "new\r\n");
    EXPECT_EQ(testing::ReadBytes(p), "new\r\n");
    WriteFileAtomically(dir / "新しい.txt", "");
    EXPECT_TRUE(fs::exists(dir / "新しい.txt"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(Files, AtomicWriteIntoAMissingFolderFailsNamingTheFile) {
    testing::TempDir dir;
    try {
        WriteFileAtomically(dir / "無い/設定.txt", "x");
        FAIL() << "a write into a missing folder reported success";
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("設定.txt"), std::string::npos);
    }
}

TEST(Files, ReadingAMissingFileOrAFolderFailsNamingIt) {
    testing::TempDir dir;
    EXPECT_THROW(ReadWholeFile(dir / "無い.txt"), DataFileError);
    fs::create_directory(dir / "フォルダ");
    try {
        ReadWholeFile(dir / "フォルダ");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("フォルダ"), std::string::npos);
    }
    EXPECT_EQ(ReadWholeFile(dir.WriteBytes("a.bin", std::string("a\0b", 3))),
              std::string("a\0b", 3));
}

}  // namespace
}  // namespace kagaku
