// The road into a practice of mistakes and back: from the result screen (kept hidden while the
// practice runs, then shown again as it was) or from the level menu.

#include <QPointer>

#include "ui/shell/look.h"
#include "ui/drill/mainfrm.h"
#include "ui/shell/program.h"

namespace kagaku::ui {

void Program::StartMistakePractice(const MistakePractice& practice, PracticeReturn back) {
    if (practice.problems.Count() == 0 || practice.level < 1)
        return;
    QPointer<QWidget> from = currentScreen();
    // The result screen's もう一度 runs the level of the run it shows, not the practice level.
    const std::int16_t levelBefore = run_.CurrentLevel;
    run_.CurrentLevel = static_cast<std::int16_t>(practice.level);
    run_.RunEnding = 0;

    QPointer<MainFrm> drill = new MainFrm(*this, practice.problems);
    drill->EndPracticeBySignal();
    const bool toResult = back == PracticeReturn::ResultScreen && from != nullptr;
    connect(drill, &MainFrm::practiceEnded, this, [this, from, toResult, levelBefore] {
        if (toResult && from != nullptr) {
            run_.CurrentLevel = levelBefore;
            ShowScreen(from);
            return;
        }
        ShowLevelMenu();
    });
    if (toResult) {
        // Should the practice end some other way (the program ending), the hidden result
        // screen goes with it.
        connect(drill, &QObject::destroyed, from, [from] {
            if (from != nullptr && from->isHidden())
                from->close();
        });
    }
    SetCurrentScreen(drill);
    ShowFullScreen(drill);
    if (from != nullptr && from != drill) {
        if (toResult)
            from->hide();
        else
            from->close();
    }
    if (!IsClosed(drill))
        drill->Activate();
}

}  // namespace kagaku::ui
