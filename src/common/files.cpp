#include "common/files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/cp932.h"
#include "common/errors.h"
#include "platform/atomic_file.h"

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
    ReplaceFileAtomically(p, bytes);
}

}  // namespace kagaku
