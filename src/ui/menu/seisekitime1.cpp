#include "ui/menu/seisekitime1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "board/grade_marks.h"
#include "board/level_locks.h"
#include "board/level_menu.h"
#include "common/errors.h"
#include "records/aggregation.h"
#include "ui/teacher/data_panel.h"
#include "ui/menu/detail_view.h"
#include "ui/shell/look.h"
#include "ui/result/mistake_practice_offer.h"
#include "ui/teacher/mistake_ranking_view.h"
#include "ui/shell/record_file_task.h"
#include "ui/shell/services.h"
#include "ui/teacher/teacher_password_dialog.h"

namespace kagaku::ui {

namespace {

// The lines of a list are built to fixed widths; where the longest would not fit the column,
// the fixed-pitch font steps down (never below a size a child can still read), and whatever
// still does not fit scrolls sideways rather than being cut off.
void FitListFont(QListWidget* list) {
    // The room is taken from the list's own width, as the viewport may not yet have given way
    // to the vertical scroll bar the new lines bring; an item's text is drawn inside a margin
    // of a few pixels on each side.
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const int available = list->width() - 2 * list->frameWidth() - scrollBar - Scaled(8);
    for (int size = 15; size >= 11; --size) {
        const QFont font = FixedFont(size);
        int widest = 0;
        const QFontMetrics metrics(font);
        for (int r = 0; r < list->count(); ++r)
            widest = std::max(widest, metrics.horizontalAdvance(list->item(r)->text()));
        if (widest <= available || size == 11) {
            list->setFont(font);
            break;
        }
    }
}

}  // namespace

namespace {

// The design counts 15360 twips across the screen.
constexpr double kScreenTwips = 15360.0;
const QColor kCountBackground(0xE0, 0xE0, 0xE0);

QLabel* CellLabel(const QString& text, QWidget* parent, int size, bool grey = false) {
    auto* label = PlainLabel(text, parent);
    label->setFont(UiFont(size));
    label->setAlignment(Qt::AlignCenter);
    if (grey) {
        label->setAutoFillBackground(true);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, kCountBackground);
        label->setPalette(p);
    }
    return label;
}

QFrame* Cover(QWidget* parent, const QString& name, const QString& text, QProgressBar** bar,
              const QColor& colour) {
    auto* cover = new QFrame(parent);
    cover->setObjectName(name);
    QPalette p = cover->palette();
    p.setColor(QPalette::Window, colour);
    cover->setPalette(p);
    cover->setAutoFillBackground(true);
    auto* caption = PlainLabel(text, cover);
    caption->setFont(UiFont(36, true));
    *bar = new QProgressBar(cover);
    (*bar)->setTextVisible(false);
    (*bar)->setFixedWidth(Scaled(420));
    auto* layout = new QVBoxLayout(cover);
    layout->addStretch(1);
    layout->addWidget(caption, 0, Qt::AlignCenter);
    layout->addWidget(*bar, 0, Qt::AlignCenter);
    layout->addStretch(1);
    cover->hide();
    return cover;
}

}  // namespace

seisekitime1::seisekitime1(Inputs inputs, QWidget* parent)
    : QWidget(parent), inputs_(std::move(inputs)) {
    setObjectName("seisekitime1");
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(Q(inputs_.setup.ProgramName));
    const QColor season = ColourFromBgr(inputs_.setup.SeasonColour);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, season);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    const int margin = Scaled(10);
    layout->setContentsMargins(margin, Scaled(6), margin, Scaled(6));
    layout->setSpacing(Scaled(6));
    layout->addLayout(BuildHeader());
    layout->addLayout(BuildChoices());
    heading_ = PlainLabel(QString(), this);
    heading_->setObjectName("Label5");
    heading_->setFont(UiFont(20, true));
    layout->addWidget(heading_);
    layout->addWidget(BuildColumnArea(), 1);
    layout->addWidget(menuScroll_);

    fullCover_ =
        Cover(this, "Picture2", QStringLiteral("Just a moment, please."), &fullProgress_, season);
    listCover_ = Cover(this, "Picture6", QStringLiteral("Just a momento, please."), &listProgress_,
                       season.lighter(108));

    BuildColumns();
}

// The program's name, who is signed in, the day's counts, the teacher's data panel and the way
// back to the name screen.
QHBoxLayout* seisekitime1::BuildHeader() {
    title_ = PlainLabel(Q(inputs_.setup.ProgramName), this);
    title_->setObjectName("Label11");
    title_->setFont(UiFont(28, true));
    gradeName_ = PlainLabel(QString(), this);
    gradeName_->setObjectName("Label12");
    gradeName_->setFont(UiFont(24, true));
    schoolNumber_ = PlainLabel(QString(), this);
    schoolNumber_->setObjectName("Label13");
    schoolNumber_->setFont(UiFont(16));
    minutes_ = PlainLabel(QString(), this);
    minutes_->setObjectName("Label17");
    minutes_->setFont(UiFont(16));
    todayTotal_ = PlainLabel(QString(), this);
    todayTotal_->setObjectName("Label18");
    todayTotal_->setFont(UiFont(18, true));
    backButton_ = new QPushButton(QStringLiteral("戻る(0)"), this);
    backButton_->setObjectName("Command1");
    backButton_->setFont(UiFont(20));
    backButton_->setFocusPolicy(Qt::NoFocus);
    backButton_->setMinimumSize(Scaled(110), Scaled(40));
    connect(backButton_, &QPushButton::clicked, this, &seisekitime1::Back);

    auto* header = new QHBoxLayout;
    header->setSpacing(Scaled(18));
    header->addWidget(title_);
    auto* who = new QVBoxLayout;
    who->setSpacing(0);
    who->addWidget(gradeName_);
    who->addWidget(schoolNumber_);
    header->addLayout(who);
    header->addStretch(1);
    auto* counts = new QVBoxLayout;
    counts->setSpacing(0);
    counts->addWidget(todayTotal_, 0, Qt::AlignRight);
    counts->addWidget(minutes_, 0, Qt::AlignRight);
    header->addLayout(counts);
    // The teacher's data panel.
    dataPanel_ = new DataPanel(inputs_.passwordGate,
                               ScoreRecordPath(inputs_.setup.ProgramDataFolder), this);
    header->addWidget(dataPanel_->button());
    connect(dataPanel_, &DataPanel::mistakeRankingAsked, this, &seisekitime1::OpenMistakeRanking);
    header->addWidget(backButton_);
    return header;
}

// A frame holding a row of radio buttons, one per caption, with ids (and numbered names) from
// first upwards.
QFrame* seisekitime1::OptionRow(const char* frameName, const QString& optionName, int first,
                                const std::array<std::string, 3>& captions, QButtonGroup*& group,
                                std::vector<QRadioButton*>& options) {
    auto* frame = new QFrame(this);
    frame->setObjectName(frameName);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(Scaled(6), Scaled(2), Scaled(6), Scaled(2));
    group = new QButtonGroup(this);
    for (std::size_t k = 0; k < captions.size(); ++k) {
        const int id = first + static_cast<int>(k);
        auto* o = new QRadioButton(Q(captions[k]), frame);
        o->setObjectName(optionName.arg(id));
        o->setFont(UiFont(17));
        o->setFocusPolicy(Qt::NoFocus);
        group->addButton(o, id);
        options.push_back(o);
        row->addWidget(o);
    }
    options.front()->setChecked(true);
    return frame;
}

// The display and list choices, the grade and period boxes and the graph button.
QHBoxLayout* seisekitime1::BuildChoices() {
    displays_ = OptionRow("Picture5", QStringLiteral("Option2_%1"), 0, DisplayCaptions(),
                          displayGroup_, displayOptions_);
    connect(displayGroup_, &QButtonGroup::idClicked, this, &seisekitime1::DisplaySwitch);
    lists_ = OptionRow("Picture1", QStringLiteral("Option1_%1"), 1,
                       ListOptionCaptions(0, kInitialThirdListCaption), listGroup_, listOptions_);
    connect(listGroup_, &QButtonGroup::idClicked, this, &seisekitime1::ListSwitch);

    auto* choices = new QHBoxLayout;
    choices->setSpacing(Scaled(10));
    choices->addWidget(displays_);
    choices->addWidget(lists_);
    choices->addWidget(BuildGradeBox());
    choices->addWidget(BuildPeriodBox());
    choices->addWidget(BuildDetailView());
    choices->addStretch(1);
    return choices;
}

QComboBox* seisekitime1::BuildGradeBox() {
    grades_ = new QComboBox(this);
    grades_->setObjectName("Combo1");
    grades_->setFont(UiFont(17));
    for (const auto& g : BoardGradeChoices())
        grades_->addItem(Q(g));
    grades_->setCurrentText(Q(inputs_.board.GradeFilterText.ToText()));
    grades_->installEventFilter(this);
    connect(grades_, &QComboBox::activated, this, [this](int) {
        DisplaySwitch(displayOptions_[0]->isChecked() ? 0 : 1);
        setFocus();
    });
    return grades_;
}

// The period box shows with the period list only.
QComboBox* seisekitime1::BuildPeriodBox() {
    periods_ = new QComboBox(this);
    periods_->setObjectName("Combo2");
    periods_->setFont(UiFont(17));
    for (const auto& p : PeriodChoices())
        periods_->addItem(Q(p));
    inputs_.board.ListPeriod = Variant(kInitialListPeriod);
    periods_->setCurrentIndex(kInitialListPeriod - 1);
    periods_->installEventFilter(this);
    periods_->hide();
    connect(periods_, &QComboBox::activated, this, [this](int index) {
        if (!listOptions_[2]->isChecked())
            return;
        if (auto period = ListPeriodForChoice(index)) {
            inputs_.board.ListPeriod = Variant(*period);
            ListSwitch(3);
        }
        setFocus();
    });
    return periods_;
}

// The graph button of the own-runs display, and the detail view it opens over the columns.
QPushButton* seisekitime1::BuildDetailView() {
    graphButton_ = new QPushButton(QStringLiteral("グラフ"), this);
    graphButton_->setObjectName("Command17");
    graphButton_->setFont(UiFont(17));
    graphButton_->setFocusPolicy(Qt::NoFocus);
    graphButton_->hide();
    detailView_ = new DetailView(
        {inputs_.setup, inputs_.signIn, inputs_.standing, inputs_.roster, inputs_.clock,
         inputs_.messages},
        [this] {
            return DetailView::BoardChoice{U(grades_->currentText()), pointsRankingKind_};
        },
        inputs_.passwordGate, this);
    connect(detailView_, &DetailView::fileFailed, this, &seisekitime1::EndWithFileError);
    connect(graphButton_, &QPushButton::clicked, this, [this] {
        PlaceDetail();
        detailView_->Open();
    });
    return graphButton_;
}

// The area the level columns are placed in by hand, and the scroll bar beneath it.
QWidget* seisekitime1::BuildColumnArea() {
    columnArea_ = new QWidget(this);
    columnArea_->setObjectName("ColumnArea");
    menuScroll_ = new QScrollBar(Qt::Horizontal, this);
    menuScroll_->setObjectName("HScroll1");
    menuScroll_->setMinimum(1);
    menuScroll_->setFocusPolicy(Qt::NoFocus);
    menuScroll_->setMinimumHeight(Scaled(22));
    connect(menuScroll_, &QScrollBar::valueChanged, this, [this](int value) {
        ScrollPosAfterChange(inputs_.board, inputs_.setup.LevelCount, value);
        PlaceColumns();
    });
    return columnArea_;
}

void seisekitime1::BuildColumns() {
    const int levelCount = inputs_.setup.LevelCount;
    const MenuLayout layout = MenuLayoutFor(levelCount);
    menuScroll_->setVisible(layout.ScrollBarVisible);
    menuScroll_->setMaximum(layout.ScrollBarVisible ? layout.ScrollMaximum : 1);
    menuScroll_->setPageStep(1);
    columns_.assign(static_cast<std::size_t>(levelCount) + 1, Column{});
    for (int i = 1; i <= levelCount; ++i)
        BuildColumn(i, LevelColumn(boardData(), i));
}

// One level's column: number and name, the start button with its "やりすぎ禁止" bar, the
// counts, the list and the pass rule.
void seisekitime1::BuildColumn(int i, const LevelColumnTexts& texts) {
    Column& c = At(i);
    c.practice = texts.Practice;
    c.box = new QWidget(columnArea_);
    c.box->setObjectName(QStringLiteral("Column%1").arg(i));
    c.number = CellLabel(Q(texts.Number), c.box, 22);
    c.number->setObjectName(QStringLiteral("Label1_%1").arg(i));
    c.number->setFont(UiFont(22, true));
    c.name = CellLabel(Q(texts.Name), c.box, 17);
    c.name->setObjectName(QStringLiteral("Label3_%1").arg(i));
    c.name->setToolTip(Q(texts.Name));
    c.name->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    c.name->setCursor(Qt::PointingHandCursor);
    c.name->installEventFilter(this);
    BuildStartButton(i, c, texts);
    c.todayHead = CellLabel(Q(kTodayHeading), c.box, 14);
    c.allHead = CellLabel(Q(kAllTimeHeading), c.box, 14);
    c.today = CellLabel(QString(), c.box, 15, true);
    c.today->setObjectName(QStringLiteral("Label14_%1").arg(i));
    c.all = CellLabel(QString(), c.box, 15, true);
    c.all->setObjectName(QStringLiteral("Label15_%1").arg(i));
    c.recent = CellLabel(Q(texts.RecentWindow), c.box, 14, true);
    c.recent->setObjectName(QStringLiteral("Label8_%1").arg(i));
    c.list = new QListWidget(c.box);
    c.list->setObjectName(QStringLiteral("List5_%1").arg(i));
    c.list->setFont(FixedFont(15));
    c.list->setFocusPolicy(Qt::NoFocus);
    c.list->setUniformItemSizes(true);
    c.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    c.list->setTextElideMode(Qt::ElideNone);
    c.rule = CellLabel(Q(texts.PassRule), c.box, 13, true);
    c.rule->setObjectName(QStringLiteral("Label7_%1").arg(i));
    LayOutColumn(c);
    if (c.practice)
        HideRunCells(c);
}

void seisekitime1::BuildStartButton(int i, Column& c, const LevelColumnTexts& texts) {
    c.start = new QPushButton(Q(texts.StartButton), c.box);
    c.start->setObjectName(QStringLiteral("Command4_%1").arg(i));
    c.start->setFont(UiFont(20, true));
    c.start->setMinimumHeight(Scaled(40));
    c.start->setFocusPolicy(Qt::NoFocus);
    c.start->setEnabled(false);  // the lock pass opens the levels the pupil may start
    c.start->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
    connect(c.start, &QPushButton::clicked, this, [this, i] { StartLevel(i); });
    c.ban = CellLabel(Q(kTooMuchPractice), c.start, 20);
    c.ban->setObjectName(QStringLiteral("Text1_%1").arg(i));
    c.ban->setFont(UiFont(20, true));
    c.ban->setAutoFillBackground(true);
    QPalette banPalette = c.ban->palette();
    banPalette.setColor(QPalette::Window, QColor(0xFF, 0xE0, 0xE0));
    banPalette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    c.ban->setPalette(banPalette);
    c.ban->hide();
}

void seisekitime1::LayOutColumn(Column& c) {
    auto* grid = new QGridLayout(c.box);
    grid->setContentsMargins(Scaled(3), 0, Scaled(3), 0);
    grid->setHorizontalSpacing(Scaled(2));
    grid->setVerticalSpacing(Scaled(2));
    grid->addWidget(c.number, 0, 0);
    grid->addWidget(c.name, 0, 1, 1, 3);
    grid->addWidget(c.start, 1, 0, 1, 4);
    grid->addWidget(c.todayHead, 2, 0, 1, 2);
    grid->addWidget(c.allHead, 2, 2, 1, 2);
    grid->addWidget(c.today, 3, 0, 1, 2);
    grid->addWidget(c.all, 3, 2, 1, 2);
    grid->addWidget(c.recent, 4, 0, 1, 4);
    grid->addWidget(c.list, 5, 0, 1, 4);
    grid->addWidget(c.rule, 6, 0, 1, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(5, 1);
}

// A practice column has no runs to count: its cells keep their room, empty.
void seisekitime1::HideRunCells(Column& c) {
    for (QWidget* w : {static_cast<QWidget*>(c.list), static_cast<QWidget*>(c.rule),
                       static_cast<QWidget*>(c.recent), static_cast<QWidget*>(c.today),
                       static_cast<QWidget*>(c.all), static_cast<QWidget*>(c.todayHead),
                       static_cast<QWidget*>(c.allHead)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
}

// Each column's left edge follows the first shown column; columns left of it are parked
// beyond the right edge, and a column that would be cut off at the right edge is not shown.
void seisekitime1::PlaceColumns() {
    const int levelCount = inputs_.setup.LevelCount;
    const MenuLayout layout = MenuLayoutFor(levelCount);
    const double perTwip = width() / kScreenTwips;
    const int columnWidth = static_cast<int>(layout.ColumnWidthTwips * perTwip);
    const int marginTwips = static_cast<int>(0.02 * kScreenTwips);
    const int pos = std::max(1, static_cast<int>(inputs_.board.MenuScrollPos.ToInteger()));
    const int areaLeft = columnArea_->mapTo(this, QPoint(0, 0)).x();
    for (int i = 1; i <= levelCount; ++i) {
        Column& c = At(i);
        const auto left = ColumnLeft(i, pos, marginTwips, layout.ColumnWidthTwips);
        if (!left) {
            c.box->setGeometry(columnArea_->width() + 10, 0, columnWidth, columnArea_->height());
            c.box->hide();
            continue;
        }
        const int x = static_cast<int>(*left * perTwip) - areaLeft;
        c.box->setGeometry(x, 0, columnWidth, columnArea_->height());
        c.box->setVisible(x + columnWidth <= columnArea_->width());
    }
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        c.ban->setGeometry(c.start->rect());
    }
}

void seisekitime1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fullCover_->isVisible())
        fullCover_->setGeometry(rect());
    if (listCover_->isVisible())
        ShowListCover(true);
    PlaceColumns();
    PlaceDetail();
    if (mistakeRanking_ != nullptr)
        mistakeRanking_->setGeometry(detailView_->geometry());
}

// The detail view lies over the level columns, from the heading down.
void seisekitime1::PlaceDetail() {
    const int left = static_cast<int>(120 / kScreenTwips * width());
    const int top = heading_->mapTo(this, QPoint(0, 0)).y();
    const int bottom = columnArea_->mapTo(this, QPoint(0, columnArea_->height())).y();
    detailView_->setGeometry(left, top, width() - 2 * left, std::max(0, bottom - top));
}

void seisekitime1::OfferOwnMistakes() {
    const ProgramSetup& s = inputs_.setup;
    const auto offers =
        OwnMistakeOffers(s.ProgramDataFolder, s.AppFolder, inputs_.signIn.PupilNumber,
                         s.LevelNames, s.LevelTimed, s.LevelCount, inputs_.clock.TodayDate());
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        if (c.mistakes != nullptr) {
            c.mistakes->deleteLater();
            c.mistakes = nullptr;
        }
        const auto offer = offers.find(static_cast<int>(i));
        if (!c.practice || offer == offers.end() || !c.start->isEnabled())
            continue;
        c.mistakes = new MistakePracticeOffer(offer->second, 15, c.box);
        static_cast<QGridLayout*>(c.box->layout())->addWidget(c.mistakes, 5, 0, 1, 4,
                                                              Qt::AlignTop);
        MistakePracticeOffer* button = c.mistakes;
        connect(button, &MistakePracticeOffer::asked, this, [this, button] {
            if (ended_ || leaving_ || dataPanel_->IsShown() || MistakeRankingShown())
                return;
            leaving_ = true;
            keysReady_ = false;
            Q_EMIT mistakePracticeAsked(button->practice());
        });
    }
}

bool seisekitime1::MistakeRankingShown() const {
    return mistakeRanking_ != nullptr && mistakeRanking_->isVisible();
}

void seisekitime1::OpenMistakeRanking() {
    const ProgramSetup& s = inputs_.setup;
    MistakeRankingPanel::Inputs inputs{s.ProgramName,    s.ProgramDataFolder, inputs_.roster,
                                      s.LevelNames,     s.LevelCount,        U(grades_->currentText()),
                                      inputs_.clock.TodayDate()};
    if (mistakeRanking_ != nullptr)
        mistakeRanking_->deleteLater();
    mistakeRanking_ = new MistakeRankingPanel(
        std::move(inputs),
        inputs_.passwordGate, this);
    connect(mistakeRanking_, &MistakeRankingPanel::messageDue, this, [this](const QString& text) {
        inputs_.messages.Inform(this, Q(inputs_.setup.ProgramName), text, {});
    });
    PlaceDetail();
    mistakeRanking_->setGeometry(detailView_->geometry());
    mistakeRanking_->Rebuild();
    mistakeRanking_->show();
    mistakeRanking_->raise();
}

void seisekitime1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!refreshed_) {
        refreshed_ = true;
        ShowFullCover(true);
        // The board is built once the screen stands on its cover.
        QTimer::singleShot(0, this, &seisekitime1::Refresh);
    }
}

void seisekitime1::ShowFullCover(bool shown) {
    if (shown) {
        fullCover_->setGeometry(rect());
        fullCover_->raise();
        fullCover_->show();
    } else {
        fullCover_->hide();
    }
}

void seisekitime1::ShowListCover(bool shown) {
    if (shown) {
        const QPoint top = heading_->mapTo(this, QPoint(0, 0));
        const int bottom = menuScroll_->isVisible() ? menuScroll_->mapTo(this, QPoint(0, 0)).y() : height();
        listCover_->setGeometry(0, top.y(), width(), bottom - top.y());
        listCover_->raise();
        listCover_->show();
    } else {
        listCover_->hide();
    }
}

void seisekitime1::Refresh() {
    if (ended_)
        return;
    keysReady_ = false;
    ShowFullCover(true);
    listOptions_[0]->setText(Q(kRefreshFirstListCaption));
    listOptions_[1]->setText(Q(kRefreshSecondListCaption));
    // Under the cover, while a busy score file is waited for, keys and clicks start nothing.
    RecordFileTask::Start(
        this, inputs_.messages,
        [this](RecordFileWaiter& waiter) {
            AggregateScoreRecords(ScoreRecordPath(inputs_.setup.ProgramDataFolder),
                                  inputs_.setup.Settings, inputs_.clock, inputs_.standing, waiter);
        },
        [this] { ShowStanding(); }, [this](const DataFileError& e) { EndWithFileError(e); });
}

// The header, the counts of every column, the locks and the first list, from the standing the
// refresh has just rebuilt.
void seisekitime1::ShowStanding() {
    const int levelCount = inputs_.setup.LevelCount;
    const MenuHeader header = MenuHeaderTexts(boardData(), inputs_.clock);
    todayTotal_->setText(Q(header.TodayTotal));
    minutes_->setText(Q(header.MinutesSinceSignIn));
    fullProgress_->setRange(0, std::max<int>(1, levelCount));
    activationInProgress_ = true;
    listOptions_[0]->setChecked(true);
    displayOptions_[0]->setChecked(true);
    DisplaySwitch(0);
    backButton_->setEnabled(true);
    activationInProgress_ = false;
    Q_EMIT practiceTargetsDue();
    ShowListCover(false);
    dataPanel_->button()->setVisible(header.ShowDataButton);
    gradeName_->setText(Q(header.GradeAndName));
    schoolNumber_->setText(Q(header.SchoolAndNumber));
    title_->setText(Q(header.Title));
    title_->setFont(UiFont(header.TitlePointSize * 4 / 3, true));  // points to pixels
    const int pos = ActivationScrollPos(inputs_.board, levelCount);
    {
        const QSignalBlocker blocker(menuScroll_);
        menuScroll_->setValue(pos);
    }
    PlaceColumns();
    for (int i = 1; i <= levelCount; ++i) {
        fullProgress_->setValue(i);
        const LevelColumnTexts texts = LevelColumn(boardData(), i);
        Column& c = At(i);
        c.today->setText(Q(texts.Today));
        c.all->setText(Q(texts.AllTime));
    }
    ApplyLocks();
    OfferOwnMistakes();
    ShowFullCover(false);
    keysReady_ = true;
    DisplaySwitch(0);
    setFocus();
}

void seisekitime1::ClearBoard() {
    // No other list can be chosen while this one is built.
    lists_->setEnabled(false);
    backButton_->setEnabled(false);
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].start->setEnabled(false);
        columns_[i].list->hide();
    }
    ShowListCover(true);
    listCover_->repaint();
}

void seisekitime1::DisplaySwitch(int index) {
    dataPanel_->HidePanel();
    graphButton_->hide();
    detailView_->hide();
    if (mistakeRanking_ != nullptr)
        mistakeRanking_->hide();
    ClearBoard();
    if (activationInProgress_)
        return;
    if (index == 0) {
        const auto captions = ListOptionCaptions(0, U(listOptions_[2]->text()));
        for (std::size_t k = 0; k < 3; ++k)
            listOptions_[k]->setText(Q(captions[k]));
        listOptions_[2]->setEnabled(true);
        boardMode_ = 1;
        ListSwitch(listGroup_->checkedId() > 0 ? listGroup_->checkedId() : 1);
    } else if (index == 1) {
        periods_->hide();
        const auto captions = ListOptionCaptions(1, U(listOptions_[2]->text()));
        for (std::size_t k = 0; k < 3; ++k)
            listOptions_[k]->setText(Q(captions[k]));
        listOptions_[2]->setEnabled(true);
        boardMode_ = 2;
        if (listOptions_[0]->isChecked()) {
            ListSwitch(1);
        } else if (listOptions_[2]->isChecked()) {
            ListSwitch(3);
        } else {
            ListSwitch(2);
        }
    } else {
        graphButton_->show();
        periods_->hide();
        Fill(BoardList::OwnRuns);
    }
}

void seisekitime1::ListSwitch(int option) {
    if (boardMode_ == 0)
        boardMode_ = 1;
    Fill(ListFor(boardMode_, option));
}

void seisekitime1::Fill(BoardList list) {
    if (ended_)
        return;
    delete fill_.data();
    if (list == BoardList::CumulativeRanking)
        pointsRankingKind_ = 1;
    if (list == BoardList::TodayRanking)
        pointsRankingKind_ = 2;
    if (list == BoardList::OwnRuns && !detailView_->FillPupilList())
        return;
    ClearBoard();
    periods_->hide();
    lists_->setEnabled(false);
    heading_->setText(Q(ListHeading(list)));
    listProgress_->setValue(0);
    const std::optional<std::size_t> scan = RecordScanFor(list);
    if (!scan) {
        ShowLists(list, {});
        return;
    }
    // While a busy score file is waited for, the start buttons, the list choices and 戻る stay
    // disabled; a display or grade chosen meanwhile fills anew, and this fill goes.
    auto window = std::make_shared<RecordWindow>();
    const std::filesystem::path file = ScoreRecordPath(inputs_.setup.ProgramDataFolder);
    fill_ = RecordFileTask::Start(
        this, inputs_.messages,
        [file, scan = *scan, window](RecordFileWaiter& waiter) {
            ReadRecordWindowPatiently(file, scan, *window, waiter);
        },
        [this, list, window] { ShowLists(list, RunRecordsOf(*window)); },
        [this](const DataFileError& e) { EndWithFileError(e); });
}

// The lists of every column from the records just read.
void seisekitime1::ShowLists(BoardList list, const std::vector<RunRecord>& records) {
    const BoardInputs inputs{boardData(), U(grades_->currentText()),
                             [this](std::size_t done, std::size_t maximum) {
                                 listProgress_->setMaximum(static_cast<int>(maximum));
                                 listProgress_->setValue(static_cast<int>(done));
                             }};
    const BoardFill fill =
        FillBoard(inputs, list, records, inputs_.clock.Now(), inputs_.board.ListPeriod);
    for (int i = 1; i <= inputs_.setup.LevelCount; ++i) {
        Column& c = At(i);
        c.todayHead->setText(Q(kTodayHeading));
        c.allHead->setText(Q(kAllTimeHeading));
        c.list->clear();
        const auto k = static_cast<std::size_t>(i);
        if (k < fill.Lines.size()) {
            for (const auto& line : fill.Lines[k])
                c.list->addItem(Q(line));
        }
        FitListFont(c.list);
        // The pupil's own line is brought into view, then no line stays selected.
        if (k < fill.OwnLine.size() && fill.OwnLine[k] &&
            static_cast<int>(*fill.OwnLine[k]) < c.list->count()) {
            QListWidgetItem* own = c.list->item(static_cast<int>(*fill.OwnLine[k]));
            c.list->scrollToItem(own, QAbstractItemView::PositionAtCenter);
        }
        c.list->clearSelection();
    }
    lists_->setEnabled(true);
    periods_->setVisible(ShowsPeriodBox(list));
    backButton_->setEnabled(true);
    ApplyLocks();
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].list->setVisible(!columns_[i].practice);
    }
    ShowListCover(false);
}

void seisekitime1::ApplyLocks() {
    const LevelLocks locks = ApplyLevelLocks(boardData(), inputs_.board);
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        c.start->setEnabled(locks.StartEnabled[i]);
        c.ban->setGeometry(c.start->rect());
        c.ban->setVisible(locks.TooMuchPractice[i]);
        if (locks.TooMuchPractice[i])
            c.ban->raise();
    }
    listCover_->raise();
}

bool seisekitime1::MayStart(int level) const {
    return !ended_ && !leaving_ && level >= 1 && level < static_cast<int>(columns_.size()) &&
           columns_[static_cast<std::size_t>(level)].start->isEnabled() &&
           !dataPanel_->IsShown() && !MistakeRankingShown();
}

void seisekitime1::StartLevel(int level) {
    if (!MayStart(level))
        return;
    // A second key or click before the drill shows must not start it twice.
    leaving_ = true;
    keysReady_ = false;
    ShowFullCover(true);
    fullCover_->repaint();
    Q_EMIT levelChosen(level);
}

void seisekitime1::Back() {
    if (ended_ || leaving_)
        return;
    leaving_ = true;
    keysReady_ = false;
    ShowFullCover(true);
    fullCover_->repaint();
    Q_EMIT signOutAsked();
}

// The score file failed: the program ends with the file's message; the menu stays beneath it
// under the cover it had and does nothing more.
void seisekitime1::EndWithFileError(const DataFileError& error) {
    ended_ = true;
    keysReady_ = false;
    Q_EMIT fileFailed(error);
}

void seisekitime1::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() == 1) {
        const MenuKeyAction action = MenuKeyFor(text.at(0).unicode(), inputs_.setup.LevelCount,
                                                keysReady_, backButton_->isEnabled());
        if (action.What == MenuKeyAction::Kind::StartLevel) {
            StartLevel(action.Level);
            return;
        }
        if (action.What == MenuKeyAction::Kind::Back) {
            Back();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

// The form sees typed keys before the grade and period boxes; a click on a level's name
// starts it like its button and closes the menu.
bool seisekitime1::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == grades_ || watched == periods_) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().size() == 1 && key->text().at(0).isLetterOrNumber()) {
            keyPressEvent(key);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        for (std::size_t i = 1; i < columns_.size(); ++i) {
            if (watched == columns_[i].name) {
                // Only a left click released over the name counts.
                const int level = static_cast<int>(i);
                if (mouse->button() != Qt::LeftButton ||
                    !columns_[i].name->rect().contains(mouse->position().toPoint()) ||
                    !MayStart(level))
                    return true;
                leaving_ = true;
                keysReady_ = false;
                Q_EMIT levelChosen(level);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kagaku::ui
