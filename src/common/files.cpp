#include "common/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/cp932.h"
#include "common/errors.h"

namespace kagaku {

namespace fs = std::filesystem;

std::string PathText(const fs::path& p) {
    std::u8string u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path PathFromText(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

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

std::string ReadWholeFile(const fs::path& p) {
    std::error_code ec;
    if (!fs::exists(p, ec)) {
        throw DataFileError(PathText(p), "ファイルが見つかりません。");
    }
    if (fs::is_directory(p, ec)) {
        throw DataFileError(PathText(p), "ファイルではなくフォルダです。");
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        throw DataFileError(PathText(p), "ファイルを開けません（" + SystemReason(errno) + "）。");
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        throw DataFileError(PathText(p), "ファイルを読めません。");
    }
    return ss.str();
}

std::string ReadCp932File(const fs::path& p) {
    return Cp932ToUtf8(ReadWholeFile(p), PathText(p));
}

void WriteFileAtomically(const fs::path& p, std::string_view bytes) {
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

}  // namespace kagaku
