// The level menu on a copy of the demo tree: locks for a cleared and an over-practised level,
// the teacher's open chain, number keys starting a level, and screenshots of every display
// filled from a school-sized data set.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <random>

#include "common/text_ops.h"
#include "menu_support.h"
#include "ui/menu/seisekitime1.h"

using namespace kagaku;
using testing::MenuHarness;
using testing::SignIn;
namespace fs = std::filesystem;

namespace {

QPushButton* StartButton(QWidget* menu, int level) {
    return menu->findChild<QPushButton*>(QStringLiteral("Command4_%1").arg(level));
}
// Every real level with a pass rule of 3 runs and 1 point within 14 days, so the chain of
// locks does not depend on the demo tree's free levels.
void ChainedSettings(LevelSettings& settings) {
    for (std::size_t k = 1; k <= 12; ++k) {
        settings.TargetTime[k] = 60;
        settings.MinimumTime[k] = 90;
        settings.ClearPoints[k] = 1;
        settings.ClearCount[k] = 3;
        settings.BanCount[k] = 0;
        settings.BanPoints[k] = 0;
        settings.PassWindowDays[k] = Variant(14);
    }
}

bool Banned(QWidget* menu, int level) {
    auto* ban = menu->findChild<QLabel*>(QStringLiteral("Text1_%1").arg(level));
    return ban != nullptr && !ban->isHidden() && ban->text() == QStringLiteral("やりすぎ禁止");
}

// A school of about 300 pupils and 10000 runs over two months, in the demo tree's roster and
// record file.
void WriteSchool(MenuHarness& h) {
    static const char* family[] = {"青木", "石川", "上田", "江口", "大野", "加藤", "木村",
                                   "工藤", "小林", "佐藤", "清水", "鈴木", "高橋", "田中",
                                   "中村", "西田", "橋本", "藤原", "松本", "山田"};
    static const char* given[] = {"さくら", "大翔", "陽菜", "蓮",   "結衣", "悠真", "芽依", "湊",
                                  "葵",     "陸",   "凛",   "颯太", "美咲", "翔",   "七海"};
    std::string roster = "1,1980,0,0,\"先生\",0,\"\",\"\"\r\n";
    std::mt19937 rng(7);
    for (int n = 2; n <= 301; ++n) {
        const int birth = 2008 + static_cast<int>(rng() % 13);  // school years 0 to 12
        const std::string name = std::string(family[rng() % 20]) + "　" + given[rng() % 15];
        roster += std::to_string(n) + "," + std::to_string(birth) + ",0,0,\"" + name +
                  "\",0,\"\",\"\"\r\n";
    }
    WriteFileAtomically(h.tree / fs::u8path("学校データ/新名簿.txt"),
                        Utf8ToCp932(roster, "新名簿.txt"));
    std::vector<MenuHarness::Run> runs;
    for (int k = 0; k < 10000; ++k) {
        const int daysAgo = 60 - (k * 61) / 10000;
        const int level = 2 * (1 + static_cast<int>(rng() % 6)) - static_cast<int>(rng() % 5 == 0);
        const int pupil = 2 + static_cast<int>(rng() % 300);
        std::int32_t seconds = 35 + static_cast<std::int32_t>(rng() % 120);
        if (rng() % 40 == 0)
            seconds = 99999;
        runs.push_back({pupil, level, seconds, daysAgo, 8 * 60 + static_cast<int>(rng() % 600)});
    }
    runs.push_back({5, 2, 41, 0, 15 * 60 + 10});
    h.WriteRuns(runs);
}

}  // namespace

class LevelMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Level 2 cleared: with 3 runs it stays open and opens the chain to level 4; with 4 runs
    // it is over-practised and barred while level 4 stays open. Level 6 stays closed.
    void locksOfClearedAndOverPractisedLevel_data() {
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("banned");
        QTest::newRow("cleared") << 3 << false;
        QTest::newRow("over-practised") << 4 << true;
    }
    void locksOfClearedAndOverPractisedLevel() {
        QFETCH(int, runs);
        QFETCH(bool, banned);
        MenuHarness h;
        std::vector<MenuHarness::Run> list;
        for (int i = 0; i < runs; ++i)
            list.push_back({5, 2, 30, 0});
        h.WriteRuns(list);
        h.Start();
        QTRY_VERIFY2(h.ScreenIs("namesel"), qPrintable(h.Messages()));
        LevelSettings& settings = h.program->editedLevelSettings();
        ChainedSettings(settings);
        settings.BanCount[2] = 4;
        settings.BanWindowDays[2] = Variant(7);
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QCOMPARE(StartButton(menu, 1)->isEnabled(), true);
        QCOMPARE(StartButton(menu, 2)->isEnabled(), !banned);
        QCOMPARE(Banned(menu, 2), banned);
        QVERIFY(StartButton(menu, 4)->isEnabled());
        QVERIFY(!StartButton(menu, 6)->isEnabled());
        QVERIFY(!Banned(menu, 4));
        QCOMPARE(menu->findChild<QLabel*>("Label14_2")->text(),
                 QStringLiteral("%1回/").arg(runs) +
                     menu->findChild<QLabel*>("Label14_2")->text().section('/', 1));
        // A key for the barred level does nothing; the next real level starts.
        QTest::keyClick(menu, Qt::Key_2);
        QCOMPARE(int{h.program->run().CurrentLevel}, banned ? 0 : 2);
    }

    // The teacher has every level open; a pupil without runs only level 1, 2 and the practice
    // levels.
    void teacherHasEveryLevelOpen() {
        MenuHarness h;
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        for (int level = 1; level <= 12; ++level)
            QVERIFY(StartButton(menu, level)->isEnabled());
        auto* scroll = menu->findChild<QScrollBar*>("HScroll1");
        QVERIFY(scroll->isVisible());
        QCOMPARE(scroll->maximum(), 9);
        // Four whole columns are shown and none is cut off at the right edge.
        for (int level = 1; level <= 12; ++level) {
            auto* column = menu->findChild<QWidget*>(QStringLiteral("Column%1").arg(level));
            QCOMPARE(column->isVisible(), level <= 4);
            if (column->isVisible())
                QVERIFY(column->geometry().right() < column->parentWidget()->width());
        }
    }

    // Number keys start an open level through StartDrill; a closed level's key does nothing,
    // and "0" goes back to the name screen.
    void keysStartOpenLevelsOnly() {
        MenuHarness h;
        h.Start();
        QTRY_VERIFY(h.ScreenIs("namesel"));
        const CurrentRun& run = h.program->run();
        ChainedSettings(h.program->editedLevelSettings());
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QTest::keyClick(menu, Qt::Key_6);
        QCOMPARE(run.CurrentLevel, std::int16_t{0});
        QTest::keyClick(menu, Qt::Key_2);
        QCOMPARE(run.CurrentLevel, std::int16_t{2});
    }

    // A start starts one drill: whatever comes second, while the menu stands covered waiting
    // for the drill screen, starts nothing. The menu here is a second one over the signed-in
    // teacher's state, with nothing wired to it, so every input reaches it.
    void aStartStartsOneDrill_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("a second click on the button") << "button1" << "button1";
        QTest::newRow("Enter after the click") << "button1" << "enter";
        QTest::newRow("a number key after the click") << "button1" << "key2";
        QTest::newRow("another level's button after the key") << "key1" << "button2";
        QTest::newRow("the button after a click on the name") << "name1" << "button1";
        QTest::newRow("the name after the button") << "button1" << "name2";
        QTest::newRow("戻る(0) after the click") << "button3" << "key0";
    }
    void aStartStartsOneDrill() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        MenuHarness h;
        h.Start();
        QVERIFY2(SignIn(h, QStringLiteral("先生")) != nullptr, qPrintable(h.Messages()));
        ui::seisekitime1 menu({h.program->setup(), h.program->signIn(), h.program->standing(),
                               h.program->roster(), h.program->board(), h.clock,
                               h.program->messages(), h.program->TeacherPasswordGate()});
        menu.setGeometry(h.program->currentScreen()->geometry());
        menu.show();
        QTRY_VERIFY(menu.keysReady());
        QSignalSpy chosen(&menu, &ui::seisekitime1::levelChosen);
        QSignalSpy back(&menu, &ui::seisekitime1::signOutAsked);
        const auto act = [&](const QString& how) {
            const int level = how.right(1).toInt();
            if (how.startsWith("button")) {
                QTest::mouseClick(StartButton(&menu, level), Qt::LeftButton);
            } else if (how.startsWith("key")) {
                QTest::keyClick(&menu, static_cast<Qt::Key>(Qt::Key_0 + level));
            } else if (how.startsWith("name")) {
                QTest::mouseClick(menu.findChild<QLabel*>(QStringLiteral("Label3_%1").arg(level)),
                                  Qt::LeftButton);
            } else {
                QTest::keyClick(&menu, Qt::Key_Return);
            }
        };
        act(first);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), first.right(1).toInt());
        QVERIFY(!menu.keysReady());
        // The button and the key cover the menu; the level's name starts without the cover.
        QCOMPARE(menu.findChild<QWidget*>("Picture2")->isVisible(), !first.startsWith("name"));
        act(second);
        QTest::qWait(20);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(back.count(), 0);
    }

    // Through the program: the key starts the drill screen, which replaces the menu.
    void aStartOpensTheDrillScreen() {
        MenuHarness h;
        h.Start();
        ui::seisekitime1* found = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(found != nullptr, qPrintable(h.Messages()));
        QPointer<ui::seisekitime1> menu(found);
        QTest::keyClick(found, Qt::Key_3);
        QVERIFY2(h.ScreenIs("MainFrm"), qPrintable(h.Messages()));
        QCOMPARE(int{h.program->run().CurrentLevel}, 3);
        QTRY_VERIFY(!menu);
    }

    // The run lists read the record file when they are filled: a run another machine finished
    // after the menu was refreshed shows in today's list.
    void runListsShowRunsAppendedSinceTheRefresh() {
        MenuHarness h;
        h.WriteRuns({{5, 2, 41, 0, 10 * 60}});
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        h.WriteRuns({{7, 2, 53, 0, 15 * 60 + 20}});
        auto* today = menu->findChild<QRadioButton*>("Option1_2");
        QTest::mouseClick(today, Qt::LeftButton, {}, QPoint(8, today->height() / 2));
        QTRY_VERIFY(menu->findChild<QWidget*>("Picture6")->isHidden());
        const auto* list = menu->findChild<QListWidget*>("List5_2");
        QCOMPARE(list->count(), 2);
        QVERIFY2(list->item(0)->text().contains(QStringLiteral("41")),
                 qPrintable(list->item(0)->text()));
        QVERIFY2(list->item(1)->text().contains(QStringLiteral("53")) &&
                     list->item(1)->text().contains(QStringLiteral("15:20")),
                 qPrintable(list->item(1)->text()));
    }

    // While a list waits for a score file whose folder is briefly away, the menu stays live: a
    // number key starts nothing, and a display chosen meanwhile fills anew (today's ranking,
    // from the standing, at once); the older fill goes and never shows its lines over the
    // newer ones (today's runs carry their time of day; the ranking does not).
    void fillWaitingForTheFileGivesWayToANewerOne() {
        MenuHarness h;
        h.WriteRuns({{5, 2, 41, 0, 10 * 60}});
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QSignalSpy chosen(menu, &ui::seisekitime1::levelChosen);
        // A missing file in its folder is a school without runs; a missing folder is a network
        // drive that may come back, and is waited for.
        const fs::path away = h.DataFolder().string() + ".away";
        fs::rename(h.DataFolder(), away);
        auto* today = menu->findChild<QRadioButton*>("Option1_2");
        QTest::mouseClick(today, Qt::LeftButton, {}, QPoint(8, today->height() / 2));
        auto* cover = menu->findChild<QWidget*>("Picture6");
        auto* heading = menu->findChild<QLabel*>("Label5");
        QVERIFY(cover->isVisible());
        QCOMPARE(heading->text(), QStringLiteral("本日の成績"));
        QTest::keyClick(menu, Qt::Key_1);
        QCOMPARE(chosen.count(), 0);
        QTimer::singleShot(300, menu, [&] { fs::rename(away, h.DataFolder()); });
        auto* points = menu->findChild<QRadioButton*>("Option2_1");
        QTimer::singleShot(1500, points, [&] {
            QTest::mouseClick(points, Qt::LeftButton, {}, QPoint(8, points->height() / 2));
        });
        QTRY_VERIFY_WITH_TIMEOUT(points->isChecked(), 5000);
        QCOMPARE(heading->text(), QStringLiteral("獲得ポイント（今日の順位）"));
        QTRY_VERIFY_WITH_TIMEOUT(cover->isHidden(), 15000);
        // The older fill would have tried again five seconds after it began.
        QTest::qWait(5000);
        const auto* list = menu->findChild<QListWidget*>("List5_2");
        QVERIFY(list->count() >= 1);
        for (int r = 0; r < list->count(); ++r)
            QVERIFY2(!list->item(r)->text().contains(QStringLiteral("10:00")),
                     qPrintable(list->item(r)->text()));
        QCOMPARE(heading->text(), QStringLiteral("獲得ポイント（今日の順位）"));
        QVERIFY(StartButton(menu, 1)->isEnabled());
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
    }

    void backKeyReturnsToNameScreen() {
        MenuHarness h;
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QTest::keyClick(menu, Qt::Key_0);
        QTRY_VERIFY(h.ScreenIs("namesel"));
    }

    // The scroll position chosen on the menu is kept when the menu is shown again.
    void scrollPositionIsKept() {
        MenuHarness h;
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        menu->findChild<QScrollBar*>("HScroll1")->setValue(5);
        h.program->ShowLevelMenu();
        QTRY_VERIFY(h.ScreenIs("seisekitime1") && h.program->currentScreen() != menu);
        auto* again = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
        QTRY_VERIFY(again->keysReady());
        QCOMPARE(again->findChild<QScrollBar*>("HScroll1")->value(), 5);
        QVERIFY(!again->findChild<QWidget*>("Column1")->isVisible());
        QVERIFY(again->findChild<QWidget*>("Column5")->isVisible());
    }

    // Screenshots of the name screen and of every display of the board for a school of 300
    // pupils and 10000 runs.
    void screenshotsOfSchoolSizedBoard() {
        MenuHarness h;
        WriteSchool(h);
        h.Start();
        QTRY_VERIFY2(h.ScreenIs("namesel"), qPrintable(h.Messages()));
        auto* names = h.program->currentScreen()->findChild<QListWidget*>("List1");
        QTRY_VERIFY(names->count() > 250);
        names->setCurrentRow(40);
        testing::SaveScreenshot(h.program->currentScreen(), "namesel_school");
        const QString pupil =
            QString::fromStdString(text::Trim(h.program->roster().RosterName[5]));
        ui::seisekitime1* menu = SignIn(h, pupil);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QVERIFY(menu->findChild<QListWidget*>("List5_2")->count() > 250);
        testing::SaveScreenshot(menu, "menu_time_best");
        const auto choose = [&](const char* name) {
            QTest::mouseClick(menu->findChild<QRadioButton*>(name), Qt::LeftButton);
            QTRY_VERIFY(menu->findChild<QWidget*>("Picture6")->isHidden());
        };
        choose("Option1_2");
        testing::SaveScreenshot(menu, "menu_time_today");
        choose("Option1_3");
        QVERIFY(menu->findChild<QComboBox*>("Combo2")->isVisible());
        testing::SaveScreenshot(menu, "menu_time_period");
        choose("Option2_1");
        testing::SaveScreenshot(menu, "menu_points_period");
        choose("Option1_1");
        testing::SaveScreenshot(menu, "menu_points_cumulative");
        choose("Option1_2");
        testing::SaveScreenshot(menu, "menu_points_today");
        choose("Option2_2");
        QVERIFY(menu->findChild<QListWidget*>("List5_2")->count() >= 1);
        testing::SaveScreenshot(menu, "menu_own_runs");
    }
};

QTEST_MAIN(LevelMenuTest)
#include "level_menu_test.moc"
