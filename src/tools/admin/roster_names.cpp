#include <filesystem>
#include <system_error>

#include "common/field_list.h"
#include "common/paths.h"
#include "common/text_ops.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

// The roster holds eight fields a pupil: number, birth year, two spare numbers, name, status
// and two spare texts. Only the number and the name are needed here.
std::map<int, std::string> RosterNames(const SharedState& state) {
    std::map<int, std::string> names;
    const std::filesystem::path file = InFolder(state.DataRoot, "新名簿.txt");
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return names;
    }
    FieldReader roster = FieldReader::FromFile(file);
    while (!roster.AtEnd()) {
        std::vector<std::string> fields = roster.Next(8);
        double number = text::Val(fields[0]);
        if (number >= 0 && number <= kMaxPupil) {
            names[static_cast<int>(number)] = text::Trim(fields[4]);
        }
    }
    return names;
}

}  // namespace kagaku::admin
