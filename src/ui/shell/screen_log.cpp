#include "ui/shell/screen_log.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>
#include <cstdio>

namespace kagaku::ui {

namespace {

class ScreenLog final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        const auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow())
            return false;
        QString line;
        if (const auto* box = qobject_cast<const QMessageBox*>(window)) {
            line = QStringLiteral("message: %1: %2")
                       .arg(box->windowTitle(), box->text().replace(QLatin1Char('\n'), ' '));
        } else {
            line = QStringLiteral("screen: %1").arg(window->objectName());
        }
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
        return false;
    }
};

}  // namespace

void InstallScreenLogIfAsked(QCoreApplication& app) {
    if (qEnvironmentVariableIntValue("KAGAKU_SCREEN_LOG") != 1)
        return;
    app.installEventFilter(new ScreenLog(&app));
}

}  // namespace kagaku::ui
