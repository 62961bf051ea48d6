// Writes the program's own sound files (sound/project_tones.h) into a folder; the build lays
// out the demo tree's sound folder with it.
// Usage: make_tones FOLDER

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/errors.h"
#include "common/files.h"
#include "platform/console.h"
#include "sound/project_tones.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tones FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = kagaku::PathFromText(kagaku::Utf8Arguments(argc, argv)[1]);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    try {
        kagaku::WriteProjectTones(folder);
    } catch (const kagaku::DataFileError& e) {
        std::fprintf(stderr, "make_tones: %s: %s\n", e.file().c_str(), e.problem().c_str());
        return 1;
    }
    return 0;
}
