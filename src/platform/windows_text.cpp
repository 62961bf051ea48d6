#include "platform/windows_text.h"

#include <windows.h>

#include <cerrno>
#include <climits>

namespace kagaku::windows {

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    }
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr,
                              nullptr);
    }
    return utf8;
}

FileErrorKind KindOfError(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_NETNAME_DELETED:
            return FileErrorKind::NotFound;
        // Another machine or process holds the file, or the locked range: the caller waits.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_ACCESS_DENIED:
        case ERROR_DRIVE_LOCKED:
            return FileErrorKind::Busy;
        default:
            return FileErrorKind::Other;
    }
}

std::string DescriptionOfError(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "ファイルまたはフォルダが見つかりません";
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
            return "装置が見つかりません";
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_SEM_TIMEOUT:
            return "ネットワークに接続できません";
        case ERROR_ACCESS_DENIED:
            return "アクセスが拒否されました（他のパソコンが使用中か、権限がありません）";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_DRIVE_LOCKED:
            return "他のパソコンが使用中です";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "ディスクがいっぱいです";
        case ERROR_WRITE_PROTECT:
            return "書き込みできないドライブです";
        case ERROR_GEN_FAILURE:
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
            return "入出力エラーです";
        case ERROR_DIRECTORY:
            return "フォルダです";
        case ERROR_FILE_TOO_LARGE:
            return "ファイルが大きすぎます";
        default:
            return "エラーが発生しました（Windows のエラー " + std::to_string(error) + "）";
    }
}

unsigned long ErrorForErrno(int errnum) {
    switch (errnum) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EAGAIN:
            return ERROR_SHARING_VIOLATION;
        case EBUSY:
            return ERROR_LOCK_VIOLATION;
        case ENOSPC:
            return ERROR_DISK_FULL;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case EFBIG:
            return ERROR_FILE_TOO_LARGE;
        default:
            return ERROR_GEN_FAILURE;
    }
}

void ThrowError(unsigned long error) {
    throw FileOperationError(KindOfError(error), static_cast<int>(error),
                             DescriptionOfError(error));
}

}  // namespace kagaku::windows
