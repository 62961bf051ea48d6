// new-school and set-data-root: a new school's data tree, laid out once on the shared folder,
// and the data root of each PC (admin/new_school.h, state/data_root_setting.h). Neither needs
// a data tree to start from: the setup they are given holds only the program folder.
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "admin/new_school.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "state/configuration.h"
#include "state/data_root_setting.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

namespace fs = std::filesystem;

namespace {

fs::path AbsoluteFolder(const std::string& folder) {
    std::error_code ec;
    const fs::path given = PathFromText(folder);
    const fs::path absolute = fs::absolute(given, ec);
    return (ec ? given : absolute).lexically_normal();
}

}  // namespace

CommandAction DeclareNewSchool(CLI::App& command) {
    struct Values {
        std::string folder, name, code;
    };
    auto v = std::make_shared<Values>();
    command.add_option("folder", v->folder, "データフォルダにするフォルダ（共有フォルダの中）")
        ->type_name("フォルダ")
        ->required();
    command.add_option("--name", v->name, "学校名")->type_name("名前")->required();
    command.add_option("--code", v->code, "学校コード（5桁の数字、なくてもよい）")
        ->type_name("コード");
    return [v](const ProgramSetup& setup) {
        const fs::path root = AbsoluteFolder(v->folder);
        // The data folder is named like the program folder, as the program looks for it.
        CreateSchoolTree(root, LastComponent(setup.AppFolder), {v->name, v->code});
        std::cout << "新しい学校のデータフォルダを作りました: " << PathText(root) << "\n"
                  << "各PCで kagaku-admin set-data-root " << PathText(root)
                  << " を実行してください。\n";
        return FinishOutput();
    };
}

CommandAction DeclareSetDataRoot(CLI::App& command) {
    auto folder = std::make_shared<std::string>();
    command.add_option("folder", *folder, "学校のデータフォルダ（共通データ.txt のあるフォルダ）")
        ->type_name("フォルダ")
        ->required();
    return [folder](const ProgramSetup& given) {
        const fs::path root = AbsoluteFolder(*folder);
        const fs::path common = root / PathFromText(kCommonFileName);
        std::error_code ec;
        if (!fs::is_regular_file(common, ec))
            throw DataFileError(PathText(common),
                                "ファイルが見つかりません（共有フォルダをマウントするか、先に "
                                "new-school で作ってください）。何も書き換えていません。");
        const fs::path programFolder = PathFromText(given.AppFolder);
        const fs::path pathFile = PathFileFor(programFolder);
        SetDataRoot(pathFile, PathText(root));
        // The program must start on it: the same loader reads it back now.
        ProgramSetup setup;
        LoadConfiguration(programFolder, setup);
        std::cout << "データフォルダを設定しました: " << setup.DataRoot << "（"
                  << PathText(pathFile) << "）\n";
        return FinishOutput();
    };
}

}  // namespace kagaku::admin
