#pragma once
// The name screen: the pupil finds his or her name in the school's list (with two running
// totals beside every name), narrows it to a grade if wanted and confirms with O.K., which
// signs the pupil in and opens the level menu. The other exit goes back to the family's menu
// program and ends this program.

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "roster/name_list.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kagaku::ui {

class Program;

class namesel final : public QWidget {
    Q_OBJECT

public:
    explicit namesel(Program& program);

    // 名簿表示: re-aggregates the records, reads the roster and rebuilds the lists.
    void ShowRoster();

    // How long one second of the fault pause lasts (tests shorten it).
    static int pauseMillisecondsPerSecond;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormLoad();
    void FormActivate();
    void OnListClick(int row);
    void OnListDoubleClick(int row);
    void OnOk();
    void OnExit();
    void OnModeChosen(int index);
    void OnGradeChosen();
    void ShowCover(bool shown);
    void ShowPrompt();
    bool HandleKey(QKeyEvent* event);

    Program& program_;
    QFrame* panel_ = nullptr;  // Picture6
    QLabel* title_ = nullptr;  // Label4
    QButtonGroup* modes_ = nullptr;
    std::vector<QRadioButton*> modeButtons_;   // Option1(0..3)
    QComboBox* grades_ = nullptr;              // Combo1
    QListWidget* list_ = nullptr;              // List1
    QLabel* chosen_ = nullptr;                 // Label1
    QPushButton* ok_ = nullptr;                // Command14
    QPushButton* exit_ = nullptr;              // Command7
    QFrame* cover_ = nullptr;                  // Picture5
    NameList rows_;                            // List1 and List3 as last built
    std::optional<std::int16_t> chosenPupil_;  // Label2: the pupil of the chosen row
    int listMode_ = 0;
    bool loaded_ = false;
    int rebuildGeneration_ = 0;  // counts rebuilds started, so an outdated one is dropped
    int rebuildsRunning_ = 0;    // rebuilds under way (one may run inside another)
    bool ended_ = false;         // the program is ending; the screen does nothing more
};

}  // namespace kagaku::ui
