// The road from the level menu through a drill to its result.

#include "ui/program.h"

namespace kagaku::ui {

void Program::StartDrill(int level) {
    state().CurrentLevel = static_cast<std::int16_t>(level);
    ShowLevelMenu();
}

void Program::ShowResultScreen() {
    ShowLevelMenu();
}

}  // namespace kagaku::ui
