#pragma once
// Platform calls for files on the school's shared network folder: a file opened for random
// access, read and written at byte offsets, and an exclusive lock on a fixed byte range that
// other processes and other machines see (NFS and SMB mounts included). This POSIX build uses
// open-file-description record locks; a Windows build implements the same class with
// CreateFileW, ReadFile/WriteFile at offsets and LockFileEx/UnlockFileEx.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kagaku {

// What went wrong with a file operation, as far as a caller decides what to do next.
enum class FileErrorKind {
    NotFound,  // the file or its folder is not there (a network drive may be down)
    Busy,      // another process or machine holds the file or the locked range
    Other,
};

class FileOperationError : public std::runtime_error {
public:
    FileOperationError(FileErrorKind kind, int errorNumber, std::string description);
    FileErrorKind kind() const { return kind_; }
    // The system's error number (errno on POSIX, GetLastError on Windows).
    int errorNumber() const { return errorNumber_; }
    // A Japanese description of the error.
    const std::string& description() const { return description_; }

private:
    FileErrorKind kind_;
    int errorNumber_;
    std::string description_;
};

class SharedFile {
public:
    enum class Mode {
        ReadOnly,        // fails with NotFound when the file is missing
        ReadWriteCreate  // creates an empty file when there is none
    };

    // Throws FileOperationError.
    SharedFile(const std::filesystem::path& path, Mode mode);
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // The file's length. A folder at the path is an error (Other), also where a share gives
    // folders the length 0.
    std::uint64_t Size() const;
    // Reads up to size bytes at offset; fewer only at the end of the file. Loops over short reads.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Writes all bytes at offset.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    void Truncate(std::uint64_t size);
    // Flushes the written data to the disk (or the file server).
    void Sync();

    // Takes an exclusive lock on [offset, offset + length) without waiting: false when another
    // process or machine holds an overlapping lock. The lock belongs to this open file and
    // goes with it when it is closed or the process ends.
    bool TryLockRange(std::uint64_t offset, std::uint64_t length);
    void UnlockRange(std::uint64_t offset, std::uint64_t length);

    // True while the path still names the file this object has open (it has not been deleted
    // or replaced by another file since it was opened).
    bool IsStillAt(const std::filesystem::path& path) const;

    // Read calls made on shared files by this process so far (each one is a round trip on a
    // network share); for measurements.
    static std::uint64_t ReadCallCount();

    // Removes the file (a file that is not there counts as removed).
    static void Remove(const std::filesystem::path& path);
    // Flushes the folder's entries (a file created, renamed or removed in it) to the disk.
    static void SyncFolder(const std::filesystem::path& folder);

private:
    std::intptr_t handle_;
    bool classicLocks_ = false;  // the file system has no open-file-description locks
};

// Fault seam for the crash tests: after `count` more changing calls (create, write, truncate,
// sync, remove, folder sync) have succeeded, the next one and every later one fail with an
// Other error, as if the machine had stopped at that point. A negative count switches it off
// (the program never switches it on).
void FailFileChangesAfter(long long count);

// Fault seam for the fault-injection tests: the k-th file call from now on (k from 0; open,
// measure, read, write, flush, lock, unlock, truncate, remove and folder flush each count as a
// call, and every pass of a read or write loop as one more) fails once with errorNumber, as a
// disk, a full share or a file server may fail it. With shortWrite only writes are counted, and
// the k-th one writes the first half of its bytes before it fails. A negative k switches it off
// (the program never switches it on).
void FailFileCall(long long k, int errorNumber, bool shortWrite = false);
// True once the fault set by FailFileCall has struck.
bool FileCallFailed();

}  // namespace kagaku
