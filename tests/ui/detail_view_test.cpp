// The detail view on a copy of the demo tree: a pupil presses グラフ on the own-runs display and
// sees red and blue points; the level and pupil lists redraw; the teacher prints (each pupil a
// job of its own) and saves PDF files; no printer and a damaged roster give their messages.

#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "common/text_ops.h"
#include "menu_support.h"
#include "ui/menu/detail_view.h"
#include "ui/menu/seisekitime1.h"

using namespace kagaku;
using testing::MenuHarness;
using testing::SignIn;
namespace fs = std::filesystem;

namespace {

// The own-runs display, then グラフ: the panel with its first report.
ui::DetailView* OpenGraph(ui::seisekitime1* menu) {
    QTest::mouseClick(menu->findChild<QRadioButton*>("Option2_2"), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return menu->findChild<QWidget*>("Picture6")->isHidden(); }, 5000))
        return nullptr;
    auto* graph = menu->findChild<QPushButton*>("Command17");
    if (graph == nullptr || !graph->isVisible())
        return nullptr;
    QTest::mouseClick(graph, Qt::LeftButton);
    auto* view = menu->findChild<ui::DetailView*>("Picture11");
    if (view == nullptr || !QTest::qWaitFor([&] { return view->isVisible(); }, 5000))
        return nullptr;
    return view;
}

QColor PixelAt(ui::ReportCanvas* canvas, const ReportPoint& p) {
    const QImage image = canvas->grab().toImage();
    const double ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(p.X * canvas->width() * ratio),
                            static_cast<int>(p.Y * canvas->height() * ratio));
}

// pdftotext's text of a PDF file, or nothing when the tool is missing.
QString PdfText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-enc", "UTF-8", file, "-"});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
// The pages of a PDF file: pdfinfo's count where poppler-utils is installed, else the page
// objects in the file.
int PdfPages(const QString& file) {
    QProcess p;
    p.start("pdfinfo", {file});
    if (p.waitForFinished(20000) && p.exitCode() == 0) {
        const QRegularExpression pages(R"(Pages:\s+(\d+))");
        const auto match = pages.match(QString::fromUtf8(p.readAllStandardOutput()));
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(
        QString::fromLatin1(f.readAll()).count(QRegularExpression(R"(/Type\s*/Page(?!s))")));
}

void RunsOfEguchi(MenuHarness& h) {
    // 江口 蓮 is pupil 5; level 2: 60, 55, 58, 50 seconds; another pupil 40 seconds.
    h.WriteRuns({{5, 2, 60, 4},
                 {5, 2, 55, 3},
                 {5, 2, 58, 2},
                 {5, 2, 50, 1},
                 {3, 2, 40, 1},
                 {5, 4, 80, 1},
                 {3, 6, 70, 0}});
}

}  // namespace

class DetailViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A pupil presses グラフ: three blocks, red points where the pupil beat every earlier run
    // (checked on the screen's pixels), blue elsewhere; no printing for a pupil; five levels
    // leave the last two on the screen; another pupil's report; 戻る and a display switch
    // close the panel.
    void pupilPressesGraph() {
        MenuHarness h;
        RunsOfEguchi(h);
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        ui::DetailView* view = OpenGraph(menu);
        QVERIFY2(view != nullptr, qPrintable(h.Messages()));
        QVERIFY(!view->findChild<QPushButton*>("Command24_1")->isVisible());
        QVERIFY(!view->findChild<QPushButton*>("PdfSave")->isVisible());
        auto* canvas = view->findChild<ui::ReportCanvas*>("Picture12");
        const ReportPage& page = canvas->page();
        QCOMPARE(page.Points.size(), std::size_t{4});
        QCOMPARE(page.Points[2].Colour, kOtherRunColour);
        QTRY_VERIFY(canvas->isVisible());
        const QColor red = PixelAt(canvas, page.Points[3]);
        QVERIFY2(red.red() > 200 && red.green() < 80 && red.blue() < 80, qPrintable(red.name()));
        const QColor blue = PixelAt(canvas, page.Points[2]);
        QVERIFY2(blue.blue() > 200 && blue.red() < 80, qPrintable(blue.name()));
        testing::SaveScreenshot(menu, "detail_graph");

        // Five levels: the screen shows the last two blocks.
        auto* levels = view->findChild<QListWidget*>("List3");
        QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                          levels->visualItemRect(levels->item(3)).center());
        levels->item(4)->setSelected(true);
        QTest::mouseClick(view->findChild<QPushButton*>("Command24_0"), Qt::LeftButton);
        int rules = 0;
        for (const ReportLine& l : canvas->page().Lines)
            rules += l.Width == 2 && l.X1 == 0 ? 1 : 0;
        QCOMPARE(rules, 4);

        // Another pupil: 石川 (3) ran level 2 once in 40 s.
        QTest::mouseClick(view->findChild<QPushButton*>("Command25"), Qt::LeftButton);
        auto* pupils = view->findChild<QListWidget*>("List2");
        QVERIFY(pupils->isVisible());
        int row = -1;
        for (int i = 0; i < pupils->count(); ++i)
            if (pupils->item(i)->text().endsWith("/3"))
                row = i;
        QVERIFY(row >= 0);
        pupils->scrollToItem(pupils->item(row));
        QTest::mouseClick(pupils->viewport(), Qt::LeftButton, {},
                          pupils->visualItemRect(pupils->item(row)).center());
        QCOMPARE(view->selectedPupil(), 3);
        testing::SaveScreenshot(menu, "detail_other_pupil");

        QTest::mouseClick(view->findChild<QPushButton*>("Command18"), Qt::LeftButton);
        QVERIFY(view->isHidden());
        QTest::mouseClick(menu->findChild<QPushButton*>("Command17"), Qt::LeftButton);
        QTRY_VERIFY(view->isVisible());
        QTest::mouseClick(menu->findChild<QRadioButton*>("Option2_0"), Qt::LeftButton);
        QTRY_VERIFY(menu->findChild<QWidget*>("Picture6")->isHidden());
        QVERIFY(view->isHidden());
        QVERIFY(menu->findChild<QPushButton*>("Command17")->isHidden());
        QVERIFY(h.messages.shown().empty());
    }

    // The teacher prints two pupils: a job each, with the pupil's name on its pages, through
    // the real print path (the system's default printer where a print system runs, otherwise
    // QPrinter's PDF output); then saves them as PDF files named by number, name and date.
    void teacherPrintsAndSaves() {
        MenuHarness h;
        RunsOfEguchi(h);
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        ui::DetailView* view = OpenGraph(menu);
        QVERIFY2(view != nullptr, qPrintable(h.Messages()));
        QVERIFY(view->findChild<QPushButton*>("Command24_1")->isVisible());
        QVERIFY(view->findChild<QPushButton*>("PdfSave")->isVisible());
        auto* levels = view->findChild<QListWidget*>("List3");
        for (int i = 3; i < 5; ++i)
            levels->item(i)->setSelected(true);
        QTest::mouseClick(view->findChild<QPushButton*>("Command25"), Qt::LeftButton);
        auto* pupils = view->findChild<QListWidget*>("List2");
        for (int i = 0; i < pupils->count(); ++i) {
            const QString t = pupils->item(i)->text();
            if (t.endsWith("/3") || t.endsWith("/5"))
                pupils->item(i)->setSelected(true);
        }

        testing::TempDir out;
        const QString cupsOut = qEnvironmentVariable("KAGAKU_CUPS_PDF_DIR");
        QStringList printed;
        // The jobs' titles carry the program's name: a tag of this run finds its own files
        // among the queue's output.
        const QString runTag =
            QStringLiteral("kagakutest%1").arg(QCoreApplication::applicationPid());
        // The print job names the program; the test renames it in place of a start-up.
        const_cast<ProgramSetup&>(h.program->setup()).ProgramName = runTag.toStdString();
        if (cupsOut.isEmpty() || QPrinterInfo::defaultPrinter().isNull()) {
            view->SetPrinterFactory([&](int pupil) {
                auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
                printer->setOutputFormat(QPrinter::PdfFormat);
                const QString file = QString::fromStdString(
                    (out.path() / ("job" + std::to_string(pupil) + ".pdf")).string());
                printer->setOutputFileName(file);
                printed << file;
                return printer;
            });
        }
        QTest::mouseClick(view->findChild<QPushButton*>("Command24_1"), Qt::LeftButton);
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
        if (printed.isEmpty()) {
            // Two jobs reach the PDF queue of the print system, named after their titles.
            const QDir dir(cupsOut);
            const auto ours = [&] { return dir.entryList({"*" + runTag + "*.pdf"}, QDir::Files); };
            QTRY_VERIFY_WITH_TIMEOUT(ours().size() >= 2, 30000);
            for (const QString& f : ours())
                printed << dir.filePath(f);
        }
        QCOMPARE(printed.size(), 2);
        for (const QString& f : printed)  // five levels: three blocks, then two
            QTRY_COMPARE_WITH_TIMEOUT(PdfPages(f), 2, 20000);
        if (!cupsOut.isEmpty()) {
            // The PDF queue names each job's file after its title, the bytes of its
            // characters written in octal; the text inside is re-encoded by the queue.
            const auto octal = [](const QString& name) {
                QStringList bytes;
                for (const char c : name.toUtf8())
                    bytes << QString::number(static_cast<unsigned char>(c), 8);
                return bytes.join('_');
            };
            const QString names = printed.join('\n');
            QVERIFY2(names.contains(octal(QStringLiteral("石川"))), qPrintable(names));
            QVERIFY2(names.contains(octal(QStringLiteral("江口"))), qPrintable(names));
        } else {
            const QString text = PdfText(printed[0]) + PdfText(printed[1]);
            if (!text.isEmpty()) {
                QVERIFY2(text.contains(QStringLiteral("石川")), qPrintable(text));
                QVERIFY2(text.contains(QStringLiteral("江口")), qPrintable(text));
                QVERIFY(text.contains(QStringLiteral("獲得ポイント")));
            }
        }

        view->SetFolderChooser([&](QWidget*) { return QString::fromStdString(out.path()); });
        QTest::mouseClick(view->findChild<QPushButton*>("PdfSave"), Qt::LeftButton);
        const auto name = [&](int n) {
            return QString::fromStdString(
                (out.path() /
                 fs::u8path(ReportFileName(n, h.program->roster().RosterName[std::size_t(n)],
                                           h.clock.Now())))
                    .string());
        };
        QVERIFY(QFileInfo(name(3)).size() > 0);
        QVERIFY(QFileInfo(name(5)).size() > 0);
        QVERIFY(name(5).endsWith(QStringLiteral("5_江口　蓮_2026-06-10.pdf")));
        QCOMPARE(PdfPages(name(5)), 2);
        // A page rendered to a picture, to look at.
        QProcess::execute("pdftoppm", {"-png", "-r", "100", "-f", "1", "-l", "1", name(5),
                                       QStringLiteral(KAGAKU_SCREENSHOT_DIR "/detail_printed")});
    }

    // No printer set up: a message that says so, and nothing printed.
    void noPrinterGivesAMessage() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a default printer is set up here");
        MenuHarness h;
        RunsOfEguchi(h);
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        ui::DetailView* view = OpenGraph(menu);
        QVERIFY(view != nullptr);
        QTest::mouseClick(view->findChild<QPushButton*>("Command24_1"), Qt::LeftButton);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QCOMPARE(h.messages.shown()[0].text,
                 QStringLiteral("プリンターが設定されていないため、印刷できません。\n"
                                "プリンターを設定してから、もう一度「印刷」を押してください。"));
        QVERIFY(view->isVisible());
        QCOMPARE(h.program->exitStatus(), 0);
    }

    // A roster damaged after sign-in: the own-runs list gives the file's message and draws
    // nothing.
    void damagedRosterGivesTheFileMessage() {
        MenuHarness h;
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        WriteFileAtomically(h.tree / fs::u8path("学校データ/新名簿.txt"), "1,x,0,0");
        QTest::mouseClick(menu->findChild<QRadioButton*>("Option2_2"), Qt::LeftButton);
        QTRY_VERIFY(!h.messages.shown().empty());
        QVERIFY2(h.Messages().contains(QStringLiteral("新名簿.txt")), qPrintable(h.Messages()));
        QCOMPARE(h.program->exitStatus(), 1);
    }
};

QTEST_MAIN(DetailViewTest)
#include "detail_view_test.moc"
