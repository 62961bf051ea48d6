#pragma once
// The program's own sounds: short tones and chimes made from a few notes, written as 16-bit
// mono PCM WAV files at 22050 Hz, and the sound table 新音ファイル.txt that names them for the
// ten cue keys. A new school's sound folder and the demo tree's are laid out from these.

#include <filesystem>
#include <string>
#include <vector>

namespace kagaku {

struct ToneNote {
    double frequency;  // 0 for a rest
    double seconds;
};

struct ProjectTone {
    std::string name;  // file name without ".wav"
    std::vector<ToneNote> notes;
};

// Every sound of the program: the files the table names and the two fixed ones (最高1, 合格).
const std::vector<ProjectTone>& ProjectTones();

// The bytes of a WAV file playing the notes one after another.
std::string ToneWavBytes(const std::vector<ToneNote>& notes);

// The sound table's lines (UTF-8, without line ends): a key name, its files, then "*".
std::vector<std::string> ProjectSoundTableLines();

// Writes every tone into folder as <name>.wav (the folder must exist). Throws DataFileError
// naming the file that cannot be written.
void WriteProjectTones(const std::filesystem::path& folder);

}  // namespace kagaku
