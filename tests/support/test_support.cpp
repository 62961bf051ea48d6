#include "support/test_support.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "common/cp932.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"

namespace kagaku::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = fs::temp_directory_path() / ("kagaku-test-" + std::to_string(rd()) + "-" +
                                                      std::to_string(counter.fetch_add(1)));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path TempDir::operator/(std::string_view name) const {
    return path_ / fs::path(std::u8string(name.begin(), name.end()));
}

fs::path TempDir::WriteBytes(std::string_view name, std::string_view bytes) const {
    fs::path p = *this / name;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + p.string());
    return p;
}

fs::path TempDir::WriteCp932(std::string_view name, std::string_view utf8) const {
    std::string crlf = text::ReplaceAll(text::ReplaceAll(utf8, "\r\n", "\n"), "\n", "\r\n");
    return WriteBytes(name, Utf8ToCp932(crlf, std::string(name)));
}

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void FakeClock::Set(const CivilDate& d, const TimeOfDay& t) {
    now_ = ToOleDateTime(d, t);
}

void FakeClock::AdvanceSeconds(double seconds) {
    now_ += seconds / 86400.0;
    monotonicMs_ += static_cast<std::int64_t>(seconds * 1000.0);
}

double FakeRandom::Next() {
    if (values_.empty())
        return 0.0;
    double v = values_.front();
    values_.pop_front();
    return v;
}

bool CanRenameOverAnOpenFile(const TempDir& dir) {
    const fs::path target = dir.WriteBytes("rename-probe.dat", "old");
    const fs::path source = dir.WriteBytes("rename-probe.new", "new");
    bool renamed = false;
    {
        SharedFile open(target, SharedFile::Mode::ReadOnly);
        std::error_code ec;
        fs::rename(source, target, ec);
        renamed = !ec;
    }
    std::error_code ignored;
    fs::remove(source, ignored);
    fs::remove(target, ignored);
    return renamed;
}

}  // namespace kagaku::testing
