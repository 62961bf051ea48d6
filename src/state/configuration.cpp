#include "state/configuration.h"

#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text_ops.h"
#include "sound/sound_table.h"
#include "state/level_catalogue.h"

namespace kagaku {

namespace fs = std::filesystem;

void SplitSchoolField(const std::string& field, Variant& schoolCode, std::string& schoolName) {
    std::string code = text::Left(field, 5);
    if (text::Val(code) != 0.0) {
        schoolCode = Variant(code);
        schoolName = text::Mid(field, 6);
    } else {
        schoolCode = Variant();
        schoolName = field;
    }
}

void LoadConfiguration(const fs::path& programFolder, ProgramSetup& setup) {
    // An absolute folder: a relative one such as "." has no name of its own to give the
    // program's data folder.
    std::error_code absoluteError;
    fs::path appFolder = fs::absolute(programFolder, absoluteError);
    if (absoluteError)
        appFolder = programFolder;
    appFolder = appFolder.lexically_normal();
    setup.AppFolder = NormaliseFolder(PathText(appFolder));

    // パスデータ.txt lies in the folder above the program folder.
    const fs::path pathFile =
        InFolder(setup.AppFolder, std::string("..") + std::string(Separator()) + kPathFileName)
            .lexically_normal();
    FieldReader paths = FieldReader::FromFile(pathFile);
    std::string dataRoot = paths.Next();
    paths.Next(9);
    if (text::Trim(dataRoot).empty()) {
        throw DataFileError(PathText(pathFile), "1番目の項目にデータフォルダの場所がありません。");
    }
    // A relative data root is taken from the folder of パスデータ.txt, so that a program folder
    // and its data tree can be copied anywhere together.
    fs::path root = PathFromText(NormaliseFolder(dataRoot));
    if (root.is_relative())
        root = pathFile.parent_path() / root;
    setup.DataRoot = NormaliseFolder(PathText(root.lexically_normal()));
    std::error_code ec;
    if (!fs::is_directory(PathFromText(setup.DataRoot), ec)) {
        throw DataFileError(PathText(pathFile),
                            "データフォルダ「" + setup.DataRoot + "」が見つかりません。");
    }

    const fs::path commonFile = InFolder(setup.DataRoot, kCommonFileName);
    FieldReader common = FieldReader::FromFile(commonFile);
    setup.SchoolYearStartMonth = Variant::FromField(common.Next());
    std::string school = common.Next();
    setup.RosterHideOption = Variant::FromField(common.Next());
    common.Next(7);
    SplitSchoolField(school, setup.SchoolCode, setup.SchoolName);

    setup.AppFolderName = LastComponent(setup.AppFolder);
    setup.ProgramDataFolder = NormaliseFolder(setup.DataRoot + setup.AppFolderName);
    setup.SoundFolder = NormaliseFolder(setup.DataRoot + kSoundFolderName);
    SetProgramName(setup);

    LoadLevelSettings(InFolder(setup.ProgramDataFolder, kLevelSettingsFileName), setup.Settings);
    setup.Sounds = LoadSoundTable(InFolder(setup.SoundFolder, kSoundTableFileName));
}

}  // namespace kagaku
