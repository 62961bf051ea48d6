#include <filesystem>
#include <system_error>

#include "common/text_ops.h"
#include "roster/roster_file.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

// Names by pupil number through the program's own roster pass (every record, listed or not).
// The school year only decides grade labels, which the export does not show.
std::map<int, std::string> RosterNames(const ProgramSetup& setup) {
    std::map<int, std::string> names;
    const std::filesystem::path file = RosterFilePath(setup.DataRoot);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return names;  // no roster: the name column stays empty
    }
    RosterTables tables;
    RunRosterPass(file, setup.RosterHideOption, tables);
    for (int pupil = 0; pupil <= kMaxPupil; ++pupil) {
        std::string name = text::Trim(tables.RosterName[static_cast<std::size_t>(pupil)]);
        if (!name.empty()) {
            names[pupil] = name;
        }
    }
    return names;
}

}  // namespace kagaku::admin
