// new-school and set-data-root: a new school's data tree, laid out once on the shared folder,
// and the data root of each PC (admin/new_school.h, state/data_root_setting.h). Neither needs
// a data tree to start from, so they run before the configuration is loaded.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "admin/new_school.h"
#include "common/files.h"
#include "common/paths.h"
#include "state/configuration.h"
#include "state/data_root_setting.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

namespace fs = std::filesystem;

namespace {

fs::path AbsoluteFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    return (ec ? folder : absolute).lexically_normal();
}

}  // namespace

int RunNewSchool(const CommandLine& line) {
    const auto name = Option(line, "name");
    if (!name)
        throw UsageError("--name を指定してください");
    const fs::path root = AbsoluteFolder(PathFromText(line.arguments.at(0)));
    // The data folder is named like the program folder, as the program looks for it.
    const std::string programFolderName = LastComponent(PathText(AbsoluteFolder(line.appFolder)));
    CreateSchoolTree(root, programFolderName, {*name, Option(line, "code").value_or("")});
    std::cout << "新しい学校のデータフォルダを作りました: " << PathText(root) << "\n"
              << "各PCで kagaku-admin set-data-root " << PathText(root)
              << " を実行してください。\n";
    return 0;
}

int RunSetDataRoot(const CommandLine& line) {
    const fs::path root = AbsoluteFolder(PathFromText(line.arguments.at(0)));
    std::error_code ec;
    if (!fs::is_regular_file(root / PathFromText(kCommonFileName), ec))
        throw UsageError(PathText(root) +
                         " に共通データ.txt がありません（共有フォルダをマウント"
                         "するか、先に new-school で作ってください）");
    const fs::path pathFile = PathFileFor(AbsoluteFolder(line.appFolder));
    SetDataRoot(pathFile, PathText(root));
    // The program must start on it: the same loader reads it back now.
    SharedState state;
    LoadConfiguration(line.appFolder, state);
    std::cout << "データフォルダを設定しました: " << state.DataRoot << "（" << PathText(pathFile)
              << "）\n";
    return 0;
}

}  // namespace kagaku::admin
