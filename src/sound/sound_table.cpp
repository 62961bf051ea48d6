#include "sound/sound_table.h"

#include "common/errors.h"
#include "common/field_list.h"

namespace kagaku {

std::array<std::string, kSoundKeys + 1> SoundKeyNames() {
    return {"",        "正解音1",     "正解音2",     "間違い音1",   "間違い音2", "最高音1",
            "最高音2", "自己最高音1", "自己最高音2", "自己最高音3", "不合格音1"};
}

SoundTable LoadSoundTable(const std::filesystem::path& file) {
    SoundTable table;
    table.KeyNames = SoundKeyNames();
    FieldReader reader = FieldReader::FromFile(file);
    while (!reader.AtEnd()) {
        std::string f = reader.Next();
        for (int k = 1; k <= kSoundKeys; ++k) {
            auto key = static_cast<std::size_t>(k);
            if (f != table.KeyNames[key])
                continue;
            // A key read again replaces its earlier list.
            table.Files[key].clear();
            table.Counts[key] = -1;
            for (int r = 1; r <= kMaxSoundFiles; ++r) {
                if (reader.AtEnd()) {
                    throw DataFileError(reader.File(), "「" + f +
                                                           "」のファイル名の一覧が「*」で終わって"
                                                           "いません。");
                }
                std::string g = reader.Next();
                if (g == "*") {
                    table.Counts[key] = r - 1;
                    break;
                }
                table.Files[key].push_back(g);
            }
            // Twenty names closed by "*" are a full, well-formed list: count them all rather
            // than leave the count unset and play only the first file.
            if (table.Counts[key] < 0 && !reader.AtEnd()) {
                FieldReader probe = reader;
                if (probe.Next() == "*") {
                    reader = std::move(probe);
                    table.Counts[key] = kMaxSoundFiles;
                }
            }
        }
    }
    return table;
}

}  // namespace kagaku
