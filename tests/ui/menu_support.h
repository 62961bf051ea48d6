#pragma once
// What the name screen and level menu tests share: a program on a copy of the demo tree, score
// records written into it, and signing a pupil in through the name screen's list and keys.

#include <QListWidget>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/files.h"
#include "common/ole_date.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "support/fake_services.h"
#include "support/test_support.h"
#include "ui/shell/program.h"
#include "ui/menu/seisekitime1.h"

namespace kagaku::testing {

namespace fs = std::filesystem;

struct MenuHarness {
    TempDir dir;
    fs::path tree;
    FakeClock clock{CivilDate{2026, 6, 10}, TimeOfDay{15, 30, 0}};
    FakeRandom random;
    FakeMessageBoxes messages;
    FakeSoundDevice sound;
    FakeLauncher launcher;
    std::unique_ptr<ui::Program> program;

    MenuHarness() {
        fs::copy(fs::u8path(KAGAKU_DEMO_DIR), dir.path() / "tree", fs::copy_options::recursive);
        tree = dir.path() / "tree";
    }
    fs::path DataFolder() const { return tree / fs::u8path("学校データ/kagaku"); }
    fs::path RecordFile() const { return DataFolder() / fs::u8path("成績累積データ.dat"); }

    // Appends runs: (pupil, level, seconds, days before today).
    struct Run {
        int pupil;
        int level;
        std::int32_t seconds;
        int daysAgo;
        int minuteOfDay = 9 * 60;
    };
    void WriteRuns(const std::vector<Run>& runs) const {
        std::string bytes = fs::exists(RecordFile()) ? ReadBytes(RecordFile()) : std::string();
        const long long today = DaySerial(CivilDate{2026, 6, 10});
        for (const Run& r : runs) {
            ScoreRecord record;
            record.RunDate = ToOleDate(DateFromSerial(today - r.daysAgo));
            record.RunTimeOfDay =
                TimeFraction(TimeOfDay{r.minuteOfDay / 60, r.minuteOfDay % 60, 0});
            record.PupilNumber = static_cast<std::int16_t>(r.pupil);
            record.Level = static_cast<std::int16_t>(r.level);
            record.Seconds = r.seconds;
            const auto encoded = EncodeScoreRecord(record);
            bytes.append(encoded.data(), encoded.size());
        }
        WriteFileAtomically(RecordFile(), bytes);
    }

    void Start() {
        program = std::make_unique<ui::Program>(
            tree / "kagaku", ui::Program::Services{&clock, &random, &messages, &sound, &launcher});
        program->Start();
    }
    // The name screen's list once it is filled and has the focus, or nullptr after a wait.
    QListWidget* ReadyNameList() const {
        if (!QTest::qWaitFor([&] { return ScreenIs("namesel"); }, 5000))
            return nullptr;
        auto* list = program->currentScreen()->findChild<QListWidget*>("List1");
        if (list == nullptr ||
            !QTest::qWaitFor([&] { return list->count() > 20 && list->hasFocus(); }, 5000))
            return nullptr;
        return list;
    }
    bool ScreenIs(const char* name) const {
        return program && program->currentScreen() != nullptr &&
               program->currentScreen()->objectName() == name;
    }
    QString Messages() const {
        QString all;
        for (const auto& m : messages.shown())
            all += m.title + ": " + m.text + "\n";
        return all;
    }
};

// The name screen's row of the pupil whose visible row contains name, or -1.
inline int RowOf(QListWidget* list, const QString& name) {
    for (int i = 1; i < list->count(); ++i) {
        if (list->item(i)->text().contains(name))
            return i;
    }
    return -1;
}

// Signs in the pupil named name through the name screen (the row, then "1") and waits for a
// ready level menu; null when any step does not come.
inline ui::seisekitime1* SignIn(MenuHarness& h, const QString& name) {
    QListWidget* list = h.ReadyNameList();
    if (list == nullptr)
        return nullptr;
    const int row = RowOf(list, name);
    if (row < 0)
        return nullptr;
    list->setCurrentRow(row);
    QTest::keyClick(list, Qt::Key_1);
    if (!QTest::qWaitFor([&] { return h.ScreenIs("seisekitime1"); }, 5000))
        return nullptr;
    auto* menu = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
    if (!QTest::qWaitFor([&] { return menu->keysReady(); }, 10000))
        return nullptr;
    return menu;
}

}  // namespace kagaku::testing
