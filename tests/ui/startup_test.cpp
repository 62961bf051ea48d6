// The program started on the demo data tree, on the offscreen platform: the splash, the start-up
// and its messages for damaged trees, the version dialog, the cover screen and the sound device.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "platform/alsa_sound_player.h"
#include "support/fake_services.h"
#include "support/test_support.h"
#include "ui/drill/basefrm.h"
#include "ui/signin/frmver.h"
#include "ui/shell/program.h"
#include "ui/shell/sound_output.h"

using namespace kagaku;
namespace fs = std::filesystem;

namespace {

struct Harness {
    testing::FakeClock clock{CivilDate{2010, 4, 28}, TimeOfDay{9, 30, 0}};
    testing::FakeRandom random;
    testing::FakeMessageBoxes messages;
    testing::FakeSoundDevice sound;
    testing::FakeLauncher launcher;
    ui::Program program;
    explicit Harness(const fs::path& programFolder)
        : program(programFolder, {&clock, &random, &messages, &sound, &launcher}) {}
};

fs::path DemoProgramFolder() {
    return fs::u8path(KAGAKU_DEMO_DIR) / "kagaku";
}

// A copy of the demo tree the test may damage.
fs::path CopyDemoTree(const testing::TempDir& dir) {
    fs::copy(fs::u8path(KAGAKU_DEMO_DIR), dir.path() / "tree", fs::copy_options::recursive);
    return dir.path() / "tree";
}

bool ScreenIs(ui::Program& program, const char* name) {
    return program.currentScreen() != nullptr && program.currentScreen()->objectName() == name;
}

// Holds the splash's first Show event longer than its 100 ms timer, as a slow classroom PC does
// while it loads the fonts.
class SlowFirstShow final : public QObject {
public:
    SlowFirstShow() { qApp->installEventFilter(this); }
    ~SlowFirstShow() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!held_ && event->type() == QEvent::Show && watched->objectName() == "Firstfrm") {
            held_ = true;
            QThread::msleep(250);
        }
        return false;
    }

private:
    bool held_ = false;
};

QString Messages(const testing::FakeMessageBoxes& messages) {
    QString all;
    for (const auto& m : messages.shown())
        all += m.title + ": " + m.text + "\n";
    return all;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splashShowsEraDateThenNameScreen() {
        Harness h(DemoProgramFolder());
        h.program.Start();
        QWidget* splash = h.program.currentScreen();
        QVERIFY(splash != nullptr);
        QCOMPARE(splash->objectName(), QStringLiteral("Firstfrm"));
        auto* label5 = splash->findChild<QLabel*>("Label5");
        QVERIFY(label5 != nullptr);
        QCOMPARE(label5->text(), QStringLiteral("平成22年 4月 28日（水）"));
        QCOMPARE(h.program.setup().SeasonColour, 0xC0FFC0u);
        testing::SaveScreenshot(splash, "splash");

        QTRY_VERIFY2(ScreenIs(h.program, "namesel"), qPrintable(Messages(h.messages)));
        QWidget* screen = h.program.currentScreen();
        QTRY_VERIFY(screen->isVisible());
        QVERIFY2(QString::fromStdString(h.program.setup().DataRoot)
                     .endsWith(QStringLiteral("学校データ/")),
                 h.program.setup().DataRoot.c_str());
        QCOMPARE(QString::fromStdString(h.program.setup().SchoolName),
                 QStringLiteral("さくら進学塾"));
        QVERIFY(h.messages.shown().empty());
        screen->close();
    }

    // Each damaged tree ends the program with a message that names the file at fault.
    void damagedTreeEndsWithMessageNamingTheFile_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("named");
        QTest::newRow("no common file") << "学校データ/共通データ.txt"
                                        << "共通データ.txt";
        QTest::newRow("no path file") << "パスデータ.txt"
                                      << "パスデータ.txt";
        QTest::newRow("no settings") << "学校データ/kagaku/タイム回数データ.txt"
                                     << "タイム回数データ.txt";
        QTest::newRow("no sound table") << "学校データ/音フォルダ/新音ファイル.txt"
                                        << "新音ファイル.txt";
    }
    void damagedTreeEndsWithMessageNamingTheFile() {
        QFETCH(QString, damage);
        QFETCH(QString, named);
        testing::TempDir dir;
        const fs::path tree = CopyDemoTree(dir);
        fs::remove(tree / fs::u8path(damage.toStdString()));
        Harness h(tree / "kagaku");
        h.program.Start();
        QTRY_COMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.contains(named),
                 qPrintable(h.messages.shown()[0].text));
        QCOMPARE(h.program.exitStatus(), 1);
    }

    // The real start on a slow PC: the start-up waits for the running event loop, so its end
    // is heard there; the program returns 1 with no window left instead of running on unseen.
    void damagedConfigurationEndsTheRunningProgram_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("common file cut short")
            << "学校データ/共通データ.txt" << QByteArray("4\r\n");
        QTest::newRow("common file undecodable")
            << "学校データ/共通データ.txt" << QByteArray("4,\x81\x7F,0,,,,,,,\r\n");
        QTest::newRow("path file names no folder")
            << "パスデータ.txt" << QByteArray("missing\\,,,,,,,,,\r\n");
    }
    void damagedConfigurationEndsTheRunningProgram() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        testing::TempDir dir;
        const fs::path tree = CopyDemoTree(dir);
        dir.WriteBytes("tree/" + file.toStdString(), bytes.toStdString());
        Harness h(tree / "kagaku");
        SlowFirstShow slow;
        QObject watchdog;
        bool hung = false;
        QTimer::singleShot(10000, &watchdog, [&hung] {
            hung = true;
            QCoreApplication::exit(99);
        });
        const int status = h.program.Run();
        QVERIFY2(!hung, "the program ran on after its end");
        QCOMPARE(status, 1);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.contains(QFileInfo(file).fileName()),
                 qPrintable(h.messages.shown()[0].text));
        QVERIFY(h.messages.shown()[0].loopLevel > 0);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }

    void undecodableSettingsFileIsReported() {
        testing::TempDir dir;
        const fs::path tree = CopyDemoTree(dir);
        dir.WriteBytes("tree/学校データ/kagaku/タイム回数データ.txt", "60,90,\x81\x7F,3\r\n");
        Harness h(tree / "kagaku");
        h.program.Start();
        QTRY_COMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY(h.messages.shown()[0].text.contains(QStringLiteral("タイム回数データ.txt")));
        QVERIFY(h.messages.shown()[0].text.contains(QStringLiteral("バイト目")));
        QCOMPARE(h.program.exitStatus(), 1);
    }

    void versionDialogShowsBuildVersion() {
        ui::frmver dialog(QStringLiteral("化学式"), nullptr);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QStringLiteral("化学式"));
        QCOMPARE(dialog.findChild<QLabel*>("Label2")->text(), QStringLiteral("Version%1.%2.%3")
                                                                  .arg(KAGAKU_VERSION_MAJOR)
                                                                  .arg(KAGAKU_VERSION_MINOR)
                                                                  .arg(KAGAKU_VERSION_PATCH));
        QCOMPARE(dialog.findChild<QLabel*>("Label4")->text(), QStringLiteral("Velmora"));
        testing::SaveScreenshot(&dialog, "frmver");
        QTest::mouseClick(dialog.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    void baseScreenCentresItsPicture() {
        // The program keeps its cover for the whole run (it only hides between uses).
        const auto owned = std::make_unique<ui::BASEFRM>(QStringLiteral("化学式"));
        ui::BASEFRM* base = owned.get();
        base->showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(base));
        auto* picture = base->findChild<QLabel*>("Picture1");
        QVERIFY(picture != nullptr);
        QCOMPARE(picture->geometry().center().x(), base->rect().center().x());
        QVERIFY(qAbs(picture->geometry().center().y() - base->rect().center().y()) <= 1);
        testing::SaveScreenshot(base, "basefrm");
        base->close();
    }

    // The fourth failed answer sound in a row shows 音声エラー and ends the program once it is
    // answered; the screen does not go on after that cue.
    void fourthAnswerSoundFailureEndsProgram() {
        Harness h(DemoProgramFolder());
        h.program.Start();
        QTRY_VERIFY2(ScreenIs(h.program, "namesel"), qPrintable(Messages(h.messages)));
        h.sound.FailWith(263, "サウンドデバイスを開けません");
        int ended = 0;
        for (int i = 0; i < 3; ++i)
            h.program.cues().PlayWrongSound([&ended] { ++ended; });
        QVERIFY(h.messages.shown().empty());
        QCOMPARE(ended, 3);
        h.program.cues().PlayCorrectSound([&ended] { ++ended; });
        QCOMPARE(ended, 3);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QCOMPARE(h.messages.shown()[0].title, QStringLiteral("音声エラー"));
        QCOMPARE(
            h.messages.shown()[0].text,
            QStringLiteral("音声がでません。先生を呼びなさい。\r\nサウンドデバイスを開けません"));
        QCOMPARE(h.program.exitStatus(), 3);
        QVERIFY(h.sound.played().back().filename().string() == "seikai2.wav" ||
                h.sound.played().back().filename().string() == "seikai3.wav");
    }

    // With real boxes the program ends only once the message is answered, from the running
    // loop: the screen stays beneath it meanwhile, and an end asked for while it is open (a
    // sound failing, a second damaged file) neither shows a second box nor changes the status.
    void endingMessageWaitsForItsAnswerAndTheFirstEndWins() {
        testing::FakeClock clock{CivilDate{2010, 4, 28}, TimeOfDay{9, 30, 0}};
        testing::FakeRandom random;
        testing::SelfAnsweringMessageBoxes messages;
        testing::FakeSoundDevice sound;
        ui::Program program(DemoProgramFolder(), {&clock, &random, &messages, &sound, nullptr});
        program.Start();
        QTRY_VERIFY(ScreenIs(program, "namesel"));
        QPointer<QWidget> screen = program.currentScreen();
        messages.openMilliseconds = 200;
        program.EndWithFileError(DataFileError("成績累積データ.dat", "壊れています"), screen);
        QCOMPARE(messages.shown().size(), std::size_t{1});
        QVERIFY(screen && screen->isVisible());
        QCOMPARE(program.exitStatus(), 0);
        sound.FailWith(263);
        for (int i = 0; i < 4; ++i)
            program.cues().PlayWrongSound([] {});
        program.EndWithFileError(DataFileError("新名簿.txt", "ありません"), screen);
        QCOMPARE(messages.shown().size(), std::size_t{1});
        QVERIFY(messages.shown()[0].text.contains(QStringLiteral("成績累積データ.dat")));
        QTRY_COMPARE(program.exitStatus(), 1);
        QTRY_VERIFY(!screen || !screen->isVisible());
        QTest::qWait(50);
        QCOMPARE(program.exitStatus(), 1);
    }

    // A screen that goes while the ending message is open over it takes the box along; the
    // message opens again on its own and the program still ends.
    void endingMessageOutlivesTheScreenBeneath() {
        testing::FakeClock clock{CivilDate{2010, 4, 28}, TimeOfDay{9, 30, 0}};
        testing::FakeRandom random;
        testing::SelfAnsweringMessageBoxes messages;
        testing::FakeSoundDevice sound;
        ui::Program program(DemoProgramFolder(), {&clock, &random, &messages, &sound, nullptr});
        auto* screen = new QWidget;
        screen->show();
        messages.openMilliseconds = 150;
        program.EndWithMessage(screen, QStringLiteral("終了します。"), 2);
        delete screen;
        QTRY_COMPARE(messages.shown().size(), std::size_t{2});
        QCOMPARE(messages.shown()[1].text, QStringLiteral("終了します。"));
        QTRY_COMPARE(program.exitStatus(), 2);
    }

    // Without a sound device the real player fails at once instead of waiting for an end that
    // never comes; with one, it reports when the sound has ended. Play itself returns at once
    // and each end is reported once, from the event loop.
    void realSoundOutputNeverHangs() {
        const fs::path wav = fs::u8path(KAGAKU_DEMO_DIR) / "学校データ/音フォルダ/最高1.wav";
        const double seconds = WavDurationSeconds(wav);
        QVERIFY(seconds > 0.5 && seconds < 5.0);
        ui::SoundOutput output;
        std::vector<PlayResult> results;
        auto collect = [&results](PlayResult r) { results.push_back(std::move(r)); };
        QElapsedTimer timer;
        timer.start();
        output.Play(wav, collect);
        QVERIFY(results.empty());
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), std::size_t{1},
                                  static_cast<int>(seconds * 1000) + 2500);
        QVERIFY(timer.elapsed() < static_cast<qint64>(seconds * 1000) + 2500);
        if (!fs::exists("/dev/snd")) {
            QVERIFY(results[0].code != 0);
            QVERIFY(!results[0].errorText.empty());
            QVERIFY(timer.elapsed() < 1000);
        }
        output.Play(wav.parent_path() / "ない.wav", collect);
        QCOMPARE(results.size(), std::size_t{1});
        QTRY_COMPARE(results.size(), std::size_t{2});
        QVERIFY(results[1].code != 0);
    }

    // On ALSA's null device, which takes the sound whether or not the machine has a sound
    // card: a sound that plays to its end reports success once; a sound asked for while
    // another plays cuts the older one short, whose end is still reported, once; a device that
    // goes while a sound plays reports nothing.
    void realSoundOutputReportsEachEndOnce() {
        const fs::path wav = fs::u8path(KAGAKU_DEMO_DIR) / "学校データ/音フォルダ/最高1.wav";
        const double seconds = WavDurationSeconds(wav);
        QTemporaryDir alsa;
        QVERIFY(alsa.isValid());
        const QString config = alsa.filePath("asound.conf");
        {
            QFile f(config);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("pcm.!default { type null }\n");
        }
        const QByteArray oldConfig = qgetenv("ALSA_CONFIG_PATH");
        qputenv("ALSA_CONFIG_PATH", QFile::encodeName(config));
        const int limit = static_cast<int>(seconds * 1000) + 2500;
        std::vector<std::string> ends;
        {
            ui::SoundOutput output;
            QElapsedTimer timer;
            timer.start();
            output.Play(wav, [&ends](PlayResult r) { ends.push_back("alone " + r.errorText); });
            QVERIFY(ends.empty());
            QTRY_COMPARE_WITH_TIMEOUT(ends.size(), std::size_t{1}, limit);
            QCOMPARE(ends[0], std::string("alone "));
            QVERIFY(timer.elapsed() < limit);

            // The null device takes a sound as fast as it is written, so the older one may
            // have ended by itself or been cut short: either way it is reported first, once.
            ends.clear();
            output.Play(wav, [&ends](PlayResult r) {
                ends.push_back("older " + std::to_string(r.code));
            });
            output.Play(wav, [&ends](PlayResult r) {
                ends.push_back("newer " + std::to_string(r.code));
            });
            QVERIFY(ends.empty());
            QTRY_COMPARE_WITH_TIMEOUT(ends.size(), std::size_t{2}, 2 * limit);
            QCOMPARE(ends, (std::vector<std::string>{"older 0", "newer 0"}));
            QTest::qWait(50);
            QCOMPARE(ends.size(), std::size_t{2});

            ends.clear();
            output.Play(wav, [&ends](PlayResult) { ends.push_back("after the device"); });
        }
        QTest::qWait(100);
        if (oldConfig.isNull())
            qunsetenv("ALSA_CONFIG_PATH");
        else
            qputenv("ALSA_CONFIG_PATH", oldConfig);
        QVERIFY(ends.empty());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
