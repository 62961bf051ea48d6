// The shared file on Windows. The file is opened with sharing for reading, writing and
// deleting, so other PCs read and append while this one has it open, and a teacher's
// replacement or deletion of a file is not refused because a pupil's PC is reading it. The
// writers' lock is LockFileEx on the same byte range the POSIX build locks with fcntl: over
// one SMB server, a Windows PC and a Linux PC exclude each other. Windows locks are mandatory
// for the locked bytes, which is why that range lies far beyond the end of the file.

#include <windows.h>

#include <limits>

#include "platform/file_faults.h"
#include "platform/shared_file.h"
#include "platform/windows_text.h"

namespace kagaku {

namespace {

using windows::ThrowError;

void ChangePoint() {
    if (file_faults::ChangeMustFail()) {
        throw FileOperationError(FileErrorKind::Other, static_cast<int>(ERROR_GEN_FAILURE),
                                 "（試験）ここで止まりました");
    }
}

// A file call: the fault seam may fail it with the Windows error that matches its errno.
void CallPoint() {
    if (file_faults::StrikesHere(false)) {
        ThrowError(windows::ErrorForErrno(file_faults::ErrnoValue()));
    }
}

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}

DWORD Chunk(std::size_t size) {
    constexpr std::size_t kMax = 1u << 30;  // well inside a DWORD
    return static_cast<DWORD>(size < kMax ? size : kMax);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsFolder(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BY_HANDLE_FILE_INFORMATION Identity(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) {
        ThrowError(::GetLastError());
    }
    return info;
}

}  // namespace

SharedFile::SharedFile(const std::filesystem::path& path, Mode mode) : handle_(-1) {
    const bool write = mode != Mode::ReadOnly;
    if (write) {
        ChangePoint();
    }
    CallPoint();
    HANDLE h = ::CreateFileW(path.c_str(), write ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ,
                             kShareAll, nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Windows answers "access denied" for a folder opened as a file: that is no busy file.
        if (error == ERROR_ACCESS_DENIED && IsFolder(path)) {
            throw FileOperationError(FileErrorKind::Other, static_cast<int>(ERROR_DIRECTORY),
                                     windows::DescriptionOfError(ERROR_DIRECTORY));
        }
        ThrowError(error);
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
}

SharedFile::~SharedFile() {
    if (handle_ != -1) {
        ::CloseHandle(Handle(handle_));
    }
}

std::uint64_t SharedFile::Size() const {
    CallPoint();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Handle(handle_), &size)) {
        ThrowError(::GetLastError());
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t SharedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        file_faults::CountRead();
        CallPoint();
        OVERLAPPED ov = At(offset + done);
        DWORD got = 0;
        if (!::ReadFile(Handle(handle_), out + done, Chunk(size - done), &got, &ov)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            ThrowError(error);
        }
        if (got == 0) {
            break;
        }
        done += got;
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
                OVERLAPPED ov = At(offset + done);
                DWORD put = 0;
                (void)::WriteFile(Handle(handle_), in + done, Chunk((size - done) / 2), &put, &ov);
            }
            ThrowError(windows::ErrorForErrno(file_faults::ErrnoValue()));
        }
        OVERLAPPED ov = At(offset + done);
        DWORD put = 0;
        if (!::WriteFile(Handle(handle_), in + done, Chunk(size - done), &put, &ov)) {
            ThrowError(::GetLastError());
        }
        if (put == 0) {
            ThrowError(ERROR_WRITE_FAULT);
        }
        done += put;
    }
}

void SharedFile::Truncate(std::uint64_t size) {
    ChangePoint();
    CallPoint();
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(Handle(handle_), FileEndOfFileInfo, &end, sizeof end)) {
        ThrowError(::GetLastError());
    }
}

void SharedFile::Sync() {
    ChangePoint();
    CallPoint();
    if (!::FlushFileBuffers(Handle(handle_))) {
        ThrowError(::GetLastError());
    }
}

bool SharedFile::TryLockRange(std::uint64_t offset, std::uint64_t length) {
    DWORD error = 0;
    if (file_faults::StrikesHere(false)) {
        error = windows::ErrorForErrno(file_faults::ErrnoValue());
    } else {
        OVERLAPPED ov = At(offset);
        if (::LockFileEx(Handle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                         static_cast<DWORD>(length & 0xFFFFFFFFu), static_cast<DWORD>(length >> 32),
                         &ov)) {
            return true;
        }
        error = ::GetLastError();
    }
    // Held by another handle, process or machine (what the POSIX build sees as EAGAIN).
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION ||
        error == ERROR_IO_PENDING) {
        return false;
    }
    ThrowError(error);
}

void SharedFile::UnlockRange(std::uint64_t offset, std::uint64_t length) {
    CallPoint();
    OVERLAPPED ov = At(offset);
    if (!::UnlockFileEx(Handle(handle_), 0, static_cast<DWORD>(length & 0xFFFFFFFFu),
                        static_cast<DWORD>(length >> 32), &ov)) {
        ThrowError(::GetLastError());
    }
}

bool SharedFile::IsStillAt(const std::filesystem::path& path) const {
    CallPoint();
    const BY_HANDLE_FILE_INFORMATION mine = Identity(Handle(handle_));
    HANDLE there = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (there == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Not there any more; or deleted while still open somewhere (Windows keeps the name of
        // a file that is about to go and refuses to open it).
        if (windows::KindOfError(error) == FileErrorKind::NotFound ||
            error == ERROR_ACCESS_DENIED) {
            return false;
        }
        ThrowError(error);
    }
    BY_HANDLE_FILE_INFORMATION other{};
    const bool ok = ::GetFileInformationByHandle(there, &other) != 0;
    const DWORD error = ::GetLastError();
    ::CloseHandle(there);
    if (!ok) {
        ThrowError(error);
    }
    return mine.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           mine.nFileIndexHigh == other.nFileIndexHigh && mine.nFileIndexLow == other.nFileIndexLow;
}

void SharedFile::Remove(const std::filesystem::path& path) {
    ChangePoint();
    CallPoint();
    if (!::DeleteFileW(path.c_str())) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            ThrowError(error);
        }
    }
}

void SharedFile::SyncFolder(const std::filesystem::path&) {
    // A folder's entries on Windows are made lasting by the file system itself (and a rename
    // through MoveFileExW with MOVEFILE_WRITE_THROUGH); the call still counts for the seams.
    ChangePoint();
    CallPoint();
}

}  // namespace kagaku
