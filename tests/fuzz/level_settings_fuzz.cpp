// The level settings file as a spreadsheet program may save it.
#include "common/errors.h"
#include "fuzz_support.h"
#include "records/level_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const auto file = fuzz::WriteScratch("タイム回数データ.txt", fuzz::Bytes(data, size));
    LevelSettings settings;
    try {
        LoadLevelSettings(file, settings);
        (void)LevelSettingsRows(settings, kMaxLevel);
    } catch (const DataFileError&) {
    }
    return 0;
}
