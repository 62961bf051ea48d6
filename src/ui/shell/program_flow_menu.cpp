// The road from start-up through sign-in to the level menu, and the way out to the family's
// menu program.

#include <QPointer>

#include "platform/program_launcher.h"
#include "ui/shell/look.h"
#include "ui/signin/namesel.h"
#include "ui/shell/program.h"
#include "ui/menu/seisekitime1.h"

namespace kagaku::ui {

void Program::ShowScreen(QWidget* screen) {
    QPointer<QWidget> previous = currentScreen();
    SetCurrentScreen(screen);
    ShowFullScreen(screen);
    if (previous && previous != screen)
        previous->close();
}

void Program::ShowNameScreen() {
    ShowScreen(new namesel(*this));
}

void Program::ShowLevelMenu() {
    auto* menu = new seisekitime1(*this);
    ConnectDataPanel(menu->dataPanel(), menu);
    ShowScreen(menu);
}

void Program::LeaveForMenuProgram(QWidget* parent) {
    if (services_.launcher == nullptr) {
        EndWithMessage(parent, QStringLiteral("プログラムメニューを起動する仕組みがありません。"),
                       2);
        return;
    }
    try {
        StartFamilyMenuProgram(*services_.launcher, setup_.AppFolder);
    } catch (const ProgramStartError& e) {
        EndWithMessage(parent, Q(e.what()) + QStringLiteral("\n\nこのプログラムを終了します。"), 2);
        return;
    }
    EndProgram(0);
}

void Program::EndWithMessage(QWidget* parent, const QString& text, int status) {
    EndAfterMessage(parent, Q(setup_.ProgramName), text, status);
}

}  // namespace kagaku::ui
