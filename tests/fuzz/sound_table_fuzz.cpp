// 新音ファイル.txt as a teacher may edit it.
#include <cstdlib>

#include "common/errors.h"
#include "fuzz_support.h"
#include "sound/sound_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const auto file = fuzz::WriteScratch("新音ファイル.txt", fuzz::Bytes(data, size));
    try {
        const SoundTable table = LoadSoundTable(file);
        for (const auto& files : table.Files) {
            if (files.size() > kMaxSoundFiles) {
                std::abort();
            }
        }
    } catch (const DataFileError&) {
    }
    return 0;
}
