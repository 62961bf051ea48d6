// What a network share does differently from a local disk, run wherever the tests' temporary
// folder is (scripts/share.sh runs them on a Samba share mounted through FUSE and sets
// KAGAKU_TEST_SHARE=smb there, which makes the share's own answers required, not only allowed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/errors.h"
#include "common/files.h"
#include "platform/shared_file.h"
#include "records/child_process.h"
#include "records/record_test_support.h"
#include "records/score_record_file.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

bool OnSmbShare() {
    const char* share = std::getenv("KAGAKU_TEST_SHARE");
    return share != nullptr && std::string(share) == "smb";
}

struct ReplaceCase {
    const char* fault;  // what would go wrong if the refusal were handled badly
    bool otherProcess;  // the file is held open by another process (else by this one)
};

class ReplacingAnOpenFile : public ::testing::TestWithParam<ReplaceCase> {};

// Saving the level settings or the teacher's password while another PC reads the file: SMB
// refuses to rename over a file that is open. The save must then fail whole (old file intact,
// no temporary file left beside it) with a message that says another PC has it open; where
// the rename is allowed (a local disk) the new bytes must be there whole.
TEST_P(ReplacingAnOpenFile, EitherReplacesWholeOrRefusesWithTheReason) {
    const ReplaceCase& c = GetParam();
    testing::TempDir dir;
    const fs::path file = dir.WriteBytes("タイム回数データ.txt", "old\r\n");
    std::unique_ptr<testing::ChildProcess> other;
    std::unique_ptr<SharedFile> mine;
    if (c.otherProcess) {
        other = std::make_unique<testing::ChildProcess>(
            std::vector<std::string>{KAGAKU_HELPER_append_helper, "hold", PathText(file), "2000"});
        ASSERT_EQ(other->ReadLine(), "locked");
    } else {
        mine = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadOnly);
    }
    bool refused = false;
    try {
        WriteFileAtomically(file, "new\r\n");
    } catch (const DataFileError& e) {
        refused = true;
        EXPECT_NE(e.problem().find("ほかのパソコンがこのファイルを開いている"), std::string::npos)
            << c.fault << ": " << e.problem();
    }
    EXPECT_EQ(testing::ReadBytes(file), refused ? "old\r\n" : "new\r\n") << c.fault;
    fs::path temp = file;
    temp += ".tmp";
    EXPECT_FALSE(fs::exists(temp)) << c.fault << ": the temporary file was left behind";
    if (OnSmbShare()) {
        EXPECT_TRUE(refused) << "the share replaced a file that was open";
    }
    mine.reset();
    if (other) {
        other->Kill();
        other->Finish(nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplacingAnOpenFile,
    ::testing::Values(ReplaceCase{"another PC reading the settings at the moment of the save",
                                  true},
                      ReplaceCase{"the program's own reader still holding the file", false}),
    [](const ::testing::TestParamInfo<ReplaceCase>& p) {
        return p.param.otherProcess ? std::string("OtherProcess") : std::string("ThisProcess");
    });

// A folder where the score file should be reads as a file of length 0 through the share: it
// must be an error with the loader's message, not a school without a single run.
TEST(ShareCases, AFolderInPlaceOfTheScoreFileIsNoEmptyFile) {
    testing::TempDir dir;
    const fs::path file = dir / kScoreRecordFileName;
    fs::create_directories(file);
    try {
        ReadRecordWindow(file, 0);
        FAIL() << "a folder was read as an empty score file";
    } catch (const FileOperationError& e) {
        EXPECT_EQ(e.kind(), FileErrorKind::Other);
    }
}

}  // namespace
}  // namespace kagaku
