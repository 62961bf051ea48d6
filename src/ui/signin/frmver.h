#pragma once
// The version dialog: the program's name, its version number as the build gives it and the
// series name.

#include <QDialog>

class QLabel;

namespace kagaku::ui {

class frmver final : public QDialog {
    Q_OBJECT

public:
    frmver(const QString& programName, QWidget* parent);
};

}  // namespace kagaku::ui
