#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/errors.h"
#include "common/files.h"
#include "platform/atomic_file.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

std::string SystemReason(int err) {
    return std::strerror(err);
}

// Writes all bytes to fd; false with errno set on failure.
bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void ReplaceFileAtomically(const fs::path& p, std::string_view bytes) {
    fs::path temp = p;
    temp += ".tmp";
    const std::string name = PathText(p);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw DataFileError(name, "一時ファイルを作れないため保存できませんでした（" +
                                      SystemReason(errno) + "）。元のファイルはそのままです。");
    }
    auto fail = [&](const char* what) {
        int err = errno;
        ::close(fd);
        std::error_code ec;
        fs::remove(temp, ec);
        throw DataFileError(name, std::string(what) + "（" + SystemReason(err) +
                                      "）。元のファイルはそのままです。");
    };
    if (!WriteAll(fd, bytes))
        fail("書き込みに失敗しました");
    if (::fsync(fd) != 0)
        fail("ディスクへの書き込みに失敗しました");
    if (::close(fd) != 0) {
        int err = errno;
        std::error_code ec;
        fs::remove(temp, ec);
        throw DataFileError(name, "書き込みに失敗しました（" + SystemReason(err) +
                                      "）。元のファイルはそのままです。");
    }
    if (::rename(temp.c_str(), p.c_str()) != 0) {
        int err = errno;
        std::error_code ec;
        fs::remove(temp, ec);
        // A network share (SMB) refuses to replace a file that another PC has open, if only
        // for the moment it takes to read it.
        if (err == EBUSY || err == ETXTBSY) {
            throw DataFileError(name,
                                "ほかのパソコンがこのファイルを開いているため、置き換えられません"
                                "でした。しばらくしてからもう一度保存してください。元のファイ"
                                "ルはそのままです。");
        }
        throw DataFileError(name, "ファイルを置き換えられませんでした（" + SystemReason(err) +
                                      "）。元のファイルはそのままです。");
    }
    // Make the rename itself lasting.
    int dir = ::open(p.parent_path().empty() ? "." : p.parent_path().c_str(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void AppendLineToFile(const fs::path& p, std::string_view line) {
    const std::string name = PathText(p);
    int fd = ::open(p.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw DataFileError(
            name, "ファイルを開けないため書き込めませんでした（" + SystemReason(errno) + "）。");
    }
    std::string bytes;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n' && last != '\r')
        bytes = "\r\n";
    bytes.append(line);
    // One write: with O_APPEND it lands at the end as a whole, after any other writer's line.
    if (!WriteAll(fd, bytes)) {
        const int err = errno;
        ::close(fd);
        throw DataFileError(name, "書き込みに失敗しました（" + SystemReason(err) + "）。");
    }
    if (::close(fd) != 0) {
        throw DataFileError(name, "書き込みに失敗しました（" + SystemReason(errno) + "）。");
    }
}

}  // namespace kagaku
