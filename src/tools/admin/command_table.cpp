// The subcommands of kagaku-admin. To add one: write its Declare function (options) and what
// it runs in a file of its own, declare it in admin_commands.h, and add its row here.
#include "tools/admin/admin_commands.h"
#include "tools/admin/command_line.h"

namespace kagaku::admin {

const std::vector<CommandSpec>& AllCommands() {
    static const std::vector<CommandSpec> commands{
        {"check", "成績ファイルを点検し、集計から外れる記録を記録番号と問題で一覧にします",
         DeclareCheck},
        {"export", "すべての記録を CSV で標準出力に書き出します", DeclareExport},
        {"add-run", "記録を一件、いまの日時で成績ファイルに追加します", DeclareAddRun},
        {"standing", "生徒一人のレベルごとの集計を JSON で表示します", DeclareStanding},
        {"list", "記録をデータ変更の画面と同じ行で一覧にします", DeclareList},
        {"rewrite", "記録一件の番号か秒を書き換えます", DeclareRewrite},
        {"delete", "記録一件を消去します", DeclareDelete},
        {"set-teacher-password",
         "先生のパスワードを設定します（端末では表示せずに2回、ほかは標準入力から2行）",
         DeclareSetTeacherPassword},
        {"clear-teacher-password", "先生のパスワードを消します", DeclareClearTeacherPassword},
        {"mistakes", "よく間違える問題を、間違えた生徒の数と回数の順に CSV で一覧にします",
         DeclareMistakes},
        {"new-school", "新しい学校のデータフォルダを作ります", DeclareNewSchool, false},
        {"set-data-root", "このPCのデータフォルダ（パスデータ.txt の1番目の項目）を設定します",
         DeclareSetDataRoot, false},
    };
    return commands;
}

}  // namespace kagaku::admin
