#include "ui/teacher/frmtimedata.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "common/errors.h"
#include "common/paths.h"
#include "platform/shared_file.h"
#include "records/score_record_file.h"
#include "ui/shell/look.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

namespace {

const QColor kChangedCell(0xFF, 0xFF, 0x00);  // &HFFFF, yellow

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFont(UiFont(18));
    b->setMinimumSize(Scaled(120), Scaled(40));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int size) {
    QLabel* l = PlainLabel(text, parent);
    l->setObjectName(name);
    l->setFont(UiFont(size));
    return l;
}

bool IsHalfWidth(QChar c) {
    return c.unicode() < 0x80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F);
}

// A column heading as the grid shows it: in two lines where a half-width word meets a full-width
// one (目標 / Time, ﾎﾟｲﾝﾄ / 倍率); a longer heading of one kind breaks in the middle, never
// before a sound mark (ｸﾘｱ / ﾎﾟｲﾝﾄ), so that the narrow columns can show it whole.
QString HeadingText(const QString& heading) {
    for (qsizetype i = 1; i < heading.size(); ++i) {
        if (IsHalfWidth(heading[i - 1]) != IsHalfWidth(heading[i]))
            return heading.left(i) + u'\n' + heading.mid(i);
    }
    if (heading.size() <= 4)
        return heading;
    qsizetype at = heading.size() / 2;
    while (at > 1 && (heading[at] == u'\uFF9E' || heading[at] == u'\uFF9F'))
        --at;
    return heading.left(at) + u'\n' + heading.mid(at);
}

QString FileMessage(const DataFileError& e) {
    return QStringLiteral("ファイル: %1\n問題: %2").arg(Q(e.file()), Q(e.problem()));
}

QString NotSavedText(const DataFileError& e) {
    return QStringLiteral("設定を記録できませんでした。入力した内容はそのまま残っています。\n\n%1")
        .arg(FileMessage(e));
}

}  // namespace

FrmTimeData::FrmTimeData(const ProgramSetup& setup, MessageBoxes& messages)
    : setup_(setup), messages_(messages), settings_(setup.Settings) {
    setObjectName("FrmTimeData");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Q(setup_.ProgramName));

    page_ = new QFrame(this);
    page_->setObjectName("Picture1");
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(Scaled(12), Scaled(8), Scaled(12), Scaled(8));
    layout->addLayout(BuildButtonRow());
    auto* middle = new QHBoxLayout;
    middle->addLayout(BuildGridSide(), 5);
    middle->addLayout(BuildDistributions(), 4);
    layout->addLayout(middle, 1);
    auto* empty = Caption(page_, "Label4", QString(), 12);
    layout->addWidget(empty);
    BuildCover();
}

// The title, 更新記録, 元に戻す and 戻る.
QLayout* FrmTimeData::BuildButtonRow() {
    auto* top = new QHBoxLayout;
    top->addWidget(
        Caption(page_, "Label5", QStringLiteral("成績の基準となるデータを変更できます"), 22));
    top->addStretch(1);
    auto* save = Button(page_, "Command3", QStringLiteral("更新記録"));
    auto* revert = Button(page_, "Command2", QStringLiteral("元に戻す"));
    auto* back = Button(page_, "Command4", QStringLiteral("戻る"));
    top->addWidget(save);
    top->addWidget(revert);
    top->addWidget(back);
    connect(save, &QPushButton::clicked, this, [this] {
        if (!busy_)
            Save({});
    });
    connect(revert, &QPushButton::clicked, this, &FrmTimeData::Revert);
    connect(back, &QPushButton::clicked, this, &FrmTimeData::Back);
    return top;
}

// The grid with its edit box, and below it the current column's explanation and the keys.
QLayout* FrmTimeData::BuildGridSide() {
    auto* side = new QVBoxLayout;
    table_ = new QTableWidget(page_);
    table_->setObjectName("MSFlexGrid1");
    table_->setColumnCount(1 + kSettingsColumns);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table_->setFont(UiFont(15));
    table_->horizontalHeader()->setFont(UiFont(13));
    table_->setFocusPolicy(Qt::NoFocus);
    QStringList headings{QStringLiteral("レベル")};
    for (const std::string& h : LevelSettingsHeadings())
        headings << HeadingText(Q(h));
    table_->setHorizontalHeaderLabels(headings);
    // The columns share the grid's width out later than the grid's own resize, and say nothing
    // of it; the grid draws its cells anew after every change of the columns, the rows or the
    // scroll position, so the edit box and the headings' size follow each drawing.
    table_->viewport()->installEventFilter(this);
    connect(table_, &QTableWidget::cellClicked, this, &FrmTimeData::CellClicked);
    side->addWidget(table_, 1);

    cellEdit_ = new QLineEdit(table_->viewport());
    cellEdit_->setObjectName("Gridinputtext");
    cellEdit_->setFont(UiFont(15));
    cellEdit_->setFrame(false);
    cellEdit_->setStyleSheet(QStringLiteral("background: #FFFFE0; border: 2px solid #2050C0;"));
    cellEdit_->installEventFilter(this);
    connect(cellEdit_, &QLineEdit::textEdited, this, [this] { TextToGrid(); });

    auto* help = new QHBoxLayout;
    auto* helpLeft = new QVBoxLayout;
    helpLeft->addWidget(Caption(page_, "Label6", QStringLiteral("列の説明"), 16));
    explanation_ = Caption(page_, "Label3", QString(), 16);
    explanation_->setMinimumHeight(Scaled(70));
    explanation_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    helpLeft->addWidget(explanation_);
    help->addLayout(helpLeft, 1);
    help->addWidget(Caption(page_, "Label1",
                            QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー"), 16),
                    0, Qt::AlignTop);
    side->addLayout(help);
    return side;
}

// The distributions of every run's time and of the pupils' best times of the current level.
QLayout* FrmTimeData::BuildDistributions() {
    auto* side = new QGridLayout;
    side->addWidget(Caption(page_, "Label7", QStringLiteral("現在までの成績度数分布"), 16), 0, 0,
                    1, 2);
    side->addWidget(Caption(page_, "Label9", QStringLiteral("全成績"), 14), 1, 0);
    side->addWidget(Caption(page_, "Label10", QStringLiteral("最高タイム"), 14), 1, 1);
    allRuns_ = new QListWidget(page_);
    allRuns_->setObjectName("List3");
    bestTimes_ = new QListWidget(page_);
    bestTimes_->setObjectName("List4");
    for (QListWidget* list : {allRuns_, bestTimes_}) {
        list->setFont(FixedFont(12));
        list->setFocusPolicy(Qt::NoFocus);
        list->setUniformItemSizes(true);
        list->setTextElideMode(Qt::ElideNone);  // the heading line is read in full
    }
    side->addWidget(allRuns_, 2, 0);
    side->addWidget(bestTimes_, 2, 1);
    side->setRowStretch(2, 1);
    return side;
}

// "Just a moment,please." over everything while a save or the way back is under way.
void FrmTimeData::BuildCover() {
    cover_ = new QFrame(this);
    cover_->setObjectName("Picture6");
    cover_->setAutoFillBackground(true);
    auto* coverLayout = new QVBoxLayout(cover_);
    coverLayout->addWidget(Caption(cover_, "Label8", QStringLiteral("Just a moment,please."), 28),
                           0, Qt::AlignCenter);
    cover_->hide();
}

// Command2_Click: the grid from the file as it is now, and the records read again.
void FrmTimeData::Revert() {
    if (busy_)
        return;
    if (LoadGrid())
        ReadRecords();
    ShowGrid();
    PlaceEditBox();
    GridToText();
    DrawDistributions();
}

std::filesystem::path FrmTimeData::SettingsFile() const {
    return InFolder(setup_.ProgramDataFolder, kLevelSettingsFileName);
}

void FrmTimeData::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    page_->setGeometry(rect());
    cover_->setGeometry(rect());
    if (activated_) {
        QTimer::singleShot(0, this, [this] { PlaceEditBox(); });
    }
}

void FrmTimeData::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &FrmTimeData::Activate);
    }
}

// Form_Activate: the grid from the file, the records read once, the first level cell current.
void FrmTimeData::Activate() {
    // Without a usable file the grid shows the settings in force, so a save writes the file
    // anew.
    const auto rows = LevelSettingsRows(settings_, setup_.LevelCount);
    if (const auto problem = grid_.Open(SettingsFile(), {rows.begin() + 1, rows.end()})) {
        const QString file = QStringLiteral("ファイル: %1\n問題: %2")
                                 .arg(Q(problem->file), Q(problem->problem));
        Tell(problem->trouble == admin::SettingsFileTrouble::Damaged
                 ? QStringLiteral("設定のファイルがこわれていて、読めませんでした。\n"
                                  "表には、いま使われている設定を表示しています。"
                                  "「更新記録」を押すと、この表の内容で設定のファイルを"
                                  "新しく作り直します。\n\n%1")
                       .arg(file)
                 : QStringLiteral("設定のファイルを読めませんでした。\n\n%1").arg(file));
    }
    ReadRecords();
    ShowGrid();
    grid_.SetCurrent(1, 1);
    PlaceEditBox();
    GridToText();
    DrawDistributions();
}

// A message over the editor; then runs once it has been closed.
void FrmTimeData::Tell(const QString& text, std::function<void()> then) {
    messages_.Inform(this, QStringLiteral("注意"), text, std::move(then));
}

bool FrmTimeData::LoadGrid() {
    try {
        grid_.Load(SettingsFile());
        return true;
    } catch (const DataFileError& e) {
        Tell(QStringLiteral("設定のファイルを読めませんでした。\n\n%1").arg(FileMessage(e)));
        return false;
    }
}

void FrmTimeData::ReadRecords() {
    try {
        distributions_ = admin::BuildTimeDistributions(
            ReadRecordWindow(ScoreRecordPath(setup_.ProgramDataFolder), 0));
    } catch (const FileOperationError& e) {
        distributions_ = {};
        Tell(QStringLiteral("成績のファイルを読めませんでした（%1）。度数分布は空で表示します。")
                 .arg(Q(e.description())));
    }
}

void FrmTimeData::ShowGrid() {
    const int rows = grid_.LastSettingsRow();
    table_->setRowCount(rows);
    for (int r = 1; r <= rows; ++r) {
        auto* number = new QTableWidgetItem(QString::number(r));
        number->setFlags(Qt::ItemIsEnabled);
        number->setBackground(palette().window());
        number->setTextAlignment(Qt::AlignCenter);
        table_->setItem(r - 1, 0, number);
        for (int c = 1; c <= kSettingsColumns; ++c)
            ShowCell(r, c);
    }
}

void FrmTimeData::ShowCell(int row, int column) {
    if (row < 1 || row > grid_.LastSettingsRow())
        return;
    QTableWidgetItem* item = table_->item(row - 1, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table_->setItem(row - 1, column, item);
    }
    item->setText(Q(grid_.Cell(row, column)));
    item->setBackground(grid_.IsMarked(row, column) ? QBrush(kChangedCell) : QBrush());
}

void FrmTimeData::PlaceEditBox() {
    const int row = grid_.Row();
    const int column = grid_.Column();
    if (row < 1) {
        cellEdit_->hide();
        explanation_->setText(Q(admin::ColumnExplanation(column)));
        return;
    }
    table_->setCurrentCell(row - 1, column);
    table_->setRangeSelected(
        QTableWidgetSelectionRange(0, 0, table_->rowCount() - 1, kSettingsColumns), false);
    table_->setRangeSelected(
        QTableWidgetSelectionRange(row - 1, column, grid_.SelectionBottom() - 1, column), true);
    table_->scrollToItem(table_->item(row - 1, column));
    FitEditBox();
    cellEdit_->show();
    cellEdit_->raise();
    cellEdit_->setFocus();
    cellEdit_->setCursorPosition(std::min<int>(10, static_cast<int>(cellEdit_->text().size())));
    explanation_->setText(Q(admin::ColumnExplanation(column)));
}

void FrmTimeData::FitEditBox() {
    const int row = grid_.Row();
    QTableWidgetItem* item = row >= 1 ? table_->item(row - 1, grid_.Column()) : nullptr;
    if (item != nullptr)
        cellEdit_->setGeometry(table_->visualItemRect(item));
}

// The headings' letters at the largest size, up to the grid's own, at which every line of every
// heading fits its column, also in bold as the current column's heading is drawn.
void FrmTimeData::FitHeadings() {
    QHeaderView* header = table_->horizontalHeader();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    QFont font = UiFont(13);
    for (int size = font.pixelSize(); size > 8; --size) {
        font.setPixelSize(size);
        QFont bold = font;
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        bool fits = true;
        for (int c = 0; c < table_->columnCount() && fits; ++c) {
            const QTableWidgetItem* heading = table_->horizontalHeaderItem(c);
            if (heading == nullptr)
                continue;
            const int room = header->sectionSize(c) - 2 * margin;
            for (const QString& line : heading->text().split(u'\n'))
                fits = fits && metrics.horizontalAdvance(line) <= room;
        }
        if (fits)
            break;
    }
    if (header->font() != font)
        header->setFont(font);
}

void FrmTimeData::TextToGrid() {
    grid_.TypeText(U(cellEdit_->text()));
    ShowCell(grid_.Row(), grid_.Column());
}

void FrmTimeData::GridToText() {
    cellEdit_->setText(Q(grid_.Cell(grid_.Row(), grid_.Column())));
    cellEdit_->setCursorPosition(std::min<int>(10, static_cast<int>(cellEdit_->text().size())));
}

void FrmTimeData::DrawDistributions() {
    histogramLevel_ = grid_.Row();
    allRuns_->clear();
    bestTimes_->clear();
    QStringList all;
    for (const std::string& line : admin::DistributionLines(distributions_, histogramLevel_, false))
        all << Q(line);
    QStringList best;
    for (const std::string& line : admin::DistributionLines(distributions_, histogramLevel_, true))
        best << Q(line);
    allRuns_->addItems(all);
    bestTimes_->addItems(best);
}

void FrmTimeData::CellClicked(int tableRow, int tableColumn) {
    if (busy_)
        return;
    grid_.SetCurrent(tableRow + 1, std::max(1, tableColumn));
    PlaceEditBox();
    DrawDistributions();
    GridToText();
}

bool FrmTimeData::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_->viewport() && event->type() == QEvent::Paint) {
        FitHeadings();
        FitEditBox();
    }
    if (watched == cellEdit_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (HandleKey(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmTimeData::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Space) {
        // A typed space empties the cell.
        cellEdit_->clear();
        TextToGrid();
        return true;
    }
    admin::EditorKey editorKey;
    switch (key) {
        case Qt::Key_Escape:
            return true;  // nothing at all
        case Qt::Key_Return:
        case Qt::Key_Enter:
            editorKey = admin::EditorKey::Enter;
            break;
        case Qt::Key_Up:
            editorKey = admin::EditorKey::Up;
            break;
        case Qt::Key_Down:
            editorKey = (modifiers & Qt::ShiftModifier) ? admin::EditorKey::ShiftDown
                                                        : admin::EditorKey::Down;
            break;
        case Qt::Key_Left:
            editorKey = admin::EditorKey::Left;
            break;
        case Qt::Key_Right:
            editorKey = admin::EditorKey::Right;
            break;
        default:
            return false;  // typed characters reach the edit box
    }
    grid_.Key(editorKey, U(cellEdit_->text()));
    if (editorKey == admin::EditorKey::ShiftDown) {
        for (int r = grid_.Row(); r <= grid_.SelectionBottom(); ++r)
            ShowCell(r, grid_.Column());
    }
    PlaceEditBox();
    DrawDistributions();
    GridToText();
    return true;
}

// While a box whose answer decides what comes next is open, or the file is being written, the
// editor is busy: the boxes are window-modal, and a click that arrives all the same does
// nothing.
void FrmTimeData::Save(std::function<void(bool saved)> saved) {
    busy_ = true;
    const auto notSaved = [this, saved] {
        busy_ = false;
        PlaceEditBox();
        if (saved)
            saved(false);
    };
    if (const auto problem = admin::CheckSettingsRows(grid_.LevelRows(),
                                                      admin::TimedLevels(setup_))) {
        const int level = problem->level;
        const int column = problem->column;
        Tell(Q(problem->message) +
                 QStringLiteral("\n\n直してから、もう一度「更新記録」を押してください。"),
             [this, level, column, notSaved] {
                 grid_.SetCurrent(level, column);
                 notSaved();
                 GridToText();
                 DrawDistributions();
             });
        return;
    }
    bool changedElsewhere = false;
    try {
        changedElsewhere = grid_.FileChangedOnDisk(SettingsFile());
    } catch (const DataFileError& e) {
        Tell(NotSavedText(e), notSaved);
        return;
    }
    if (!changedElsewhere) {
        WriteSettings(std::move(saved));
        return;
    }
    messages_.Ask(
        this, QStringLiteral("注意"),
        QStringLiteral("設定のファイルは、この画面を開いた後にほかのパソコンで変更されています。\n"
                       "このまま記録すると、その変更は消えます。記録しますか？"),
        [this, saved, notSaved](MessageBoxes::Answer answer) {
            if (answer == MessageBoxes::Answer::Yes)
                WriteSettings(saved);
            else
                notSaved();
        });
}

// Writes the grid behind "Just a moment,please.", drawn before the write begins.
void FrmTimeData::WriteSettings(std::function<void(bool saved)> saved) {
    cover_->show();
    cover_->raise();
    cover_->repaint();
    try {
        grid_.Save(SettingsFile(), settings_);
    } catch (const DataFileError& e) {
        cover_->hide();
        Tell(NotSavedText(e), [this, saved] {
            busy_ = false;
            PlaceEditBox();
            if (saved)
                saved(false);
        });
        return;
    }
    cover_->hide();
    busy_ = false;
    Q_EMIT settingsSaved(settings_);
    ReadRecords();
    DrawDistributions();
    PlaceEditBox();
    if (saved)
        saved(true);
}

void FrmTimeData::Back() {
    if (busy_)
        return;
    if (!grid_.SettingsChanged()) {
        Leave();
        return;
    }
    busy_ = true;
    messages_.Ask(this, QStringLiteral("注意"),
                            QStringLiteral("データが変更されています。記録しますか？"),
                            [this](MessageBoxes::Answer answer) {
                                busy_ = false;
                                if (answer != MessageBoxes::Answer::Yes) {
                                    Leave();
                                    return;
                                }
                                // Not saved: the editor stays open with everything typed.
                                Save([this](bool saved) {
                                    if (saved)
                                        Leave();
                                });
                            });
}

void FrmTimeData::Leave() {
    busy_ = true;
    cover_->show();
    cover_->raise();
    Q_EMIT closed();
}

}  // namespace kagaku::ui
