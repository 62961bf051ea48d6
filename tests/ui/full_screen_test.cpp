// Every screen of the pupil's road covers the whole display the moment it appears. Full screen
// is only a request to the window manager; on a bare X session without one a window keeps the
// geometry it was shown with, so that geometry itself must be the display's.

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <map>

#include "menu_support.h"
#include "ui/drill/mainfrm.h"
#include "ui/menu/seisekitime1.h"

using namespace kagaku;
using testing::MenuHarness;

namespace {

// Notes the geometry of every top-level screen as it is shown: what a display without a window
// manager would keep.
class ShownGeometries final : public QObject {
public:
    ShownGeometries() { qApp->installEventFilter(this); }
    ~ShownGeometries() override { qApp->removeEventFilter(this); }
    std::multimap<QString, QRect> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow()) {
            shown.emplace(widget->objectName(), widget->geometry());
            shown.emplace(widget->objectName() + QStringLiteral(" (normal)"),
                          widget->normalGeometry());
        }
        return false;
    }
};

}  // namespace

class FullScreenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Splash, name screen, level menu, drill, cover and result, reached with keys and a
    // time-out as in class.
    void everyScreenCoversTheDisplay() {
        ShownGeometries geometries;
        MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_1);
        QTRY_VERIFY(h.ScreenIs("seisekitime1"));
        auto* menu = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
        QTRY_VERIFY(menu->keysReady());
        QTest::keyClick(menu, Qt::Key_2);
        QTRY_VERIFY(h.ScreenIs("MainFrm"));
        auto* drill = qobject_cast<ui::MainFrm*>(h.program->currentScreen());
        h.clock.AdvanceSeconds(h.program->run().TimeLimit);
        drill->OnClockTick();
        QTRY_VERIFY(h.ScreenIs("FrmSyuuryou"));
        auto* toMenu = h.program->currentScreen()->findChild<QPushButton*>("Command4");
        QTRY_VERIFY(toMenu->isVisible());
        QTest::mouseClick(toMenu, Qt::LeftButton);
        QTRY_VERIFY(h.ScreenIs("seisekitime1"));

        const QRect display = QGuiApplication::primaryScreen()->geometry();
        for (const char* name :
             {"Firstfrm", "namesel", "seisekitime1", "MainFrm", "BASEFRM", "FrmSyuuryou"}) {
            for (const QString& kind : {QString(), QStringLiteral(" (normal)")}) {
                const QString key = QString::fromLatin1(name) + kind;
                const auto [first, last] = geometries.shown.equal_range(key);
                QVERIFY2(first != last, qPrintable(key + QStringLiteral(" never shown")));
                for (auto it = first; it != last; ++it) {
                    QVERIFY2(it->second == display,
                             qPrintable(QStringLiteral("%1 shown at %2,%3 %4x%5")
                                            .arg(key)
                                            .arg(it->second.x())
                                            .arg(it->second.y())
                                            .arg(it->second.width())
                                            .arg(it->second.height())));
                }
            }
        }
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
        h.program->currentScreen()->close();
    }
};

QTEST_MAIN(FullScreenTest)
#include "full_screen_test.moc"
