#pragma once
// The detail view (Picture11), laid over the level columns: the report blocks of one pupil on
// the chosen levels (Picture12), the level list, the list of other pupils, and for the teacher
// printing (one print job per pupil, three blocks a page, A4 portrait) and saving each pupil's
// report as a PDF file, both behind the teacher's password when one is set. It binds
// board/detail_report.h: the report is built in the logic and only painted here.

#include <QFrame>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/detail_report.h"
#include "common/clock.h"
#include "common/errors.h"
#include "ui/teacher/teacher_password_dialog.h"

class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;

namespace kagaku::ui {

class MessageBoxes;

// Picture12: shows one page of a report.
class ReportCanvas final : public QWidget {
    Q_OBJECT

public:
    explicit ReportCanvas(QWidget* parent);
    void SetPage(ReportPage page);
    const ReportPage& page() const { return page_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReportPage page_;
};

class DetailView final : public QFrame {
    Q_OBJECT

public:
    // What the view takes from the board when it draws: the grade box's text and the points
    // ranking kind last shown (1 cumulative, 2 today's; 0 when none was shown yet).
    struct BoardChoice {
        std::string GradeFilter;
        int PointsRankingKind = 0;
    };
    // What the view reads: the level catalogue, the sign-in and the roster (which the pupil
    // list re-reads), the clock and the message boxes.
    struct Inputs {
        const ProgramSetup& setup;
        const SignedIn& signIn;
        const ScoreAggregates& standing;
        RosterTables& roster;
        const Clock& clock;
        MessageBoxes& messages;
    };
    // gate asks for the teacher's password before printing and PDF files.
    DetailView(Inputs inputs, std::function<BoardChoice()> board, PasswordGate gate,
               QWidget* parent);

    // FillDetailPupilList with the rest of the own-runs list's set-up: re-reads the roster into
    // List2, puts levels 1..LevelCount into List3 and takes the signed-in pupil. False when the
    // roster failed (the program is then ending with the file's message).
    bool FillPupilList();
    // Command17 ("グラフ"): the signed-in pupil's levels 1 to 3.
    void Open();
    // Command24: draws (0) or prints (1) the reports of the chosen pupils.
    void Draw(int index);
    // "PDF保存": one PDF file per chosen pupil, in a folder the teacher picks.
    void SaveAsPdf();

    // Seams for tests: the folder the PDF files go to (nothing: cancelled), and the printer of
    // each print job (the default printer when unset).
    using FolderChooser = std::function<QString(QWidget* parent)>;
    void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    using PrinterFactory = std::function<std::unique_ptr<QPrinter>(int pupil)>;
    void SetPrinterFactory(PrinterFactory factory) { makePrinter_ = std::move(factory); }

    int selectedPupil() const { return selectedPupil_; }

Q_SIGNALS:
    // The roster or the score file could not be read; the program ends with its message.
    void fileFailed(const kagaku::DataFileError& error);

private:
    // Builders of the constructor.
    void BuildLevelList();
    void BuildButtons();
    void BuildPupilList();
    void LayOut();
    void Connect();

    using Reports = std::vector<std::pair<int, ReportDocument>>;
    std::vector<int> ChosenPupils() const;
    std::vector<int> ChosenLevels() const;
    void AfterPassword(std::function<void()> then);
    void WithReports(ReportTarget target, std::function<void(const Reports&)> use);
    Reports BuildReports(ReportTarget target, const std::vector<RunRecord>& records);
    void Print(const Reports& reports);
    void ChooseFolderThenSave();
    void SaveInto(const QString& folder);
    void WritePdfFiles(const QString& folder, const Reports& reports);
    void Inform(const QString& text);

    Inputs inputs_;
    std::function<BoardChoice()> board_;
    PasswordGate gate_;
    ReportCanvas* canvas_ = nullptr;        // Picture12
    QLabel* levelCaption_ = nullptr;        // Label27
    QListWidget* levelList_ = nullptr;      // List3
    QListWidget* pupilList_ = nullptr;      // List2
    QPushButton* showButton_ = nullptr;     // Command24(0)
    QPushButton* printButton_ = nullptr;    // Command24(1)
    QPushButton* pdfButton_ = nullptr;      // "PDF保存"
    QPushButton* othersButton_ = nullptr;   // Command25
    QPushButton* backButton_ = nullptr;     // Command18
    int selectedPupil_ = 0;                 // SelectedPupil
    bool busy_ = false;  // the records are being read for a draw, print or save
    FolderChooser chooseFolder_;
    PrinterFactory makePrinter_;
};

}  // namespace kagaku::ui
