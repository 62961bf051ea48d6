// The real program on a copy of the demo tree with one file damaged as teachers and torn
// writes leave them. A file the program cannot do without ends it with one message naming the
// file and the problem, status 1 and no window left; where the program defines a way on (an
// empty sound list, a torn score record, a level whose problems cannot be read), it goes on.

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "common/text_ops.h"
#include "menu_support.h"
#include "ui/signin/namesel.h"
#include "ui/menu/seisekitime1.h"

using namespace kagaku;
namespace fs = std::filesystem;

namespace {

// Bytes of a file in code page 932.
QByteArray Cp932(const char* utf8) {
    return QByteArray::fromStdString(Utf8ToCp932(utf8, "test"));
}

const QByteArray kMissing = QByteArrayLiteral("<missing>");

QByteArray RosterListing(int pupils) {
    std::string text;
    for (int n = 0; n < pupils; ++n)
        text += std::to_string(n) + ",2015,0,0,\"生徒" + std::to_string(n) + "\",0,\"\",\"\"\r\n";
    return Cp932(text.c_str());
}

QByteArray SettingsLines(int lines) {
    QByteArray text;
    for (int i = 0; i < lines; ++i)
        text += "60,90,30,3,1,8,80,14,1,,,\r\n";
    return text;
}

// The demo problem file with its second row short of its answer: every later field shifts.
QByteArray DemoProblemsWithARowOfTwoFields() {
    QByteArray text = QByteArray::fromStdString(
        testing::ReadBytes(fs::u8path(KAGAKU_DEMO_DIR) / fs::u8path("kagaku/化学式.csv")));
    const qsizetype first = text.indexOf("\r\n") + 2;
    const qsizetype second = text.indexOf("\r\n", first);
    const qsizetype lastComma = text.lastIndexOf(',', second);
    return text.left(lastComma) + text.mid(second);
}

void Damage(const testing::MenuHarness& h, const QString& file, const QByteArray& bytes) {
    const fs::path p = h.tree / fs::u8path(file.toStdString());
    if (bytes == kMissing)
        fs::remove(p);
    else
        h.dir.WriteBytes("tree/" + file.toStdString(), bytes.toStdString());
}

}  // namespace

class DamagedFilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ui::namesel::pauseMillisecondsPerSecond = 10; }
    void cleanup() { ui::namesel::pauseMillisecondsPerSecond = 1000; }

    void startUpEndsOrGoesOn_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ends");  // else the name screen is reached without a message
        const QString path = QStringLiteral("パスデータ.txt");
        const QString common = QStringLiteral("学校データ/共通データ.txt");
        const QString settings = QStringLiteral("学校データ/kagaku/タイム回数データ.txt");
        const QString sounds = QStringLiteral("学校データ/音フォルダ/新音ファイル.txt");
        const QString roster = QStringLiteral("学校データ/新名簿.txt");
        const QString records = QStringLiteral("学校データ/kagaku/成績累積データ.dat");
        const QByteArray notCp932("\x81\x7F\x82,,,,,,,,,\r\n");

        QTest::newRow("path: missing") << path << kMissing << true;
        QTest::newRow("path: empty") << path << QByteArray() << true;
        QTest::newRow("path: cut in a field") << path << Cp932("学校デ") << true;
        QTest::newRow("path: cut in a character") << path << Cp932("学校データ").left(5) << true;
        QTest::newRow("path: not cp932") << path << notCp932 << true;
        QTest::newRow("common: missing") << common << kMissing << true;
        QTest::newRow("common: empty") << common << QByteArray() << true;
        QTest::newRow("common: cut in a field") << common << Cp932("4,12345さくら") << true;
        QTest::newRow("common: not cp932") << common << notCp932 << true;
        QTest::newRow("settings: missing") << settings << kMissing << true;
        QTest::newRow("settings: cut in a field") << settings << QByteArray("60,90,3") << true;
        QTest::newRow("settings: not cp932") << settings << notCp932 << true;
        QTest::newRow("settings: 37 lines") << settings << SettingsLines(37) << true;
        QTest::newRow("settings: 36 lines") << settings << SettingsLines(36) << false;
        QTest::newRow("sounds: missing") << sounds << kMissing << true;
        QTest::newRow("sounds: not cp932") << sounds << notCp932 << true;
        QTest::newRow("sounds: empty (cues stay silent)") << sounds << QByteArray() << false;
        QTest::newRow("roster: missing") << roster << kMissing << true;
        QTest::newRow("roster: cut in a record") << roster << Cp932("1,1980,0,0,\"先") << true;
        QTest::newRow("roster: not cp932") << roster << notCp932 << true;
        QTest::newRow("roster: 5001 listed pupils") << roster << RosterListing(5001) << true;
        QTest::newRow("roster: 5000 listed pupils") << roster << RosterListing(5000) << false;
        QTest::newRow("records: cut in a record") << records << QByteArray(30, '\x01') << false;
    }
    void startUpEndsOrGoesOn() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ends);
        testing::MenuHarness h;
        Damage(h, file, bytes);
        h.program = std::make_unique<ui::Program>(
            h.tree / "kagaku",
            ui::Program::Services{&h.clock, &h.random, &h.messages, &h.sound, &h.launcher});
        // The program runs in its own event loop; a name screen with its list filled ends the
        // run from outside, as does a watchdog against a hang.
        bool reachedNames = false;
        bool hung = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* list = h.ScreenIs("namesel")
                             ? h.program->currentScreen()->findChild<QListWidget*>("List1")
                             : nullptr;
            if (list != nullptr && list->count() > 0 && h.messages.shown().empty()) {
                reachedNames = true;
                QCoreApplication::exit(0);
            }
        });
        poll.start(50);
        QTimer::singleShot(20000, &poll, [&hung] {
            hung = true;
            QCoreApplication::exit(99);
        });
        const int status = h.program->Run();
        poll.stop();
        QVERIFY2(!hung, qPrintable(h.Messages()));
        if (!ends) {
            QVERIFY2(reachedNames, qPrintable(h.Messages()));
            QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
            h.program->currentScreen()->close();
            if (file.endsWith(QStringLiteral(".dat")))  // the torn bytes are kept, not cut off
                QCOMPARE(fs::file_size(h.RecordFile()), std::uintmax_t{30});
            return;
        }
        QCOMPARE(status, 1);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        const QString message = h.messages.shown()[0].text;
        QVERIFY2(message.contains(file.section(QLatin1Char('/'), -1)), qPrintable(message));
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }

    // On the way: a level whose problem file cannot be read is refused with a message naming
    // the file, the menu stays, and nothing is recorded.
    void damagedProblemFileRefusesTheLevel_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing") << kMissing;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a row of two fields") << DemoProblemsWithARowOfTwoFields();
        QTest::newRow("not cp932") << QByteArray("2,\x81\x7F,H2O\r\n");
    }
    void damagedProblemFileRefusesTheLevel() {
        QFETCH(QByteArray, bytes);
        testing::MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        Damage(h, QStringLiteral("kagaku/化学式.csv"), bytes);
        const int row = testing::RowOf(
            list, QString::fromStdString(text::Trim(h.program->roster().RosterName[5])));
        QVERIFY(row > 0);
        while (list->currentRow() < row)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_1);
        QTRY_VERIFY(h.ScreenIs("seisekitime1"));
        auto* menu = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
        QTRY_VERIFY(menu->keysReady());
        QTest::keyClick(menu, Qt::Key_2);
        QTRY_COMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.contains(QStringLiteral("化学式.csv")),
                 qPrintable(h.Messages()));
        QTest::qWait(100);
        QVERIFY(h.ScreenIs("seisekitime1"));
        QCOMPARE(h.program->exitStatus(), 0);
        QVERIFY(!fs::exists(h.RecordFile()));
        h.program->currentScreen()->close();
    }
};

QTEST_MAIN(DamagedFilesTest)
#include "damaged_files_test.moc"
