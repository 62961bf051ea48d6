// What only the Windows side of the seams does: sharing violations waited for, the system's
// error codes sorted into the kinds callers act on, replacing a file that another program has
// open, and the command line of a started program. (On other systems this file is empty.)
#ifdef _WIN32

#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/errors.h"
#include "common/files.h"
#include "platform/program_folder.h"
#include "platform/program_launcher.h"
#include "platform/shared_file.h"
#include "platform/windows_text.h"
#include "records/record_test_support.h"
#include "records/score_record_file.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

// Another program's handle on the file, opened with the sharing it chooses.
class OtherHandle {
public:
    OtherHandle(const fs::path& p, DWORD share)
        : h_(::CreateFileW(p.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~OtherHandle() { Close(); }
    OtherHandle(const OtherHandle&) = delete;
    OtherHandle& operator=(const OtherHandle&) = delete;
    bool IsOpen() const { return h_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (h_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h_);
            h_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE h_;
};

struct ErrorCase {
    DWORD error;
    FileErrorKind kind;
    const char* why;
};

class WindowsErrorKinds : public ::testing::TestWithParam<ErrorCase> {};

// Catches a held file taken for a broken one (the append would end the program instead of
// waiting) and a missing share taken for a held file (it would wait for ever).
TEST_P(WindowsErrorKinds, DecideWhetherTheCallerWaits) {
    EXPECT_EQ(windows::KindOfError(GetParam().error), GetParam().kind) << GetParam().why;
    EXPECT_FALSE(windows::DescriptionOfError(GetParam().error).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, WindowsErrorKinds,
    ::testing::Values(
        ErrorCase{ERROR_SHARING_VIOLATION, FileErrorKind::Busy, "another PC has it open"},
        ErrorCase{ERROR_LOCK_VIOLATION, FileErrorKind::Busy, "another PC holds the range"},
        ErrorCase{ERROR_ACCESS_DENIED, FileErrorKind::Busy, "permission denied: waited for"},
        ErrorCase{ERROR_FILE_NOT_FOUND, FileErrorKind::NotFound, "no file"},
        ErrorCase{ERROR_PATH_NOT_FOUND, FileErrorKind::NotFound, "no folder"},
        ErrorCase{ERROR_BAD_NETPATH, FileErrorKind::NotFound, "server gone"},
        ErrorCase{ERROR_NETNAME_DELETED, FileErrorKind::NotFound, "share dropped"},
        ErrorCase{ERROR_DISK_FULL, FileErrorKind::Other, "full disk"},
        ErrorCase{ERROR_WRITE_PROTECT, FileErrorKind::Other, "read-only drive"}));

// A program that opened the file without sharing (an editor, a copy in progress) makes the
// open fail with a sharing violation: reported as busy, never as an error.
TEST(WindowsSharedFile, SharingViolationIsBusy) {
    testing::TempDir dir;
    const fs::path p = dir.WriteBytes("成績累積データ.dat", "");
    OtherHandle exclusive(p, 0);
    ASSERT_TRUE(exclusive.IsOpen());
    try {
        SharedFile f(p, SharedFile::Mode::ReadWriteCreate);
        FAIL() << "opened a file another program holds without sharing";
    } catch (const FileOperationError& e) {
        EXPECT_EQ(e.kind(), FileErrorKind::Busy);
        EXPECT_EQ(e.errorNumber(), static_cast<int>(ERROR_SHARING_VIOLATION));
    }
}

// The append waits a second at a time while the file is held that way, and writes its record
// once the other program lets go: nothing is lost and no error is shown.
TEST(WindowsSharedFile, AppendWaitsForASharingViolationToEnd) {
    testing::TempDir dir;
    const fs::path p = dir.WriteBytes("成績累積データ.dat", "");
    auto exclusive = std::make_unique<OtherHandle>(p, 0);
    ASSERT_TRUE(exclusive->IsOpen());
    testing::FakeWaiter waiter;
    waiter.onWait = [&](int) {
        if (waiter.waits.size() >= 2) {
            exclusive.reset();
        }
    };
    EXPECT_EQ(AppendScoreRecord(p, testing::RunOn({2024, 6, 3}, 5, 2, 9), waiter), 1u);
    EXPECT_GE(waiter.waits.size(), 2u);
    EXPECT_EQ(fs::file_size(p), 44u);
}

// Our own readers and writers share deletion, so a replacement is not refused by the sharing
// mode: where the system renames over an open file (POSIX semantics) it goes through at once;
// where it does not (Wine, older Windows), the save fails cleanly, never half done.
TEST(WindowsSharedFile, ReplacingAFileAnotherPcHasOpen) {
    testing::TempDir dir;
    const bool systemRenamesOverOpenFiles = testing::CanRenameOverAnOpenFile(dir);
    const fs::path p = dir.WriteBytes("タイム回数データ.txt", "old");
    SharedFile open(p, SharedFile::Mode::ReadOnly);
    try {
        WriteFileAtomically(p, "new");
        EXPECT_EQ(testing::ReadBytes(p), "new");
        EXPECT_FALSE(open.IsStillAt(p));
    } catch (const DataFileError& e) {
        EXPECT_FALSE(systemRenamesOverOpenFiles) << e.what();
        EXPECT_EQ(testing::ReadBytes(p), "old");
        EXPECT_FALSE(fs::exists(dir / "タイム回数データ.txt.tmp"));
    }
}

// A reader that opened the file without sharing its deletion (as the C runtime's fopen does)
// for a moment holds the replacement up, but does not make it fail.
TEST(WindowsAtomicReplace, WaitsForAReaderThatLetsGoSoon) {
    testing::TempDir dir;
    const fs::path p = dir.WriteBytes("タイム回数データ.txt", "old");
    auto reader = std::make_unique<OtherHandle>(p, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader->IsOpen());
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        reader->Close();
    });
    EXPECT_NO_THROW(WriteFileAtomically(p, "new"));
    letGo.join();
    EXPECT_EQ(testing::ReadBytes(p), "new");
}

// One that never lets go: the save fails with a message naming the file, the old file is whole
// and no temporary file is left beside it.
TEST(WindowsAtomicReplace, FailsCleanlyWhileAReaderHoldsOn) {
    testing::TempDir dir;
    const fs::path p = dir.WriteBytes("タイム回数データ.txt", "old");
    OtherHandle reader(p, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader.IsOpen());
    try {
        WriteFileAtomically(p, "new");
        ADD_FAILURE() << "replaced a file whose reader does not share its deletion";
    } catch (const DataFileError& e) {
        EXPECT_NE(e.file().find("タイム回数データ.txt"), std::string::npos);
        EXPECT_NE(e.problem().find("元のファイルはそのままです"), std::string::npos);
    }
    EXPECT_EQ(testing::ReadBytes(p), "old");
    EXPECT_FALSE(fs::exists(dir / "タイム回数データ.txt.tmp"));
}

class WindowsCommandLineQuoting : public ::testing::TestWithParam<const char*> {};

// Catches an argument split or changed on its way to the started program.
TEST_P(WindowsCommandLineQuoting, ComesBackAsTheSameArgument) {
    const std::wstring line =
        WindowsCommandLine(PathFromText("C:/起動/プログラムメニューc.exe"), {GetParam(), "001"});
    int count = 0;
    LPWSTR* back = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(count, 3) << windows::Utf8FromWide(line);
    EXPECT_EQ(windows::Utf8FromWide(back[1]), GetParam());
    EXPECT_EQ(windows::Utf8FromWide(back[2]), "001");
    ::LocalFree(back);
}

INSTANTIATE_TEST_SUITE_P(Arguments, WindowsCommandLineQuoting,
                         ::testing::Values("001", "a b", "", "say \"hi\"", "C:\\data\\",
                                           "C:\\my data\\", "髙﨑①Ⅱ～", "\\\\server\\juku\\"));

// A real program in a folder with Japanese characters is started, not waited for, and gets its
// argument: the append helper copied to where the family's menu program lies.
TEST(WindowsProgramLauncher, StartsTheMenuProgramWithItsArgument) {
    testing::TempDir dir;
    fs::create_directories(dir / "化学式");
    fs::create_directories(dir / "起動");
    const fs::path menu = dir / "起動/プログラムメニューc.exe";
    fs::copy_file(PathFromText(KAGAKU_HELPER_append_helper), menu);
    const fs::path file = dir / "起動/成績.dat";
    WindowsProgramLauncher launcher;
    // The helper's "hold" mode takes the writers' lock on the file named by its arguments.
    launcher.StartDetached(menu, {"hold", PathText(file), "100"});
    for (int i = 0; i < 500 && !fs::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(file)) << "the started program did not get its arguments";
    EXPECT_THROW(launcher.StartDetached(dir / "起動/ない.exe", {"001"}), ProgramStartError);
    const fs::path text = dir.WriteBytes("起動/文書.exe", "not a program");
    EXPECT_THROW(launcher.StartDetached(text, {"001"}), ProgramStartError);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the helper end
}

}  // namespace
}  // namespace kagaku

#endif
