#pragma once
// The first working screen while sign-in is not there yet: says which data tree was loaded, so a
// teacher can see the program found its school's files.

#include <QWidget>

namespace kagaku::ui {

class Program;

class LoadedScreen final : public QWidget {
    Q_OBJECT

public:
    explicit LoadedScreen(Program& program);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Program& program_;
};

}  // namespace kagaku::ui
