#include "platform/program_launcher.h"

#include <system_error>

#include "common/files.h"
#include "common/paths.h"

namespace kagaku {

std::filesystem::path FamilyMenuProgramPath(std::string_view appFolder) {
    std::filesystem::path folder = PathFromText(appFolder);
    // "a/b/" has the empty file name; its parent is "a/b", whose parent is "a".
    std::filesystem::path programFolder = folder.has_filename() ? folder : folder.parent_path();
    std::filesystem::path menuFolder = programFolder.parent_path() / PathFromText("起動");
    std::filesystem::path plain = menuFolder / PathFromText("プログラムメニューc");
    std::filesystem::path withExe = menuFolder / PathFromText("プログラムメニューc.exe");
    std::error_code ec;
    if (!std::filesystem::exists(plain, ec) && std::filesystem::exists(withExe, ec)) {
        return withExe;
    }
    return plain;
}

void StartFamilyMenuProgram(ProgramLauncher& launcher, std::string_view appFolder) {
    const std::filesystem::path program = FamilyMenuProgramPath(appFolder);
    std::error_code ec;
    if (!std::filesystem::exists(program, ec)) {
        throw ProgramStartError(PathText(program) +
                                "\nプログラムメニューが見つかりません。先生に知らせてください。");
    }
    launcher.StartDetached(program, {kFamilyMenuArgument});
}

}  // namespace kagaku
