#include "ui/menu/detail_view.h"

#include <QDir>
#include <QFontMetrics>
#include <QStyle>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>

#include "common/errors.h"
#include "common/text_ops.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"
#include "ui/shell/look.h"
#include "ui/menu/report_painter.h"
#include "ui/shell/record_file_task.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

namespace {

constexpr int kFirstLevelsShown = 3;

// A4 portrait with the printer's own margins; the report fills the printable area.
void SetUpPage(QPrinter& printer, const QString& jobName) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setDocName(jobName);
    printer.setColorMode(QPrinter::Color);
}

QString JobName(const std::string& programName, const RosterTables& roster, int pupil) {
    return Q(programName + " " + text::NumberText(static_cast<long long>(pupil)) + " " +
             text::Trim(roster.RosterName[static_cast<std::size_t>(pupil)]));
}

}  // namespace

ReportCanvas::ReportCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture12");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void ReportCanvas::SetPage(ReportPage page) {
    page_ = std::move(page);
    update();
}

void ReportCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area(rect());
    PaintReportPage(painter, page_, area, ScreenPaintScale(area));
}

DetailView::DetailView(Inputs inputs, std::function<BoardChoice()> board, PasswordGate gate,
                       QWidget* parent)
    : QFrame(parent), inputs_(inputs), board_(std::move(board)), gate_(std::move(gate)) {
    setObjectName("Picture11");
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(p);

    canvas_ = new ReportCanvas(this);
    BuildLevelList();
    BuildButtons();
    BuildPupilList();
    LayOut();
    Connect();
    hide();
}

void DetailView::BuildLevelList() {
    levelCaption_ = PlainLabel(QStringLiteral("ﾚﾍﾞﾙ"), this);
    levelCaption_->setObjectName("Label27");
    levelCaption_->setFont(UiFont(16));
    levelList_ = new QListWidget(this);
    levelList_->setObjectName("List3");
    levelList_->setFont(UiFont(16));
    levelList_->setSelectionMode(QAbstractItemView::MultiSelection);
    levelList_->setFocusPolicy(Qt::NoFocus);
    levelList_->setFixedWidth(Scaled(150));
}

void DetailView::BuildButtons() {
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setFont(UiFont(15));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    showButton_ = button("Command24_0", QStringLiteral("表示"));
    printButton_ = button("Command24_1", QStringLiteral("印刷"));
    pdfButton_ = button("PdfSave", QStringLiteral("PDF保存"));
    othersButton_ = button("Command25", QStringLiteral("他の人のデータを見る"));
    backButton_ = button("Command18", QStringLiteral("戻る"));
    // The teacher prints; everyone else only looks.
    const bool teacher = text::Contains(inputs_.signIn.PupilName, "先生");
    printButton_->setVisible(teacher);
    pdfButton_->setVisible(teacher);
}

void DetailView::BuildPupilList() {
    pupilList_ = new QListWidget(this);
    pupilList_->setObjectName("List2");
    pupilList_->setFont(UiFont(15));
    pupilList_->setSelectionMode(QAbstractItemView::MultiSelection);
    pupilList_->setFocusPolicy(Qt::NoFocus);
    // Lines are never cut short: the list is widened to its widest line (FillPupilList) and
    // scrolls sideways when even that does not fit.
    pupilList_->setTextElideMode(Qt::ElideNone);
    pupilList_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    pupilList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pupilList_->setFixedWidth(Scaled(150));
    pupilList_->hide();
}

// The drawing area on the left, the lists and buttons down the right.
void DetailView::LayOut() {
    auto* side = new QVBoxLayout;
    side->setSpacing(Scaled(4));
    side->addWidget(levelCaption_);
    side->addWidget(levelList_, 2);
    side->addWidget(showButton_);
    side->addWidget(printButton_);
    side->addWidget(pdfButton_);
    side->addWidget(othersButton_);
    side->addWidget(pupilList_, 3);
    side->addStretch(0);
    side->addWidget(backButton_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(Scaled(4), Scaled(4), Scaled(4), Scaled(4));
    layout->addWidget(canvas_, 1);
    layout->addLayout(side);
}

void DetailView::Connect() {
    connect(showButton_, &QPushButton::clicked, this, [this] { Draw(0); });
    connect(printButton_, &QPushButton::clicked, this, [this] {
        if (busy_)
            return;
        AfterPassword([this] { Draw(1); });
    });
    connect(pdfButton_, &QPushButton::clicked, this, &DetailView::SaveAsPdf);
    connect(othersButton_, &QPushButton::clicked, this, [this] {
        pupilList_->show();
        othersButton_->hide();
    });
    connect(backButton_, &QPushButton::clicked, this, &QWidget::hide);
    connect(pupilList_, &QListWidget::itemClicked, this, [this] { Draw(0); });
    connect(levelList_, &QListWidget::itemClicked, this, [this] {
        if (isVisible())
            Draw(0);
    });
}

bool DetailView::FillPupilList() {
    const ProgramSetup& setup = inputs_.setup;
    pupilList_->clear();
    std::vector<std::string> lines;
    try {
        const int schoolYear =
            SchoolYearOf(OleDateOf(inputs_.clock.Now()), setup.SchoolYearStartMonth);
        lines = ReadDetailPupilList(RosterFilePath(setup.DataRoot), schoolYear, inputs_.roster);
    } catch (const DataFileError& e) {
        Q_EMIT fileFailed(e);
        return false;
    }
    int widest = 0;
    const QFontMetrics metrics(pupilList_->font());
    for (const auto& line : lines) {
        pupilList_->addItem(Q(line));
        widest = std::max(widest, metrics.horizontalAdvance(Q(line)));
    }
    // Room for the widest line, the frame, the item's padding and a vertical scroll bar; at
    // most a quarter of the screen, beyond which the list scrolls sideways.
    const int wanted = widest + 2 * pupilList_->frameWidth() + Scaled(12) +
                       pupilList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int screenWidth = window() != nullptr ? window()->width() : 0;
    const int most = screenWidth > 0 ? screenWidth / 4 : wanted;
    pupilList_->setFixedWidth(std::max(Scaled(150), std::min(wanted, most)));
    levelList_->clear();
    for (int i = 1; i <= setup.LevelCount; ++i)
        levelList_->addItem(QString::number(i));
    selectedPupil_ = inputs_.signIn.PupilNumber;
    return true;
}

void DetailView::Open() {
    selectedPupil_ = inputs_.signIn.PupilNumber;
    pupilList_->hide();
    othersButton_->show();
    pupilList_->clearSelection();
    levelList_->clearSelection();
    for (int row = 0; row < std::min(kFirstLevelsShown, levelList_->count()); ++row)
        levelList_->item(row)->setSelected(true);
    Draw(0);
}

std::vector<int> DetailView::ChosenPupils() const {
    std::vector<int> out;
    for (int row = 0; row < pupilList_->count(); ++row) {
        const QListWidgetItem* item = pupilList_->item(row);
        if (!item->isSelected())
            continue;
        if (const auto pupil = DetailPupilOf(U(item->text())))
            out.push_back(*pupil);
    }
    if (out.empty())
        out.push_back(selectedPupil_);
    return out;
}

std::vector<int> DetailView::ChosenLevels() const {
    std::vector<int> out;
    for (int row = 0; row < levelList_->count(); ++row) {
        if (levelList_->item(row)->isSelected())
            out.push_back(row + 1);
    }
    return out;
}

// The teacher's password first (when one is set), then then.
void DetailView::AfterPassword(std::function<void()> then) {
    if (!gate_) {
        then();
        return;
    }
    const QPointer<DetailView> self(this);
    gate_(this, [self, then = std::move(then)](bool opened) {
        if (opened && self && !self->busy_)
            then();
    });
}

// Reads the records once, then builds every chosen pupil's report and hands them to use; after
// a file error the program ends with its message and use never runs. No draw, print or save
// starts while one is under way.
void DetailView::WithReports(ReportTarget target, std::function<void(const Reports&)> use) {
    if (busy_)
        return;
    busy_ = true;
    auto window = std::make_shared<RecordWindow>();
    const std::filesystem::path file = ScoreRecordPath(inputs_.setup.ProgramDataFolder);
    RecordFileTask::Start(
        this, inputs_.messages,
        [file, window](RecordFileWaiter& waiter) {
            ReadRecordWindowPatiently(file, kPeriodListScan, *window, waiter);
        },
        [this, target, window, use = std::move(use)] {
            busy_ = false;
            use(BuildReports(target, RunRecordsOf(*window)));
        },
        // busy_ stays: the program is ending.
        [this](const DataFileError& e) { Q_EMIT fileFailed(e); });
}

DetailView::Reports DetailView::BuildReports(ReportTarget target,
                                             const std::vector<RunRecord>& records) {
    const BoardData shown{inputs_.setup, inputs_.signIn, inputs_.standing, inputs_.roster};
    const BoardChoice board = board_ ? board_() : BoardChoice{};
    DetailRankings rankings(shown, board.GradeFilter, board.PointsRankingKind);
    const DetailReportInputs inputs{shown, board.GradeFilter, target, inputs_.clock.Now()};
    // The labels are placed for the drawing area as it will be shown: before the panel's first
    // showing its layout has not sized the area yet.
    if (target == ReportTarget::Screen && !canvas_->isVisible() && layout() != nullptr)
        layout()->activate();
    // On paper: A4 portrait less the 10 mm margins of SetUpPage.
    const ReportMetrics metrics = target == ReportTarget::Screen
                                      ? ScreenReportMetrics(QRectF(canvas_->rect()))
                                      : PaperReportMetrics(ReportDocument{}, QSizeF(190, 277));
    const std::vector<int> levels = ChosenLevels();
    Reports out;
    for (int pupil : ChosenPupils()) {
        selectedPupil_ = pupil;
        out.emplace_back(pupil, BuildDetailReport(inputs, records, pupil, levels, rankings, metrics));
    }
    return out;
}

void DetailView::Draw(int index) {
    if (index != 0) {
        WithReports(ReportTarget::Paper, [this](const Reports& reports) { Print(reports); });
        return;
    }
    WithReports(ReportTarget::Screen, [this](const Reports& reports) {
        // Each pupil's report replaces the one before: the last pupil's last page stays.
        ReportPage page;
        if (!reports.empty() && !reports.back().second.Pages.empty())
            page = reports.back().second.Pages.back();
        canvas_->SetPage(std::move(page));
        show();
        raise();
    });
}

void DetailView::Inform(const QString& text) {
    inputs_.messages.Inform(this, Q(inputs_.setup.ProgramName), text, {});
}

void DetailView::Print(const Reports& reports) {
    if (!makePrinter_ && QPrinterInfo::defaultPrinter().isNull()) {
        Inform(
            QStringLiteral("プリンターが設定されていないため、印刷できません。\n"
                           "プリンターを設定してから、もう一度「印刷」を押してください。"));
        return;
    }
    for (const auto& [pupil, doc] : reports) {
        if (doc.Pages.empty())
            continue;
        std::unique_ptr<QPrinter> printer;
        if (makePrinter_) {
            printer = makePrinter_(pupil);
        } else {
            printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(),
                                                 QPrinter::HighResolution);
        }
        SetUpPage(*printer, JobName(inputs_.setup.ProgramName, inputs_.roster, pupil));
        if (!PrintReport(*printer, doc)) {
            Inform(QStringLiteral("印刷できませんでした（プリンター: %1）。")
                       .arg(printer->printerName()));
            return;
        }
    }
}

void DetailView::SaveAsPdf() {
    if (busy_)
        return;
    AfterPassword([this] { ChooseFolderThenSave(); });
}

// The folder dialog opens over the view and answers through its signal.
void DetailView::ChooseFolderThenSave() {
    if (chooseFolder_) {
        SaveInto(chooseFolder_(this));
        return;
    }
    auto* dialog = new QFileDialog(this, QStringLiteral("PDFを保存するフォルダ"), QDir::homePath());
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, &DetailView::SaveInto);
    dialog->open();
}

void DetailView::SaveInto(const QString& folder) {
    if (folder.isEmpty())
        return;
    WithReports(ReportTarget::Paper,
                [this, folder](const Reports& reports) { WritePdfFiles(folder, reports); });
}

void DetailView::WritePdfFiles(const QString& folder, const Reports& reports) {
    const double now = inputs_.clock.Now();
    for (const auto& [pupil, doc] : reports) {
        if (doc.Pages.empty())
            continue;
        const QString file = QDir(folder).filePath(Q(
            ReportFileName(pupil, inputs_.roster.RosterName[static_cast<std::size_t>(pupil)], now)));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        SetUpPage(printer, JobName(inputs_.setup.ProgramName, inputs_.roster, pupil));
        if (!PrintReport(printer, doc)) {
            Inform(QStringLiteral("PDFファイルを書けませんでした。\n\nファイル: %1").arg(file));
            return;
        }
    }
}

}  // namespace kagaku::ui
