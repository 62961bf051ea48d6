// The score file's backups at the console: list them, put one back in place of the file.
#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "records/backups.h"
#include "records/score_record_file.h"
#include "tools/admin/admin_commands.h"
#include "tools/admin/console_waiter.h"

namespace kagaku::admin {

CommandAction DeclareBackups(CLI::App&) {
    return [](const ProgramSetup& setup) {
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        const std::vector<BackupInfo> backups = ListBackups(file);
        std::string out;
        if (backups.empty()) {
            out = "バックアップはまだありません（" + PathText(BackupFolderOf(file)) + "）\n";
        }
        for (const BackupInfo& b : backups) {
            out += b.FileName + "  " + BackupListLine(b) + "\n";
        }
        if (const auto failure = UnresolvedBackupFailure(file)) {
            out += "バックアップに失敗しています: " + *failure + "\n";
        }
        std::cout << out;
        return FinishOutput();
    };
}

CommandAction DeclareRestore(CLI::App& command) {
    struct Values {
        std::string backup;
        bool yes = false;
    };
    auto v = std::make_shared<Values>();
    command.add_option("--backup", v->backup, "戻すバックアップのファイル名（backups の左端）")
        ->type_name("名前")
        ->required();
    command.add_flag("--yes", v->yes, "確かめずに戻します（スクリプト用）");
    return [v](const ProgramSetup& setup) {
        const auto file = ScoreRecordPath(setup.ProgramDataFolder);
        const BackupInfo backup = InspectBackup(file, v->backup);
        if (backup.Check != BackupCheck::Good) {
            throw DataFileError(PathText(BackupFolderOf(file) / PathFromText(v->backup)),
                                "このバックアップは戻せません: " + backup.Problem);
        }
        ConsoleWaiter waiter;
        FinishInterruptedDeletion(file, waiter);
        std::cout << RestoreQuestion(backup, SummariseRecordFile(file)) << "\n";
        if (!v->yes) {
            if (::isatty(STDIN_FILENO) != 1) {
                throw UsageError("端末からでないときは --yes を付けてください。何も変えていません");
            }
            std::cout << "戻しますか？ (y/N): " << std::flush;
            std::string answer;
            if (!std::getline(std::cin, answer) || (answer != "y" && answer != "Y")) {
                std::cout << "やめました。何も変えていません\n";
                return FinishOutput();
            }
        }
        SystemClock clock;
        const RestoreOutcome outcome = RestoreBackup(file, v->backup, clock.Now(), waiter);
        std::cout << "戻しました（記録" << outcome.RecordsBefore << "件→" << outcome.RecordsAfter
                  << "件）。戻す前のファイルは " << outcome.SavedAs << " に残しました\n";
        return FinishOutput();
    };
}

}  // namespace kagaku::admin
