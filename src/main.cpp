// 化学式: a timed drill of chemical notation for the pupils of a cram school.

#include <QApplication>
#include <chrono>

#include "common/files.h"
#include "platform/program_launcher.h"
#include "ui/shell/program.h"
#include "ui/shell/screen_log.h"
#include "ui/shell/sound_output.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kagaku::ui::InstallScreenLogIfAsked(app);
    kagaku::SystemClock clock;
    kagaku::SystemRandom random(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    kagaku::ui::RealMessageBoxes messages;
    kagaku::ui::SoundOutput sound;
    kagaku::SystemProgramLauncher launcher;
    kagaku::ui::Program program(
        kagaku::PathFromText(QCoreApplication::applicationDirPath().toStdString()),
        {&clock, &random, &messages, &sound, &launcher});
    return program.Run();
}
