#pragma once
// "よく間違える問題": the teacher's view of the problems missed most, laid over the level columns
// like the detail view. The teacher picks the days (7, 30 or 365), one level or every level,
// and the class under the board's grade filter or one pupil; the table shows each level's
// problems ranked, the answer and the most common wrong answer typeset as the drill shows
// answers. 印刷 prints one page a level, PDF保存 saves the same pages as a PDF file; both wait
// for the teacher's password where one is set.
//
// It binds mistakes/mistake_ranking.h (the counting) and mistakes/mistake_views.h (the texts and
// the printed pages); its inputs are values, and it shows no other screen: 戻る emits closed(),
// a message for the teacher is emitted as messageDue().

#include <QFrame>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/ole_date.h"
#include "records/aggregates.h"
#include "roster/roster_tables.h"
#include "ui/teacher/teacher_password_dialog.h"

class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kagaku {
struct MistakeQuery;
struct MistakeRankingView;
}  // namespace kagaku

namespace kagaku::ui {

class MistakeRankingPanel final : public QFrame {
    Q_OBJECT

public:
    struct Inputs {
        std::string programName;
        std::string programDataFolder;
        RosterTables roster;  // the roster of the last pass: names and grades
        std::array<std::string, kLevelSlots> levelNames{};
        int levelCount = 0;
        std::string gradeFilter;  // the board's grade box: 全学年 or a grade
        CivilDate today;
    };
    // Asks for the teacher's password where one is set before printing or a PDF file.
    using PasswordGate = ui::PasswordGate;

    MistakeRankingPanel(Inputs inputs, PasswordGate gate, QWidget* parent);
    ~MistakeRankingPanel() override;

    // Counts afresh with the choices on screen and shows the table.
    void Rebuild();
    void Print();
    void SaveAsPdf();

    const kagaku::MistakeRankingView& view() const { return *view_; }
    const MistakeQuery& query() const { return *query_; }

    // Seams for tests: the folder the PDF file goes to (given to done; an empty text cancels),
    // and the printer of the print job (the default printer when unset).
    using FolderChooser = std::function<void(QWidget* parent, std::function<void(QString)> done)>;
    void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
    void SetPrinterFactory(PrinterFactory factory) { makePrinter_ = std::move(factory); }

    // The PDF file's name: title, whose mistakes, the days and today's date.
    QString PdfFileName() const;

Q_SIGNALS:
    void closed();
    void messageDue(const QString& text);

private:
    void BuildDayChoices(QHBoxLayout* row);
    QComboBox* BuildLevelChoice();
    QComboBox* BuildWhoseChoice();
    void BuildButtons(QHBoxLayout* row);
    QTableWidget* BuildTable();
    void AskThen(void (MistakeRankingPanel::*granted)());
    void PrintPages();
    void ChooseFolderForPdf();
    void ReadChoices();
    void FillTable();
    void WritePdf(const QString& folder);

    Inputs inputs_;
    PasswordGate gate_;
    std::unique_ptr<MistakeQuery> query_;
    std::unique_ptr<kagaku::MistakeRankingView> view_;
    FolderChooser chooseFolder_;
    PrinterFactory makePrinter_;

    QLabel* title_ = nullptr;         // よく間違える問題
    QLabel* scope_ = nullptr;         // MistakeScopeText
    QButtonGroup* days_ = nullptr;    // MistakeDays_7, MistakeDays_30, MistakeDays_365
    QComboBox* levels_ = nullptr;     // MistakeLevel
    QComboBox* whose_ = nullptr;      // MistakeWhose
    QTableWidget* table_ = nullptr;   // MistakeTable
    QLabel* problems_ = nullptr;      // MistakeProblems
    QPushButton* print_ = nullptr;    // MistakePrint
    QPushButton* pdf_ = nullptr;      // MistakePdf
    QPushButton* back_ = nullptr;     // MistakeBack
    bool asking_ = false;             // the password is being asked for
};

}  // namespace kagaku::ui
