// The road from start-up through sign-in to the level menu, and the way out to the family's
// menu program: the splash, the name screen and the level menu announce their outcomes, and
// this file decides where each leads.

#include <QPointer>

#include "platform/program_launcher.h"
#include "roster/sign_in.h"
#include "state/level_catalogue.h"
#include "state/start_up.h"
#include "ui/menu/seisekitime1.h"
#include "ui/shell/firstfrm.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/signin/namesel.h"

namespace kagaku::ui {

void Program::ShowScreen(QWidget* screen) {
    QPointer<QWidget> previous = currentScreen();
    SetCurrentScreen(screen);
    ShowFullScreen(screen);
    if (previous && previous != screen)
        previous->close();
}

Firstfrm* Program::MakeSplash() {
    const CivilDate today = clock().TodayDate();
    SetSeasonColour(SeasonColourForMonth(today.month));
    auto* splash = new Firstfrm(today, setup_.SeasonColour);
    connect(splash, &Firstfrm::startUpDue, this, &Program::StartUp);
    SetCurrentScreen(splash);
    return splash;
}

void Program::ShowNameScreen() {
    auto* screen = new namesel({setup_, aggregates_, roster_, clock(), messages(), cues()});
    connect(screen, &namesel::signedIn, this, &Program::SignIn);
    connect(screen, &namesel::leaveAsked, this, [this, screen] { LeaveForMenuProgram(screen); });
    // Back in front once the dialog has closed, the name screen starts over from the points
    // mode.
    connect(screen, &namesel::versionAsked, this, [this, screen] {
        ShowVersionDialog(screen, [screen] { screen->Activate(); });
    });
    connect(screen, &namesel::gradeFilterChosen, this,
            [this](const std::string& grade) { board_.GradeFilterText = Variant(grade); });
    connect(screen, &namesel::fileFailed, this,
            [this, screen](const DataFileError& error) { EndWithFileError(error, screen); });
    connect(screen, &namesel::listGaveUp, this,
            [this, screen](const QString& message) { EndWithMessage(screen, message, 1); });
    ShowScreen(screen);
}

void Program::SignIn(std::int16_t pupil) {
    if (ConfirmSignIn(signIn_, roster_, pupil, clock()) == SignInResult::NoNameChosen)
        return;
    BuildLevelCatalogue();
    ShowLevelMenu();
}

void Program::ShowLevelMenu() {
    auto* menu = new seisekitime1({setup_, signIn_, aggregates_, roster_, board_, clock(),
                                   messages(), TeacherPasswordGate()});
    ConnectDataPanel(menu->dataPanel(), menu);
    connect(menu, &seisekitime1::levelChosen, this, &Program::StartDrill);
    connect(menu, &seisekitime1::mistakePracticeAsked, this, [this](const MistakePractice& p) {
        StartMistakePractice(p, PracticeReturn::LevelMenu);
    });
    connect(menu, &seisekitime1::signOutAsked, this, &Program::ShowNameScreen);
    connect(menu, &seisekitime1::practiceTargetsDue, this, &Program::ApplyPracticeTargets);
    connect(menu, &seisekitime1::fileFailed, this,
            [this, menu](const DataFileError& error) { EndWithFileError(error, menu); });
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
