#pragma once
// The sound table read from 新音ファイル.txt: for each of ten cue keys, up to twenty file names
// (without ".wav", relative to the sound folder), one of which is played at random.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace kagaku {

inline constexpr int kSoundKeys = 10;
inline constexpr int kMaxSoundFiles = 20;

struct SoundTable {
    // Index 1..10; entry 0 unused.
    std::array<std::string, kSoundKeys + 1> KeyNames{};
    std::array<std::vector<std::string>, kSoundKeys + 1> Files{};
    // The count as the file gave it; -1 when a list of twenty names was not closed by "*".
    std::array<int, kSoundKeys + 1> Counts{};
};

// The ten key names, "正解音1" ... "不合格音1", at index 1..10.
std::array<std::string, kSoundKeys + 1> SoundKeyNames();

// Reads 新音ファイル.txt. Throws DataFileError when it is missing or undecodable.
SoundTable LoadSoundTable(const std::filesystem::path& file);

}  // namespace kagaku
