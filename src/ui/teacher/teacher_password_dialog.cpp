#include "ui/teacher/teacher_password_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "admin/teacher_password.h"
#include "common/errors.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

namespace {

// Longer entries than any password a teacher types are cut off rather than hashed.
constexpr int kLongestEntry = 256;

}  // namespace

TeacherPasswordDialog::TeacherPasswordDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TeacherPassword");
    setWindowTitle(QStringLiteral("先生のパスワード"));
    setModal(true);

    auto* prompt = PlainLabel(QStringLiteral("先生のパスワードを入れてください。"), this);
    prompt->setFont(UiFont(20));
    entry_ = new QLineEdit(this);
    entry_->setObjectName("PasswordEntry");
    entry_->setFont(UiFont(20));
    entry_->setEchoMode(QLineEdit::Password);
    entry_->setMaxLength(kLongestEntry);
    entry_->setMinimumWidth(Scaled(320));
    auto* ok = new QPushButton(QStringLiteral("O.K."), this);
    ok->setObjectName("PasswordOk");
    ok->setFont(UiFont(20));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName("PasswordCancel");
    cancel->setFont(UiFont(20));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(30), Scaled(24), Scaled(30), Scaled(24));
    layout->setSpacing(Scaled(14));
    layout->addWidget(prompt);
    layout->addWidget(entry_);
    layout->addLayout(buttons);
    entry_->setFocus();
}

std::optional<QString> TeacherPasswordDialog::Ask(QWidget* parent) {
    TeacherPasswordDialog dialog(parent);
    dialog.adjustSize();
    if (parent != nullptr) {
        const QRect area = parent->window()->geometry();
        dialog.move(area.center() - dialog.rect().center());
    }
    int answer = QDialog::Rejected;
    {
        NestedLoopScope loop;
        answer = dialog.exec();
    }
    if (answer != QDialog::Accepted)
        return std::nullopt;
    return dialog.entry_->text();
}

bool AskTeacherPassword(Program& program, QWidget* from) {
    TeacherPasswordAttempts& attempts = program.signIn().TeacherPassword;
    if (attempts.Given)
        return true;
    const QString title = Q(program.setup().ProgramName);
    const auto refuse = [&](const QString& text) {
        program.messages().Inform(from, title, text);
        return false;
    };
    const auto cannotCheck = [&](const std::exception& e) {
        return refuse(QStringLiteral("先生のパスワードを確かめられないため、"
                                     "先生の機能は使えません。\n\n%1")
                          .arg(Q(e.what())));
    };
    std::optional<std::string> hash;
    try {
        hash = admin::ReadTeacherPasswordHash(admin::TeacherPasswordPath(program.setup().ProgramDataFolder));
    } catch (const DataFileError& e) {
        return refuse(QStringLiteral("先生のパスワードのファイルに問題があるため、"
                                     "先生の機能は使えません。\n\nファイル: %1\n問題: %2")
                          .arg(Q(e.file()), Q(e.problem())));
    } catch (const std::exception& e) {
        return cannotCheck(e);
    }
    if (!hash)
        return true;  // no password set: everything opens as it always did

    const int lockSeconds =
        admin::TeacherPasswordLockSeconds(attempts, program.clock().MonotonicMs());
    if (lockSeconds > 0) {
        return refuse(QStringLiteral("パスワードが%1回続けて違ったため、あと%2秒は入力できません。")
                          .arg(admin::kTeacherPasswordTries)
                          .arg(lockSeconds));
    }

    const QPointer<QWidget> screen(from->window());
    const std::optional<QString> entry = TeacherPasswordDialog::Ask(from);
    if (IsClosed(screen) || !entry)
        return false;
    admin::TeacherPasswordVerdict verdict = admin::TeacherPasswordVerdict::Wrong;
    try {
        verdict =
            admin::JudgeTeacherPassword(attempts, *hash, U(*entry), program.clock().MonotonicMs());
    } catch (const std::exception& e) {
        return cannotCheck(e);
    }
    switch (verdict) {
        case admin::TeacherPasswordVerdict::Right:
            return true;
        case admin::TeacherPasswordVerdict::Wrong:
            return refuse(QStringLiteral("パスワードが違います。"));
        case admin::TeacherPasswordVerdict::WrongAndLocked:
            break;
    }
    return refuse(QStringLiteral("パスワードが%1回続けて違いました。\n%2分間は入力できません。")
                      .arg(admin::kTeacherPasswordTries)
                      .arg(admin::kTeacherPasswordLockMs / 60'000));
}

}  // namespace kagaku::ui
