#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/file_faults.h"
#include "platform/shared_file.h"

namespace kagaku {

namespace {

void ChangePoint() {
    if (file_faults::ChangeMustFail()) {
        throw FileOperationError(FileErrorKind::Other, EIO, "（試験）ここで止まりました");
    }
}

std::string JapaneseDescription(int errnum) {
    switch (errnum) {
        case ENOENT:
            return "ファイルまたはフォルダが見つかりません";
        case ENOTDIR:
            return "パスの途中がフォルダではありません";
        case ENXIO:
        case ENODEV:
            return "装置が見つかりません";
        case ESTALE:
            return "ネットワーク上のファイルが差し替えられました";
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました（他のパソコンが使用中か、権限がありません）";
        case EAGAIN:
            return "他のパソコンが使用中です";
        case EBUSY:
        case ETXTBSY:
            return "ファイルが使用中です";
        case ENOSPC:
            return "ディスクがいっぱいです";
        case EDQUOT:
            return "ディスクの割り当てを超えました";
        case EROFS:
            return "書き込みできないドライブです";
        case EIO:
            return "入出力エラーです";
        case EISDIR:
            return "フォルダです";
        case EFBIG:
            return "ファイルが大きすぎます";
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
            return "ネットワークに接続できません";
        default:
            return std::string("エラーが発生しました（") + std::strerror(errnum) + "）";
    }
}

FileErrorKind KindOf(int errnum) {
    switch (errnum) {
        case ENOENT:
        case ENOTDIR:
        case ENXIO:
        case ENODEV:
        case ESTALE:
            return FileErrorKind::NotFound;
        case EACCES:
        case EPERM:
        case EAGAIN:
        case EBUSY:
        case ETXTBSY:
            return FileErrorKind::Busy;
        default:
            return FileErrorKind::Other;
    }
}

[[noreturn]] void ThrowErrno(int errnum) {
    throw FileOperationError(KindOf(errnum), errnum, JapaneseDescription(errnum));
}

// A file call: the fault seam may fail it with its error number.
void CallPoint() {
    if (file_faults::StrikesHere(false)) {
        ThrowErrno(file_faults::ErrnoValue());
    }
}

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

off_t Offset(std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        ThrowErrno(EFBIG);
    }
    return static_cast<off_t>(offset);
}

struct flock RangeLock(short type, std::uint64_t offset, std::uint64_t length) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = Offset(offset);
    fl.l_len = Offset(length);
    fl.l_pid = 0;  // must be 0 for open-file-description locks
    return fl;
}

// Open-file-description locks belong to the open file, so closing another descriptor of the
// same file elsewhere in the process does not drop them (classic record locks would be).
// Kernels or file systems without them get classic record locks, which this process never
// undermines: it opens the record file once per operation.
int LockCommand(bool wait, bool classic) {
    if (classic) {
        return wait ? F_SETLKW : F_SETLK;
    }
    return wait ? F_OFD_SETLKW : F_OFD_SETLK;
}

}  // namespace

SharedFile::SharedFile(const std::filesystem::path& path, Mode mode) : handle_(-1) {
    int flags = O_CLOEXEC;
    flags |= (mode == Mode::ReadOnly) ? O_RDONLY : (O_RDWR | O_CREAT);
    if (mode != Mode::ReadOnly) {
        ChangePoint();
    }
    CallPoint();
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        ThrowErrno(errno);
    }
    handle_ = fd;
}

SharedFile::~SharedFile() {
    if (handle_ >= 0) {
        ::close(Fd(handle_));
    }
}

std::uint64_t SharedFile::Size() const {
    CallPoint();
    struct stat st {};
    if (::fstat(Fd(handle_), &st) != 0) {
        ThrowErrno(errno);
    }
    // A folder opens for reading; on a local disk reading it fails, but a share (SMB through
    // FUSE) gives a folder the length 0, which would read as an empty file.
    if (S_ISDIR(st.st_mode)) {
        ThrowErrno(EISDIR);
    }
    return static_cast<std::uint64_t>(st.st_size);
}

std::size_t SharedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        file_faults::CountRead();
        CallPoint();
        ssize_t n = ::pread(Fd(handle_), out + done, size - done, Offset(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno(errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void SharedFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    ChangePoint();
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        if (file_faults::StrikesHere(true)) {
            if (file_faults::ShortWrite() && size - done > 1) {
                // A torn write: part of the bytes reach the file, then the share fails.
                (void)::pwrite(Fd(handle_), in + done, (size - done) / 2, Offset(offset + done));
            }
            ThrowErrno(file_faults::ErrnoValue());
        }
        ssize_t n = ::pwrite(Fd(handle_), in + done, size - done, Offset(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

void SharedFile::Truncate(std::uint64_t size) {
    ChangePoint();
    CallPoint();
    if (::ftruncate(Fd(handle_), Offset(size)) != 0) {
        ThrowErrno(errno);
    }
}

void SharedFile::Sync() {
    ChangePoint();
    CallPoint();
    if (::fsync(Fd(handle_)) != 0) {
        ThrowErrno(errno);
    }
}

bool SharedFile::TryLockRange(std::uint64_t offset, std::uint64_t length) {
    for (;;) {
        struct flock fl = RangeLock(F_WRLCK, offset, length);
        int err = file_faults::StrikesHere(false) ? file_faults::ErrnoValue() : 0;
        if (err == 0) {
            if (::fcntl(Fd(handle_), LockCommand(false, classicLocks_), &fl) == 0) {
                return true;
            }
            err = errno;
        }
        if (err == EAGAIN || err == EACCES) {
            return false;  // held by another open file, process or machine
        }
        if (err == EINTR) {
            continue;
        }
        if (err == EINVAL && !classicLocks_) {
            classicLocks_ = true;  // no open-file-description locks here: use classic ones
            continue;
        }
        ThrowErrno(err);
    }
}

void SharedFile::UnlockRange(std::uint64_t offset, std::uint64_t length) {
    CallPoint();
    struct flock fl = RangeLock(F_UNLCK, offset, length);
    if (::fcntl(Fd(handle_), LockCommand(false, classicLocks_), &fl) != 0) {
        ThrowErrno(errno);
    }
}

bool SharedFile::IsStillAt(const std::filesystem::path& path) const {
    CallPoint();
    struct stat mine {};
    struct stat there {};
    if (::fstat(Fd(handle_), &mine) != 0) {
        ThrowErrno(errno);
    }
    if (::stat(path.c_str(), &there) != 0) {
        if (KindOf(errno) == FileErrorKind::NotFound) {
            return false;
        }
        ThrowErrno(errno);
    }
    return mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
}

void SharedFile::Remove(const std::filesystem::path& path) {
    ChangePoint();
    CallPoint();
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        ThrowErrno(errno);
    }
}

void SharedFile::SyncFolder(const std::filesystem::path& folder) {
    ChangePoint();
    CallPoint();
    int fd;
    do {
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        ThrowErrno(errno);
    }
    // Some file systems (network shares among them) cannot flush a folder; the data itself
    // has been flushed already, so that is no error.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
        int err = errno;
        ::close(fd);
        ThrowErrno(err);
    }
    ::close(fd);
}

}  // namespace kagaku
