#include "ui/result/mistake_practice_offer.h"

#include <exception>

#include "drill/problem_set.h"
#include "state/level_catalogue.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// The count goes on a line of its own, so the caption fits a narrow column.
QString TwoLineCaption(const MistakePractice& practice) {
    QString caption = Q(PracticeOfferCaption(practice));
    const qsizetype count = caption.indexOf(QStringLiteral("（"));
    if (count > 0)
        caption.insert(count, QChar('\n'));
    return caption;
}

}  // namespace

MistakePracticeOffer::MistakePracticeOffer(MistakePractice practice, int designPixels,
                                           QWidget* parent)
    : QPushButton(parent), practice_(std::move(practice)) {
    setObjectName("PracticeMistakes");
    setText(TwoLineCaption(practice_));
    setFont(UiFont(designPixels, true));
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QPushButton { background: #FFF0D0; color: #803000; "
                                 "border: 2px solid #C08040; border-radius: 6px; padding: 4px; }"));
    connect(this, &QPushButton::clicked, this, [this] {
        if (asked_)
            return;
        asked_ = true;
        Q_EMIT asked();
    });
}

void MistakePracticeOffer::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    asked_ = false;
}

std::map<int, MistakePractice> OwnMistakeOffers(
    const std::string& programDataFolder, const std::string& appFolder, int pupil,
    const std::array<std::string, kLevelSlots>& levelNames,
    const std::array<std::int16_t, kLevelSlots>& levelTimed, int levelCount,
    const CivilDate& today) {
    std::map<int, MistakePractice> offers;
    MistakeLogContents log;
    try {
        log = ReadMistakeLog(MistakeLogPath(programDataFolder, pupil));
    } catch (const std::exception&) {
        return offers;
    }
    if (log.entries.empty())
        return offers;
    // Every level of the catalogue counts as timed; a practice level is known by its name, and
    // the answers it reveals are not mistakes to practise.
    std::array<std::int16_t, kLevelSlots> timedDrills = levelTimed;
    for (int level = 1; level <= levelCount && level < kLevelSlots; ++level) {
        if (IsPracticeLevel(levelNames[static_cast<std::size_t>(level)]))
            timedDrills[static_cast<std::size_t>(level)] = 0;
    }
    for (int level = 1; level <= levelCount; ++level) {
        if (!IsPracticeLevel(levelNames[static_cast<std::size_t>(level)]))
            continue;
        try {
            const ProblemSet problems = LoadProblemSetForLevel(appFolder, level);
            if (auto practice =
                    PracticeOfOwnMistakes(log.entries, problems, timedDrills, level, today))
                offers.emplace(level, std::move(*practice));
        } catch (const std::exception&) {
            continue;  // a level whose problems cannot be read offers nothing
        }
    }
    return offers;
}

}  // namespace kagaku::ui
