#pragma once
// The splash: the program's name and today's date in the Japanese era calendar on the season's
// colour. 100 ms after the event loop has taken over the shown splash, it announces that the
// start-up is due; the name screen then takes its place (after a damaged file the splash stays
// beneath the message until the program ends).

#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "common/clock.h"

class QLabel;

namespace kagaku::ui {

class Firstfrm final : public QWidget {
    Q_OBJECT

public:
    // seasonColour: 0x00BBGGRR, as the program keeps it for every screen.
    Firstfrm(CivilDate today, std::uint32_t seasonColour, QWidget* parent = nullptr);
    QLabel* label5() const { return eraDate_; }
    // Starts Timer1 from the event loop; called once the splash is on screen.
    void StartTimer1();

Q_SIGNALS:
    // Timer1 has run out: the start-up may begin.
    void startUpDue();

private:
    void Timer1_Timer();

    QLabel* eraDate_;  // Label5
    QTimer* timer1_;   // Timer1
};

}  // namespace kagaku::ui
