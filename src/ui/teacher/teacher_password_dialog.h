#pragma once
// The small dialog that asks for the teacher's password before the data panel, printing or PDF
// files open, and the one call the teacher's buttons make (the rules live in
// admin/teacher_password.h).

#include <QDialog>
#include <optional>

class QLineEdit;

namespace kagaku::ui {

class Program;

// A hidden entry with O.K. and キャンセル.
class TeacherPasswordDialog final : public QDialog {
    Q_OBJECT

public:
    explicit TeacherPasswordDialog(QWidget* parent);
    // Shows the dialog modally, centred on parent's window: the entry, or nothing when it was
    // cancelled.
    static std::optional<QString> Ask(QWidget* parent);

private:
    QLineEdit* entry_;  // PasswordEntry
};

// Asks for the teacher's password, once per sign-in, before a teacher's function opens. True
// when it may open: no password is set, it was given earlier in this sign-in, or it is given
// now. False, with a message, after a wrong entry, while five wrong entries in a row keep the
// dialog closed, and when the password file is damaged; false too after キャンセル and when
// the screen was closed while the dialog was open.
bool AskTeacherPassword(Program& program, QWidget* from);

}  // namespace kagaku::ui
