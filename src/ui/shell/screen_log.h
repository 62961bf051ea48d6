#pragma once
// With KAGAKU_SCREEN_LOG=1 in the environment the program writes one line to standard error for
// every window it shows: "screen: <name>" for a screen (its name as the program names it, e.g.
// namesel) and "message: <title>: <text>" for a message box. An installation check on a PC
// without a display, or a teacher asked to describe a fault, can see how far the program got.
// Without the variable nothing is installed and nothing is written.

class QCoreApplication;

namespace kagaku::ui {

void InstallScreenLogIfAsked(QCoreApplication& app);

}  // namespace kagaku::ui
