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

#include "common/errors.h"
#include "common/text_ops.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/menu/report_painter.h"
#include "ui/shell/screen_record_waiter.h"
#include "ui/shell/services.h"
#include "ui/teacher/teacher_password_dialog.h"

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

DetailView::DetailView(Program& program, std::function<BoardChoice()> board, QWidget* parent)
    : QFrame(parent), program_(program), board_(std::move(board)) {
    setObjectName("Picture11");
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(p);

    canvas_ = new ReportCanvas(this);
    auto* levelCaption = PlainLabel(QStringLiteral("ﾚﾍﾞﾙ"), this);
    levelCaption->setObjectName("Label27");
    levelCaption->setFont(UiFont(16));
    levels_ = new QListWidget(this);
    levels_->setObjectName("List3");
    levels_->setFont(UiFont(16));
    levels_->setSelectionMode(QAbstractItemView::MultiSelection);
    levels_->setFocusPolicy(Qt::NoFocus);
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setFont(UiFont(15));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    show_ = button("Command24_0", QStringLiteral("表示"));
    print_ = button("Command24_1", QStringLiteral("印刷"));
    pdf_ = button("PdfSave", QStringLiteral("PDF保存"));
    others_ = button("Command25", QStringLiteral("他の人のデータを見る"));
    back_ = button("Command18", QStringLiteral("戻る"));
    pupils_ = new QListWidget(this);
    pupils_->setObjectName("List2");
    pupils_->setFont(UiFont(15));
    pupils_->setSelectionMode(QAbstractItemView::MultiSelection);
    pupils_->setFocusPolicy(Qt::NoFocus);
    // Lines are never cut short: the list is widened to its widest line (FillPupilList) and
    // scrolls sideways when even that does not fit.
    pupils_->setTextElideMode(Qt::ElideNone);
    pupils_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    pupils_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pupils_->hide();

    // The teacher prints; everyone else only looks.
    const bool teacher = text::Contains(program_.signIn().PupilName, "先生");
    print_->setVisible(teacher);
    pdf_->setVisible(teacher);

    auto* side = new QVBoxLayout;
    side->setSpacing(Scaled(4));
    side->addWidget(levelCaption);
    side->addWidget(levels_, 2);
    side->addWidget(show_);
    side->addWidget(print_);
    side->addWidget(pdf_);
    side->addWidget(others_);
    side->addWidget(pupils_, 3);
    side->addStretch(0);
    side->addWidget(back_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(Scaled(4), Scaled(4), Scaled(4), Scaled(4));
    layout->addWidget(canvas_, 1);
    layout->addLayout(side);
    levels_->setFixedWidth(Scaled(150));
    pupils_->setFixedWidth(Scaled(150));

    connect(show_, &QPushButton::clicked, this, [this] { Draw(0); });
    connect(print_, &QPushButton::clicked, this, [this] {
        if (busy_)
            return;
        program_.TeacherPasswordGate()(this, [self = QPointer<DetailView>(this)](bool opened) {
            if (opened && !self.isNull() && !self->busy_)
                self->Draw(1);
        });
    });
    connect(pdf_, &QPushButton::clicked, this, &DetailView::SaveAsPdf);
    connect(others_, &QPushButton::clicked, this, [this] {
        pupils_->show();
        others_->hide();
    });
    connect(back_, &QPushButton::clicked, this, &QWidget::hide);
    connect(pupils_, &QListWidget::itemClicked, this, [this] { Draw(0); });
    connect(levels_, &QListWidget::itemClicked, this, [this] {
        if (isVisible())
            Draw(0);
    });
    hide();
}

bool DetailView::FillPupilList() {
    pupils_->clear();
    std::vector<std::string> lines;
    try {
        const int schoolYear =
            SchoolYearOf(OleDateOf(program_.clock().Now()), program_.setup().SchoolYearStartMonth);
        lines = ReadDetailPupilList(RosterFilePath(program_.setup().DataRoot), schoolYear, program_.roster());
    } catch (const DataFileError& e) {
        program_.EndWithFileError(e, window());
        return false;
    }
    int widest = 0;
    const QFontMetrics metrics(pupils_->font());
    for (const auto& line : lines) {
        pupils_->addItem(Q(line));
        widest = std::max(widest, metrics.horizontalAdvance(Q(line)));
    }
    // Room for the widest line, the frame, the item's padding and a vertical scroll bar; at
    // most a quarter of the screen, beyond which the list scrolls sideways.
    const int wanted = widest + 2 * pupils_->frameWidth() + Scaled(12) +
                       pupils_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int screenWidth = window() != nullptr ? window()->width() : 0;
    const int most = screenWidth > 0 ? screenWidth / 4 : wanted;
    pupils_->setFixedWidth(std::max(Scaled(150), std::min(wanted, most)));
    levels_->clear();
    for (int i = 1; i <= program_.setup().LevelCount; ++i)
        levels_->addItem(QString::number(i));
    selectedPupil_ = program_.signIn().PupilNumber;
    return true;
}

void DetailView::Open() {
    selectedPupil_ = program_.signIn().PupilNumber;
    pupils_->hide();
    others_->show();
    pupils_->clearSelection();
    levels_->clearSelection();
    for (int row = 0; row < std::min(kFirstLevelsShown, levels_->count()); ++row)
        levels_->item(row)->setSelected(true);
    Draw(0);
}

std::vector<int> DetailView::ChosenPupils() const {
    std::vector<int> out;
    for (int row = 0; row < pupils_->count(); ++row) {
        const QListWidgetItem* item = pupils_->item(row);
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
    for (int row = 0; row < levels_->count(); ++row) {
        if (levels_->item(row)->isSelected())
            out.push_back(row + 1);
    }
    return out;
}

std::vector<std::pair<int, ReportDocument>> DetailView::BuildReports(ReportTarget target,
                                                                     bool& failed) {
    failed = false;
    // The screen the panel lies on: a wait for a busy file lets events run, and the screen may
    // be closed meanwhile.
    const QPointer<QWidget> screen(window());
    RecordWindow recordWindow;
    {
        ScreenRecordFileWaiter waiter(program_.messages(), this);
        try {
            ReadRecordWindowPatiently(ScoreRecordPath(program_.setup().ProgramDataFolder), kPeriodListScan,
                                      recordWindow, waiter);
        } catch (const DataFileError& e) {
            failed = true;
            if (!IsClosed(screen))
                program_.EndWithFileError(e, screen);
            return {};
        }
    }
    if (IsClosed(screen)) {
        failed = true;
        return {};
    }
    const std::vector<RunRecord> records = RunRecordsOf(recordWindow);
    const BoardChoice board = board_ ? board_() : BoardChoice{};
    DetailRankings rankings(program_.boardData(), board.GradeFilter, board.PointsRankingKind);
    const DetailReportInputs inputs{program_.boardData(), board.GradeFilter, target, program_.clock().Now()};
    // The labels are placed for the drawing area as it will be shown: before the panel's first
    // showing its layout has not sized the area yet.
    if (target == ReportTarget::Screen && !canvas_->isVisible() && layout() != nullptr)
        layout()->activate();
    // On paper: A4 portrait less the 10 mm margins of SetUpPage.
    const ReportMetrics metrics = target == ReportTarget::Screen
                                      ? ScreenReportMetrics(QRectF(canvas_->rect()))
                                      : PaperReportMetrics(ReportDocument{}, QSizeF(190, 277));
    const std::vector<int> levels = ChosenLevels();
    std::vector<std::pair<int, ReportDocument>> out;
    for (int pupil : ChosenPupils()) {
        selectedPupil_ = pupil;
        out.emplace_back(pupil, BuildDetailReport(inputs, records, pupil, levels, rankings, metrics));
    }
    return out;
}

void DetailView::Draw(int index) {
    if (busy_)
        return;
    busy_ = true;
    QPointer<DetailView> self(this);
    bool failed = false;
    const auto reports =
        BuildReports(index == 0 ? ReportTarget::Screen : ReportTarget::Paper, failed);
    if (self.isNull())
        return;
    busy_ = false;
    if (failed)
        return;
    if (index == 0) {
        // Each pupil's report replaces the one before: the last pupil's last page stays.
        ReportPage page;
        if (!reports.empty() && !reports.back().second.Pages.empty())
            page = reports.back().second.Pages.back();
        canvas_->SetPage(std::move(page));
        show();
        raise();
        return;
    }
    Print(reports);
}

void DetailView::Inform(const QString& text) {
    program_.messages().Inform(this, Q(program_.setup().ProgramName), text);
}

void DetailView::Print(const std::vector<std::pair<int, ReportDocument>>& reports) {
    if (!makePrinter_ && QPrinterInfo::defaultPrinter().isNull()) {
        Inform(
            QStringLiteral("プリンターが設定されていないため、印刷できません。\n"
                           "プリンターを設定してから、もう一度「印刷」を押してください。"));
        return;
    }
    const QPointer<QWidget> screen(window());
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
        SetUpPage(*printer, JobName(program_.setup().ProgramName, program_.roster(), pupil));
        if (!PrintReport(*printer, doc)) {
            Inform(QStringLiteral("印刷できませんでした（プリンター: %1）。")
                       .arg(printer->printerName()));
            return;
        }
        if (IsClosed(screen))
            return;
    }
}

void DetailView::SaveAsPdf() {
    if (busy_)
        return;
    program_.TeacherPasswordGate()(this, [self = QPointer<DetailView>(this)](bool opened) {
        if (opened && !self.isNull())
            self->SaveAsPdfGranted();
    });
}

void DetailView::SaveAsPdfGranted() {
    if (busy_)
        return;
    QPointer<DetailView> self(this);
    const QPointer<QWidget> screen(window());
    QString folder;
    if (chooseFolder_) {
        folder = chooseFolder_(this);
    } else {
        NestedLoopScope loop;
        folder = QFileDialog::getExistingDirectory(this, QStringLiteral("PDFを保存するフォルダ"),
                                                   QDir::homePath());
    }
    if (self.isNull() || IsClosed(screen) || folder.isEmpty())
        return;
    busy_ = true;
    bool failed = false;
    const auto reports = BuildReports(ReportTarget::Paper, failed);
    if (self.isNull())
        return;
    busy_ = false;
    if (failed)
        return;
    const double now = program_.clock().Now();
    for (const auto& [pupil, doc] : reports) {
        if (doc.Pages.empty())
            continue;
        const QString file = QDir(folder).filePath(Q(
            ReportFileName(pupil, program_.roster().RosterName[static_cast<std::size_t>(pupil)], now)));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        SetUpPage(printer, JobName(program_.setup().ProgramName, program_.roster(), pupil));
        if (!PrintReport(printer, doc)) {
            Inform(QStringLiteral("PDFファイルを書けませんでした。\n\nファイル: %1").arg(file));
            return;
        }
    }
}

}  // namespace kagaku::ui
