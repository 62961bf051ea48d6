#include <windows.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "common/errors.h"
#include "common/files.h"
#include "platform/atomic_file.h"
#include "platform/windows_text.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

// A reader on another PC that has the old file open for a moment (without sharing its
// deletion, as the C runtime opens files) makes the rename fail: it is tried again this often,
// a tenth of a second apart, before the save is reported as failed.
constexpr int kReplaceAttempts = 30;

bool HeldByAnother(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Renames with POSIX semantics (Windows 10 1607 and later, on NTFS and SMB servers that offer
// it): the old file leaves the folder at once even while another program has it open sharing
// its deletion, as a rename does on Linux. False where the system or the file system has no
// such rename; the caller then uses MoveFileExW.
bool RenamePosixStyle(const fs::path& from, const fs::path& to, DWORD& error) {
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    constexpr DWORD kReplaceIfExists = 0x1;
    constexpr DWORD kPosixSemantics = 0x2;
    struct RenameInfo {
        DWORD Flags;
        HANDLE RootDirectory;
        DWORD FileNameLength;
        WCHAR FileName[1];
    };
    const std::wstring target = to.native();
    std::vector<char> buffer(sizeof(RenameInfo) + target.size() * sizeof(WCHAR));
    auto* info = reinterpret_cast<RenameInfo*>(buffer.data());
    info->Flags = kReplaceIfExists | kPosixSemantics;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(WCHAR));
    std::memcpy(info->FileName, target.c_str(), (target.size() + 1) * sizeof(WCHAR));
    HANDLE h = ::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return false;
    }
    const BOOL renamed =
        ::SetFileInformationByHandle(h, kFileRenameInfoEx, info, static_cast<DWORD>(buffer.size()));
    error = renamed ? 0 : ::GetLastError();
    ::CloseHandle(h);
    return renamed != 0;
}

[[noreturn]] void Fail(const std::string& name, const fs::path& temp, const char* what,
                       DWORD error) {
    ::DeleteFileW(temp.c_str());
    throw DataFileError(name, std::string(what) + "（" + windows::DescriptionOfError(error) +
                                  "）。元のファイルはそのままです。");
}

}  // namespace

void ReplaceFileAtomically(const fs::path& p, std::string_view bytes) {
    fs::path temp = p;
    temp += ".tmp";
    const std::string name = PathText(p);
    HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        throw DataFileError(name, "一時ファイルを作れないため保存できませんでした（" +
                                      windows::DescriptionOfError(error) +
                                      "）。元のファイルはそのままです。");
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
        DWORD put = 0;
        if (!::WriteFile(h, bytes.data() + done, chunk, &put, nullptr) || put == 0) {
            const DWORD error =
                put == 0 && ::GetLastError() == 0 ? ERROR_WRITE_FAULT : ::GetLastError();
            ::CloseHandle(h);
            Fail(name, temp, "書き込みに失敗しました", error);
        }
        done += put;
    }
    if (!::FlushFileBuffers(h)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(h);
        Fail(name, temp, "ディスクへの書き込みに失敗しました", error);
    }
    if (!::CloseHandle(h)) {
        Fail(name, temp, "書き込みに失敗しました", ::GetLastError());
    }
    DWORD posixError = 0;
    if (RenamePosixStyle(temp, p, posixError)) {
        return;
    }
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(temp.c_str(), p.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return;
        }
        const DWORD error = ::GetLastError();
        if (!HeldByAnother(error) || attempt >= kReplaceAttempts) {
            Fail(name, temp, "ファイルを置き換えられませんでした", error);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}


void AppendLineToFile(const fs::path& p, std::string_view line) {
    const std::string name = PathText(p);
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end of the file as a
    // whole, after any other writer's line, as O_APPEND does on POSIX.
    HANDLE h = ::CreateFileW(p.c_str(), FILE_APPEND_DATA | GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw DataFileError(name, "ファイルを開けないため書き込めませんでした（" +
                                      windows::DescriptionOfError(::GetLastError()) + "）。");
    }
    std::string bytes;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(h, &size) && size.QuadPart > 0) {
        OVERLAPPED at{};
        const auto lastByte = static_cast<unsigned long long>(size.QuadPart - 1);
        at.Offset = static_cast<DWORD>(lastByte & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(lastByte >> 32);
        char last = '\n';
        DWORD got = 0;
        if (::ReadFile(h, &last, 1, &got, &at) && got == 1 && last != '\n' && last != '\r')
            bytes = "\r\n";
    }
    bytes.append(line);
    DWORD put = 0;
    const BOOL wrote = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    const DWORD error = wrote ? 0 : ::GetLastError();
    ::CloseHandle(h);
    if (!wrote || put != bytes.size()) {
        throw DataFileError(name, "書き込みに失敗しました（" +
                                      windows::DescriptionOfError(wrote ? ERROR_WRITE_FAULT : error) +
                                      "）。");
    }
}

}  // namespace kagaku
