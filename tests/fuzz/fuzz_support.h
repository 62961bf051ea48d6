#pragma once
// Shared by the fuzz targets: the readers read real files, so each input is written to a file
// in a scratch folder of this process (in memory where the system has /dev/shm).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kagaku::fuzz {

inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::filesystem::path p = base / ("kagaku-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return folder;
}

// Writes bytes to name (a path relative to the scratch folder) and returns its path.
inline std::filesystem::path WriteScratch(std::string_view name, std::string_view bytes) {
    const std::filesystem::path p = ScratchFolder() / std::filesystem::u8path(name);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace kagaku::fuzz
