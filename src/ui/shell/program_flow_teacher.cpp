// The teacher's road: the password in front of the teacher's functions.

#include "admin/teacher_password.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/teacher/teacher_password_dialog.h"

namespace kagaku::ui {

PasswordGate Program::TeacherPasswordGate() {
    return [this](QWidget* from, std::function<void(bool opened)> done) {
        AskTeacherPassword(
            TeacherPasswordCheck{state_.TeacherPassword,
                                 admin::TeacherPasswordPath(state_.ProgramDataFolder),
                                 Q(state_.ProgramName), clock(), messages()},
            from, std::move(done));
    };
}

}  // namespace kagaku::ui
