#include "ui/teacher/teacher_password_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <string>
#include <variant>

#include "admin/teacher_password.h"
#include "common/clock.h"
#include "common/errors.h"
#include "ui/shell/look.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

namespace {

// Longer entries than any password a teacher types are cut off rather than hashed.
constexpr int kLongestEntry = 256;

}  // namespace

TeacherPasswordDialog::TeacherPasswordDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TeacherPassword");
    setWindowTitle(QStringLiteral("先生のパスワード"));
    setWindowModality(Qt::WindowModal);

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

void TeacherPasswordDialog::Open(QWidget* parent,
                                 std::function<void(std::optional<QString>)> answered) {
    auto* dialog = new TeacherPasswordDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->adjustSize();
    if (parent != nullptr) {
        const QRect area = parent->window()->geometry();
        dialog->move(area.center() - dialog->rect().center());
    }
    connect(dialog, &QDialog::finished, dialog,
            [dialog, answered = std::move(answered)](int result) {
                if (result == QDialog::Accepted)
                    answered(dialog->entry_->text());
                else
                    answered(std::nullopt);
            });
    dialog->open();
}

namespace {

QString CannotCheckText(const std::exception& e) {
    return QStringLiteral("先生のパスワードを確かめられないため、"
                          "先生の機能は使えません。\n\n%1")
        .arg(Q(e.what()));
}

// The stored hash, nothing when no password is set, or the text of the refusal when the file
// cannot be read.
std::variant<std::optional<std::string>, QString> StoredHash(const std::filesystem::path& file) {
    try {
        return admin::ReadTeacherPasswordHash(file);
    } catch (const DataFileError& e) {
        return QStringLiteral("先生のパスワードのファイルに問題があるため、"
                              "先生の機能は使えません。\n\nファイル: %1\n問題: %2")
            .arg(Q(e.file()), Q(e.problem()));
    } catch (const std::exception& e) {
        return CannotCheckText(e);
    }
}

// Judges the entry given in the dialog: empty when it is right, else the refusal.
QString JudgeEntry(const TeacherPasswordCheck& check, const std::string& hash,
                   const QString& entry) {
    admin::TeacherPasswordVerdict verdict = admin::TeacherPasswordVerdict::Wrong;
    try {
        verdict = admin::JudgeTeacherPassword(check.attempts, hash, U(entry),
                                              check.clock.MonotonicMs());
    } catch (const std::exception& e) {
        return CannotCheckText(e);
    }
    switch (verdict) {
        case admin::TeacherPasswordVerdict::Right:
            return {};
        case admin::TeacherPasswordVerdict::Wrong:
            return QStringLiteral("パスワードが違います。");
        case admin::TeacherPasswordVerdict::WrongAndLocked:
            break;
    }
    return QStringLiteral("パスワードが%1回続けて違いました。\n%2分間は入力できません。")
        .arg(admin::kTeacherPasswordTries)
        .arg(admin::kTeacherPasswordLockMs / 60'000);
}

}  // namespace

void AskTeacherPassword(const TeacherPasswordCheck& check, QWidget* from,
                        std::function<void(bool opened)> done) {
    if (check.attempts.Given) {
        done(true);
        return;
    }
    // A refusal is told first; done hears of it once the message has been closed.
    const auto refuse = [&check, from, &done](const QString& text) {
        check.messages.Inform(from, check.title, text, [done = std::move(done)] { done(false); });
    };
    auto stored = StoredHash(check.passwordFile);
    if (const QString* problem = std::get_if<QString>(&stored)) {
        refuse(*problem);
        return;
    }
    const std::optional<std::string> hash = std::get<std::optional<std::string>>(stored);
    if (!hash) {
        done(true);  // no password set: everything opens as it always did
        return;
    }
    const int lockSeconds =
        admin::TeacherPasswordLockSeconds(check.attempts, check.clock.MonotonicMs());
    if (lockSeconds > 0) {
        refuse(QStringLiteral("パスワードが%1回続けて違ったため、あと%2秒は入力できません。")
                   .arg(admin::kTeacherPasswordTries)
                   .arg(lockSeconds));
        return;
    }
    const QPointer<QWidget> screen(from->window());
    TeacherPasswordDialog::Open(
        from, [check, from, screen, hash = *hash,
               done = std::move(done)](std::optional<QString> entry) mutable {
            if (screen.isNull() || screen->isHidden() || !entry) {
                done(false);
                return;
            }
            const QString refusal = JudgeEntry(check, hash, *entry);
            if (refusal.isEmpty()) {
                done(true);
                return;
            }
            check.messages.Inform(from, check.title, refusal,
                                  [done = std::move(done)] { done(false); });
        });
}

}  // namespace kagaku::ui
