#include "ui/teacher/mistake_ranking_view.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>

#include "common/text_ops.h"
#include "mistakes/mistake_ranking.h"
#include "mistakes/mistake_views.h"
#include "ui/shell/look.h"
#include "ui/teacher/mistake_pages_painter.h"

namespace kagaku::ui {

namespace {

constexpr int kNotationRole = Qt::UserRole + 1;
enum Column { kRank, kQuestion, kAnswer, kPupils, kTimes, kWrong, kWrongCount, kColumns };

// The answer columns: the notation typeset as the drill shows answers.
class FormulaCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QString notation = index.data(kNotationRole).toString();
        if (notation.isEmpty())
            return;
        const QRectF cell = QRectF(option.rect).adjusted(Scaled(6), 2, -Scaled(4), -2);
        PaintFormulaInCell(*painter, U(notation), cell);
    }
};

void SetUpPage(QPrinter& printer, const QString& jobName) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setDocName(jobName);
}

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(Q(text));
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

}  // namespace

MistakeRankingPanel::MistakeRankingPanel(Inputs inputs, PasswordGate gate, QWidget* parent)
    : QFrame(parent),
      inputs_(std::move(inputs)),
      gate_(std::move(gate)),
      query_(std::make_unique<MistakeQuery>()),
      view_(std::make_unique<kagaku::MistakeRankingView>()) {
    setObjectName("MistakeRanking");
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(p);

    title_ = PlainLabel(Q(kMistakeRankingTitle), this);
    title_->setFont(UiFont(24, true));
    scope_ = PlainLabel(QString(), this);
    scope_->setObjectName("MistakeScopeText");
    scope_->setFont(UiFont(17));
    auto* top = new QHBoxLayout;
    top->addWidget(title_);
    top->addSpacing(Scaled(16));
    top->addWidget(scope_, 1);

    auto* choices = new QHBoxLayout;
    choices->setSpacing(Scaled(8));
    BuildDayChoices(choices);
    choices->addSpacing(Scaled(12));
    choices->addWidget(BuildLevelChoice());
    choices->addWidget(BuildWhoseChoice());
    choices->addStretch(1);
    BuildButtons(choices);

    problems_ = PlainLabel(QString(), this);
    problems_->setObjectName("MistakeProblems");
    problems_->setFont(UiFont(15));
    problems_->setWordWrap(true);
    problems_->setStyleSheet(QStringLiteral("color: #a00000;"));
    problems_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(8), Scaled(6), Scaled(8), Scaled(6));
    layout->setSpacing(Scaled(6));
    layout->addLayout(top);
    layout->addLayout(choices);
    layout->addWidget(BuildTable(), 1);
    layout->addWidget(problems_);
}

// 7日間, 30日間 (chosen at first) and 365日間.
void MistakeRankingPanel::BuildDayChoices(QHBoxLayout* row) {
    days_ = new QButtonGroup(this);
    for (const int d : kMistakeWindowDays) {
        auto* option = new QRadioButton(Q(MistakeWindowCaption(d)), this);
        option->setObjectName(QStringLiteral("MistakeDays_%1").arg(d));
        option->setFont(UiFont(17));
        option->setFocusPolicy(Qt::NoFocus);
        days_->addButton(option, d);
        row->addWidget(option);
        if (d == 30)
            option->setChecked(true);
    }
    connect(days_, &QButtonGroup::idClicked, this, [this] { Rebuild(); });
}

// 全レベル, then each level by number and name.
QComboBox* MistakeRankingPanel::BuildLevelChoice() {
    levels_ = new QComboBox(this);
    levels_->setObjectName("MistakeLevel");
    levels_->setFont(UiFont(17));
    levels_->setFocusPolicy(Qt::NoFocus);
    levels_->addItem(QStringLiteral("全レベル"), 0);
    for (int level = 1; level <= inputs_.levelCount; ++level) {
        levels_->addItem(QStringLiteral("レベル%1　%2").arg(level).arg(
                             Q(inputs_.levelNames[static_cast<std::size_t>(level)])),
                         level);
    }
    levels_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(levels_, &QComboBox::activated, this, [this] { Rebuild(); });
    return levels_;
}

// The class under the board's grade filter, then every listed pupil in the roster's order.
QComboBox* MistakeRankingPanel::BuildWhoseChoice() {
    whose_ = new QComboBox(this);
    whose_->setObjectName("MistakeWhose");
    whose_->setFont(UiFont(17));
    whose_->setFocusPolicy(Qt::NoFocus);
    whose_->addItem(Q(inputs_.gradeFilter), 0);
    for (int slot = 1; slot <= inputs_.roster.RosterCount; ++slot) {
        const int pupil = inputs_.roster.RosterNumberAt[static_cast<std::size_t>(slot)];
        if (pupil <= 0)
            continue;
        whose_->addItem(
            QStringLiteral("%1　%2").arg(pupil).arg(
                Q(text::Trim(inputs_.roster.RosterName[static_cast<std::size_t>(pupil)]))),
            pupil);
    }
    whose_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(whose_, &QComboBox::activated, this, [this] { Rebuild(); });
    return whose_;
}

// 印刷, PDF保存 and 戻る.
void MistakeRankingPanel::BuildButtons(QHBoxLayout* row) {
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setFont(UiFont(17));
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumHeight(Scaled(36));
        return b;
    };
    print_ = button("MistakePrint", QStringLiteral("印刷"));
    pdf_ = button("MistakePdf", QStringLiteral("PDF保存"));
    back_ = button("MistakeBack", QStringLiteral("戻る"));
    row->addWidget(print_);
    row->addWidget(pdf_);
    row->addWidget(back_);
    connect(print_, &QPushButton::clicked, this, &MistakeRankingPanel::Print);
    connect(pdf_, &QPushButton::clicked, this, &MistakeRankingPanel::SaveAsPdf);
    connect(back_, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT closed();
    });
}

// The ranked problems: the question stretches, the answers are typeset in their cells.
QTableWidget* MistakeRankingPanel::BuildTable() {
    table_ = new QTableWidget(this);
    table_->setObjectName("MistakeTable");
    table_->setColumnCount(kColumns);
    QStringList captions;
    for (const char* c : kMistakeColumnCaptions)
        captions << Q(c);
    table_->setHorizontalHeaderLabels(captions);
    table_->horizontalHeader()->setFont(UiFont(16, true));
    table_->verticalHeader()->hide();
    table_->setFont(UiFont(17));
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->verticalHeader()->setDefaultSectionSize(Scaled(44));
    auto* delegate = new FormulaCellDelegate(table_);
    table_->setItemDelegateForColumn(kAnswer, delegate);
    table_->setItemDelegateForColumn(kWrong, delegate);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(kQuestion, QHeaderView::Stretch);
    table_->setColumnWidth(kRank, Scaled(56));
    table_->setColumnWidth(kAnswer, Scaled(210));
    table_->setColumnWidth(kPupils, Scaled(64));
    table_->setColumnWidth(kTimes, Scaled(64));
    table_->setColumnWidth(kWrong, Scaled(210));
    table_->setColumnWidth(kWrongCount, Scaled(64));
    return table_;
}

MistakeRankingPanel::~MistakeRankingPanel() = default;

void MistakeRankingPanel::ReadChoices() {
    *query_ = MistakeQuery{};
    query_->days = days_->checkedId() > 0 ? days_->checkedId() : 30;
    if (const int level = levels_->currentData().toInt(); level > 0)
        query_->level = level;
    if (const int pupil = whose_->currentData().toInt(); pupil > 0)
        query_->pupil = pupil;
    query_->gradeFilter = inputs_.gradeFilter;
}

void MistakeRankingPanel::Rebuild() {
    ReadChoices();
    MistakeRanking ranking;
    try {
        ranking = BuildMistakeRanking(inputs_.programDataFolder, inputs_.roster, *query_,
                                      inputs_.today);
    } catch (const std::exception& e) {
        ranking.problems.push_back(e.what());
    }
    std::string pupilName;
    if (query_->pupil)
        pupilName = text::Trim(inputs_.roster.RosterName[static_cast<std::size_t>(*query_->pupil)]);
    *view_ = MistakeRankingViewOf(ranking, *query_, inputs_.levelNames, pupilName, inputs_.today);
    FillTable();
}

void MistakeRankingPanel::FillTable() {
    scope_->setText(Q(view_->scope));
    table_->clearSpans();
    table_->setRowCount(0);
    int row = 0;
    const auto spanning = [&](const std::string& text, bool heading) {
        table_->insertRow(row);
        QTableWidgetItem* item = Cell(text);
        if (heading) {
            item->setFont(UiFont(18, true));
            item->setBackground(QColor(0xDD, 0xE6, 0xF4));
        }
        table_->setItem(row, 0, item);
        table_->setSpan(row, 0, 1, kColumns);
        ++row;
    };
    if (view_->levels.empty())
        spanning(kNoMistakesText, false);
    for (const MistakeLevelView& level : view_->levels) {
        spanning(level.heading, true);
        if (!level.emptyText.empty())
            spanning(level.emptyText, false);
        for (const MistakeRowView& r : level.rows) {
            table_->insertRow(row);
            table_->setItem(row, kRank, Cell(r.rank));
            QTableWidgetItem* question = Cell(r.question);
            question->setToolTip(Q(r.question));
            table_->setItem(row, kQuestion, question);
            QTableWidgetItem* answer = Cell("");
            answer->setData(kNotationRole, Q(r.answer));
            table_->setItem(row, kAnswer, answer);
            table_->setItem(row, kPupils, Cell(r.pupils));
            table_->setItem(row, kTimes, Cell(r.times));
            QTableWidgetItem* wrong = Cell("");
            wrong->setData(kNotationRole, Q(r.wrongAnswer));
            table_->setItem(row, kWrong, wrong);
            table_->setItem(row, kWrongCount, Cell(r.wrongCount));
            ++row;
        }
    }
    problems_->setText(Q(view_->problems));
    problems_->setVisible(!view_->problems.empty());
}

QString MistakeRankingPanel::PdfFileName() const {
    std::string whose = query_->pupil ? std::to_string(*query_->pupil) + "_" +
                                           text::Trim(inputs_.roster.RosterName[static_cast<std::size_t>(*query_->pupil)])
                                     : query_->gradeFilter;
    QString name = QStringLiteral("%1_%2_%3_%4-%5-%6.pdf")
                       .arg(Q(kMistakeRankingTitle), Q(whose), Q(MistakeWindowCaption(query_->days)))
                       .arg(inputs_.today.year, 4, 10, QChar('0'))
                       .arg(inputs_.today.month, 2, 10, QChar('0'))
                       .arg(inputs_.today.day, 2, 10, QChar('0'));
    // A name from the roster never leads the file out of the chosen folder.
    for (const QChar c : QStringLiteral("/\\:*?\"<>|"))
        name.replace(c, QChar('_'));
    return name;
}

void MistakeRankingPanel::Print() {
    AskThen(&MistakeRankingPanel::PrintPages);
}

void MistakeRankingPanel::SaveAsPdf() {
    AskThen(&MistakeRankingPanel::ChooseFolderForPdf);
}

// The password dialog is window-modal, so no click reaches the panel meanwhile; a press that
// arrives all the same asks no second time.
void MistakeRankingPanel::AskThen(void (MistakeRankingPanel::*granted)()) {
    if (asking_)
        return;
    asking_ = true;
    gate_(this, [self = QPointer<MistakeRankingPanel>(this), granted](bool opened) {
        if (self.isNull())
            return;
        self->asking_ = false;
        if (opened && !self->isHidden())
            (self.data()->*granted)();
    });
}

void MistakeRankingPanel::PrintPages() {
    const std::vector<MistakeRankingPage> pages = MistakeRankingPages(*view_);
    if (pages.empty()) {
        Q_EMIT messageDue(Q(kNoMistakesText));
        return;
    }
    if (!makePrinter_ && QPrinterInfo::defaultPrinter().isNull()) {
        Q_EMIT messageDue(
            QStringLiteral("プリンターが設定されていないため、印刷できません。\n"
                           "プリンターを設定してから、もう一度「印刷」を押してください。"));
        return;
    }
    std::unique_ptr<QPrinter> printer =
        makePrinter_ ? makePrinter_()
                     : std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(),
                                                  QPrinter::HighResolution);
    SetUpPage(*printer, Q(inputs_.programName + " ") + Q(kMistakeRankingTitle));
    if (!PrintMistakePages(*printer, pages)) {
        Q_EMIT messageDue(
            QStringLiteral("印刷できませんでした（プリンター: %1）。").arg(printer->printerName()));
    }
}

void MistakeRankingPanel::ChooseFolderForPdf() {
    if (view_->levels.empty()) {
        Q_EMIT messageDue(Q(kNoMistakesText));
        return;
    }
    const auto done = [self = QPointer<MistakeRankingPanel>(this)](const QString& folder) {
        if (!self.isNull() && !self->isHidden() && !folder.isEmpty())
            self->WritePdf(folder);
    };
    if (chooseFolder_) {
        chooseFolder_(this, done);
        return;
    }
    auto* dialog = new QFileDialog(this, QStringLiteral("PDFを保存するフォルダ"), QDir::homePath());
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, done);
    dialog->open();
}

void MistakeRankingPanel::WritePdf(const QString& folder) {
    const QString file = QDir(folder).filePath(PdfFileName());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    SetUpPage(printer, Q(inputs_.programName + " ") + Q(kMistakeRankingTitle));
    if (!PrintMistakePages(printer, MistakeRankingPages(*view_)))
        Q_EMIT messageDue(QStringLiteral("PDFファイルを書けませんでした。\n\nファイル: %1").arg(file));
}

}  // namespace kagaku::ui
