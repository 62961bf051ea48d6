#include "platform/shared_file.h"

#include <gtest/gtest.h>

#include <filesystem>

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
