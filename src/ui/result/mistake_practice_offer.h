#pragma once
// "間違えた問題を練習": the button that offers a practice of a subset of problems (the problems
// missed in the run just ended, on the result screen; the pupil's own most-missed problems of
// a category, in the level menu's practice column). It holds the subset as a value and emits
// asked() once when pressed; whoever placed it starts the practice.

#include <QPushButton>
#include <array>
#include <map>
#include <string>

#include "mistakes/mistake_practice.h"

namespace kagaku::ui {

class MistakePracticeOffer final : public QPushButton {
    Q_OBJECT

public:
    // designPixels: the caption's font size at the 1024×768 design.
    MistakePracticeOffer(MistakePractice practice, int designPixels, QWidget* parent);
    const MistakePractice& practice() const { return practice_; }

Q_SIGNALS:
    // Pressed; a second press before the practice has started asks nothing more. Shown again
    // (back from the practice), it may be pressed again.
    void asked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    MistakePractice practice_;
    bool asked_ = false;
};

// The level menu's offers, by practice level: the pupil's own most-missed problems of the last
// 30 days in each practice level's category. A log or a problem file that cannot be read
// leaves its offers out (the menu works on without them).
std::map<int, MistakePractice> OwnMistakeOffers(
    const std::string& programDataFolder, const std::string& appFolder, int pupil,
    const std::array<std::string, kLevelSlots>& levelNames,
    const std::array<std::int16_t, kLevelSlots>& levelTimed, int levelCount,
    const CivilDate& today);

}  // namespace kagaku::ui
