#pragma once
// The background cover shown between the drill and the result: a large picture centred on the
// screen, so the pupil never sees the desktop or the level menu in between.

#include <QWidget>

class QLabel;

namespace kagaku::ui {

class BASEFRM final : public QWidget {
    Q_OBJECT

public:
    explicit BASEFRM(const QString& programName);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CentrePicture();
    QLabel* coverPicture_;  // Picture1: the program name on the cover
};

}  // namespace kagaku::ui
