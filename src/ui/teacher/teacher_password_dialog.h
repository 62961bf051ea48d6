#pragma once
// The small dialog that asks for the teacher's password before the data panel, printing or PDF
// files open, and the one call the teacher's buttons make (the rules live in
// admin/teacher_password.h). Nothing here waits: the dialog opens window-modal and the answer
// comes back through a callback.

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

#include "state/signed_in.h"

class QLineEdit;

namespace kagaku {
class Clock;
}

namespace kagaku::ui {

class MessageBoxes;

// A hidden entry with O.K. and キャンセル.
class TeacherPasswordDialog final : public QDialog {
    Q_OBJECT

public:
    explicit TeacherPasswordDialog(QWidget* parent);
    // Opens the dialog window-modal, centred on parent's window, and returns at once; answered
    // gets the entry, or nothing after キャンセル. The dialog goes with parent: once parent has
    // been deleted, answered never runs.
    static void Open(QWidget* parent, std::function<void(std::optional<QString>)> answered);

private:
    QLineEdit* entry_;  // PasswordEntry
};

// What the check reads and counts: the attempts of the program run (Given holds for one
// sign-in), the password file, the title of its messages, the clock and the message boxes.
// The attempts are the program's own; the reference must outlive every open dialog.
struct TeacherPasswordCheck {
    TeacherPasswordAttempts& attempts;
    std::filesystem::path passwordFile;
    QString title;
    const Clock& clock;
    MessageBoxes& messages;
};

// Asks for the teacher's password, once per sign-in, before a teacher's function opens, and
// tells done whether it may open. True (at once) when no password is set or it was given
// earlier in this sign-in, and once the right one is given. False, once its message has been
// closed, after a wrong entry, while five wrong entries in a row keep the dialog closed, and
// when the password file is damaged; false too after キャンセル and when from's screen was
// closed while the dialog was open. Never called once from has been deleted.
void AskTeacherPassword(const TeacherPasswordCheck& check, QWidget* from,
                        std::function<void(bool opened)> done);

// The teacher's functions ask through this (the program binds the check to its state).
using PasswordGate = std::function<void(QWidget* from, std::function<void(bool opened)> done)>;

}  // namespace kagaku::ui
