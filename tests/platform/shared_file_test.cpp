#include "platform/shared_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/files.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

// Locks must belong to the open file, not the process: a second open of the same file in this
// process must see the lock (classic record locks would let it through).
TEST(SharedFileLock, LockIsSeenByAnotherOpenFileOfTheSameProcess) {
    testing::TempDir dir;
    fs::path p = dir / "f.dat";
    SharedFile a(p, SharedFile::Mode::ReadWriteCreate);
    SharedFile b(p, SharedFile::Mode::ReadWriteCreate);
    ASSERT_TRUE(a.TryLockRange(1000, 1));
    EXPECT_FALSE(b.TryLockRange(1000, 1));
    EXPECT_TRUE(b.TryLockRange(1001, 1));  // only the fixed range is locked
    a.UnlockRange(1000, 1);
    EXPECT_TRUE(b.TryLockRange(1000, 1));
}

// Closing some other descriptor of the file (a reader elsewhere in the program) must not drop
// the writer's lock; closing the writer's own file must.
TEST(SharedFileLock, ClosingAnotherOpenFileKeepsTheLock) {
    testing::TempDir dir;
    fs::path p = dir / "f.dat";
    SharedFile writer(p, SharedFile::Mode::ReadWriteCreate);
    ASSERT_TRUE(writer.TryLockRange(1000, 1));
    { SharedFile reader(p, SharedFile::Mode::ReadOnly); }
    {
        SharedFile other(p, SharedFile::Mode::ReadWriteCreate);
        EXPECT_FALSE(other.TryLockRange(1000, 1));
    }
    auto owner = std::make_unique<SharedFile>(p, SharedFile::Mode::ReadWriteCreate);
    SharedFile next(p, SharedFile::Mode::ReadWriteCreate);
    writer.UnlockRange(1000, 1);
    ASSERT_TRUE(owner->TryLockRange(1000, 1));
    owner.reset();
    EXPECT_TRUE(next.TryLockRange(1000, 1));
}

TEST(SharedFile, ReadWriteSizeAndTruncate) {
    testing::TempDir dir;
    fs::path p = dir / "f.dat";
    SharedFile f(p, SharedFile::Mode::ReadWriteCreate);
    EXPECT_EQ(f.Size(), 0u);
    f.WriteAt(3, "abc", 3);
    f.Sync();
    EXPECT_EQ(f.Size(), 6u);
    char buffer[10] = {};
    EXPECT_EQ(f.ReadAt(3, buffer, sizeof buffer), 3u);  // short only at the end
    EXPECT_EQ(std::string(buffer, 3), "abc");
    f.Truncate(4);
    EXPECT_EQ(f.Size(), 4u);
}

// A file deleted or replaced since it was opened is not the file at the path any more.
// A network share (SMB) refuses to replace or delete a file that is open; then the open file
// must still be seen where it was.
TEST(SharedFile, NoticesAFileReplacedOrDeleted) {
    testing::TempDir dir;
    if (!testing::CanRenameOverAnOpenFile(dir)) {
        GTEST_SKIP() << "this system refuses to rename over an open file";
    }
    fs::path p = dir / "f.dat";
    SharedFile f(p, SharedFile::Mode::ReadWriteCreate);
    EXPECT_TRUE(f.IsStillAt(p));
    fs::path copy = dir.WriteBytes("copy.dat", "x");
    std::error_code refused;
    fs::rename(copy, p, refused);
    EXPECT_EQ(f.IsStillAt(p), bool(refused)) << refused.message();
    fs::remove(p, refused);
    EXPECT_EQ(f.IsStillAt(p), bool(refused)) << refused.message();
}

// The kinds decide whether the caller waits: a missing folder is "not found", never "busy".
TEST(SharedFile, ErrorKinds) {
    testing::TempDir dir;
    auto kindOf = [](const fs::path& p, SharedFile::Mode mode) {
        try {
            SharedFile f(p, mode);
        } catch (const FileOperationError& e) {
            EXPECT_FALSE(e.description().empty());
            return e.kind();
        }
        ADD_FAILURE() << "no error";
        return FileErrorKind::Other;
    };
    EXPECT_EQ(kindOf(dir / "nothing.dat", SharedFile::Mode::ReadOnly), FileErrorKind::NotFound);
    EXPECT_EQ(kindOf(dir / "no" / "f.dat", SharedFile::Mode::ReadWriteCreate),
              FileErrorKind::NotFound);
    fs::create_directory(dir / "folder");
    EXPECT_EQ(kindOf(dir / "folder", SharedFile::Mode::ReadWriteCreate), FileErrorKind::Other);
}

}  // namespace
}  // namespace kagaku

namespace kagaku {
namespace {

namespace fs = std::filesystem;

// Cases every system must meet alike: the same lock on the same byte range (so that a Windows
// PC and a Linux PC exclude each other over one server) and paths as the schools name them.
struct PathCase {
    const char* what;
    const char* folder;
    const char* file;
};

class SharedFilePaths : public ::testing::TestWithParam<PathCase> {};

// Catches a path passed to the system in the wrong encoding (the ANSI code page on Windows):
// the file would be made under a garbled name, or not at all.
TEST_P(SharedFilePaths, OpensLocksAndFindsTheFileUnderItsOwnName) {
    testing::TempDir dir;
    const fs::path folder = dir / GetParam().folder;
    fs::create_directories(folder);
    const fs::path p = folder / PathFromText(GetParam().file);
    {
        SharedFile f(p, SharedFile::Mode::ReadWriteCreate);
        ASSERT_TRUE(f.TryLockRange(0x7FFFFF00, 1));
        f.WriteAt(0, "44", 2);
        f.UnlockRange(0x7FFFFF00, 1);
        EXPECT_TRUE(f.IsStillAt(p));
    }
    bool found = false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found = found || PathText(entry.path().filename()) == GetParam().file;
    }
    EXPECT_TRUE(found) << "the file is not listed under its own name";
    {
        SharedFile again(p, SharedFile::Mode::ReadOnly);
        EXPECT_EQ(again.Size(), 2u);
    }
    // (Closed first: Windows keeps the name of a removed file until its last handle closes.)
    SharedFile::Remove(p);
    EXPECT_FALSE(fs::exists(p));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SharedFilePaths,
    ::testing::Values(PathCase{"ascii", "data", "records.dat"},
                      PathCase{"score file", "学校データ/kagaku", "成績累積データ.dat"},
                      PathCase{"extension kanji", "髙﨑塾/データ", "ギブ12①Ⅱ.csv"},
                      PathCase{"blank and tilde", "みどり 塾～", "先生パスワード.txt"}));

// The writers' lock lies beyond the end of the file: a reader on another handle reads every
// byte while it is held. (Windows locks are mandatory: a lock on the records would make
// every pupil's PC fail to read the scores while one PC appends.)
TEST(SharedFileLock, HeldLockNeverBlocksAReaderOrAnotherWriterOfTheRecords) {
    testing::TempDir dir;
    const fs::path p = dir / "成績累積データ.dat";
    SharedFile writer(p, SharedFile::Mode::ReadWriteCreate);
    const std::string records(44 * 3, 'r');
    writer.WriteAt(0, records.data(), records.size());
    ASSERT_TRUE(writer.TryLockRange(0x7FFFFF00, 1));
    SharedFile reader(p, SharedFile::Mode::ReadOnly);
    std::string seen(records.size(), '\0');
    EXPECT_EQ(reader.ReadAt(0, seen.data(), seen.size()), records.size());
    EXPECT_EQ(seen, records);
    SharedFile rewriter(p, SharedFile::Mode::ReadWriteCreate);
    rewriter.WriteAt(44, "R", 1);  // the record manager rewrites without the lock
    EXPECT_FALSE(rewriter.TryLockRange(0x7FFFFF00, 1));
    writer.UnlockRange(0x7FFFFF00, 1);
    EXPECT_TRUE(rewriter.TryLockRange(0x7FFFFF00, 1));
}

}  // namespace
}  // namespace kagaku
