#pragma once
// The program on a copy of the demo tree, started up, with the message boxes and the sound
// device a screen test picks: the road from a drill through its result and back to the menu.

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "drill/give_up.h"
#include "drill/problem_set.h"
#include "records/score_record_file.h"
#include "support/test_support.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/drill/mainfrm.h"
#include "ui/shell/program.h"

namespace kagaku::testing {

template <typename Boxes, typename Sound>
struct DrillHarness {
    TempDir dir;
    std::filesystem::path tree;
    FakeClock clock;
    FakeRandom random;
    Boxes messages;
    Sound sound;
    std::unique_ptr<ui::Program> program;

    explicit DrillHarness(TimeOfDay time = TimeOfDay{23, 59, 0})
        : clock(CivilDate{2010, 4, 28}, time) {
        namespace fs = std::filesystem;
        fs::copy(fs::u8path(KAGAKU_DEMO_DIR), dir.path() / "tree", fs::copy_options::recursive);
        tree = dir.path() / "tree";
        program = std::make_unique<ui::Program>(
            tree / "kagaku", ui::Program::Services{&clock, &random, &messages, &sound});
        program->StartUp();
    }
    ~DrillHarness() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        program.reset();
    }
    const ProgramSetup& setup() { return program->setup(); }
    LevelSettings& editedLevelSettings() { return program->editedLevelSettings(); }
    SignedIn& signIn() { return program->signIn(); }
    CurrentRun& run() { return program->run(); }
    BoardChoices& board() { return program->board(); }
    RosterTables& roster() { return program->roster(); }
    MistakesOfRun& runMistakes() { return program->runMistakes(); }
    ui::MainFrm* Drill() { return qobject_cast<ui::MainFrm*>(program->currentScreen()); }
    ui::FrmSyuuryou* Result() { return qobject_cast<ui::FrmSyuuryou*>(program->currentScreen()); }
    bool BackAtMenu() {
        QWidget* s = program->currentScreen();
        return s != nullptr && Drill() == nullptr && Result() == nullptr;
    }
    RecordWindow Records() {
        return ReadRecordWindow(ScoreRecordPath(setup().ProgramDataFolder), 0);
    }
    std::int32_t LastSeconds() {
        const RecordWindow w = Records();
        return w.Record(w.Count() - 1).Seconds;
    }
    std::filesystem::path GiveUpLog(int pupil) {
        return GiveUpLogPath(setup().ProgramDataFolder, pupil);
    }
    // Makes the first question drawn the problem whose answer is `answer` (in a fresh drill).
    void FirstQuestionWillBe(int level, const std::string& answer) {
        const ProblemSet set = LoadProblemSetForLevel(
            setup().AppFolder.empty() ? (tree / "kagaku/").string() : setup().AppFolder, level);
        for (int i = 0; i < set.Count(); ++i) {
            if (set.problems[static_cast<std::size_t>(i)].answer == answer) {
                random.Push((i + 0.5) / set.Count());
                return;
            }
        }
        QFAIL("answer not in the problem file");
    }
};

}  // namespace kagaku::testing
