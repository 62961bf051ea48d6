// The road from start-up through sign-in to the level menu.

#include "ui/loaded_screen.h"
#include "ui/look.h"
#include "ui/program.h"

namespace kagaku::ui {

void Program::ShowNameScreen() {
    // Until sign-in is there, the first working screen says which data tree was loaded.
    auto* screen = new LoadedScreen(*this);
    SetCurrentScreen(screen);
    ShowFullScreen(screen);
}

void Program::ShowLevelMenu() {
    ShowNameScreen();
}

}  // namespace kagaku::ui
