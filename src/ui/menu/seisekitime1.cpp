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
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "board/grade_marks.h"
#include "board/level_locks.h"
#include "board/level_menu.h"
#include "common/errors.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"
#include "ui/teacher/data_panel.h"
#include "ui/menu/detail_view.h"
#include "ui/shell/look.h"
#include "ui/result/mistake_practice_offer.h"
#include "ui/teacher/mistake_ranking_view.h"
#include "ui/shell/program.h"
#include "ui/shell/screen_record_waiter.h"
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

seisekitime1::seisekitime1(Program& program) : program_(program) {
    setObjectName("seisekitime1");
    DeleteOnCloseWhenIdle(this);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(Q(program_.setup().ProgramName));
    const QColor season = ColourFromBgr(program_.setup().SeasonColour);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, season);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    title_ = PlainLabel(Q(program_.setup().ProgramName), this);
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
    back_ = new QPushButton(QStringLiteral("戻る(0)"), this);
    back_->setObjectName("Command1");
    back_->setFont(UiFont(20));
    back_->setFocusPolicy(Qt::NoFocus);
    back_->setMinimumSize(Scaled(110), Scaled(40));
    connect(back_, &QPushButton::clicked, this, &seisekitime1::Back);

    displays_ = new QFrame(this);
    displays_->setObjectName("Picture5");
    displays_->setFrameShape(QFrame::StyledPanel);
    auto* displayLayout = new QHBoxLayout(displays_);
    displayLayout->setContentsMargins(Scaled(6), Scaled(2), Scaled(6), Scaled(2));
    displayGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* o = new QRadioButton(Q(DisplayCaptions()[static_cast<std::size_t>(i)]), displays_);
        o->setObjectName(QStringLiteral("Option2_%1").arg(i));
        o->setFont(UiFont(17));
        o->setFocusPolicy(Qt::NoFocus);
        displayGroup_->addButton(o, i);
        displayOptions_.push_back(o);
        displayLayout->addWidget(o);
    }
    displayOptions_[0]->setChecked(true);
    connect(displayGroup_, &QButtonGroup::idClicked, this, &seisekitime1::DisplaySwitch);

    lists_ = new QFrame(this);
    lists_->setObjectName("Picture1");
    lists_->setFrameShape(QFrame::StyledPanel);
    auto* listLayout = new QHBoxLayout(lists_);
    listLayout->setContentsMargins(Scaled(6), Scaled(2), Scaled(6), Scaled(2));
    listGroup_ = new QButtonGroup(this);
    const auto captions = ListOptionCaptions(0, kInitialThirdListCaption);
    for (int i = 1; i <= 3; ++i) {
        auto* o = new QRadioButton(Q(captions[static_cast<std::size_t>(i - 1)]), lists_);
        o->setObjectName(QStringLiteral("Option1_%1").arg(i));
        o->setFont(UiFont(17));
        o->setFocusPolicy(Qt::NoFocus);
        listGroup_->addButton(o, i);
        listOptions_.push_back(o);
        listLayout->addWidget(o);
    }
    listOptions_[0]->setChecked(true);
    connect(listGroup_, &QButtonGroup::idClicked, this, &seisekitime1::ListSwitch);

    grades_ = new QComboBox(this);
    grades_->setObjectName("Combo1");
    grades_->setFont(UiFont(17));
    for (const auto& g : BoardGradeChoices())
        grades_->addItem(Q(g));
    grades_->setCurrentText(Q(program_.board().GradeFilterText.ToText()));
    grades_->installEventFilter(this);
    connect(grades_, &QComboBox::activated, this, [this](int) {
        DisplaySwitch(displayOptions_[0]->isChecked() ? 0 : 1);
        setFocus();
    });

    periods_ = new QComboBox(this);
    periods_->setObjectName("Combo2");
    periods_->setFont(UiFont(17));
    for (const auto& p : PeriodChoices())
        periods_->addItem(Q(p));
    program_.board().ListPeriod = Variant(kInitialListPeriod);
    periods_->setCurrentIndex(kInitialListPeriod - 1);
    periods_->installEventFilter(this);
    periods_->hide();
    connect(periods_, &QComboBox::activated, this, [this](int index) {
        if (!listOptions_[2]->isChecked())
            return;
        if (auto period = ListPeriodForChoice(index)) {
            program_.board().ListPeriod = Variant(*period);
            ListSwitch(3);
        }
        setFocus();
    });

    heading_ = PlainLabel(QString(), this);
    heading_->setObjectName("Label5");
    heading_->setFont(UiFont(20, true));

    columnArea_ = new QWidget(this);
    columnArea_->setObjectName("ColumnArea");
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setObjectName("HScroll1");
    scroll_->setMinimum(1);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setMinimumHeight(Scaled(22));
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        ScrollPosAfterChange(program_.board(), program_.setup().LevelCount, value);
        PlaceColumns();
    });

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
    dataPanel_ = new DataPanel(program_.TeacherPasswordGate(),
                               ScoreRecordPath(program_.setup().ProgramDataFolder), this);
    header->addWidget(dataPanel_->button());
    connect(dataPanel_, &DataPanel::mistakeRankingAsked, this, &seisekitime1::OpenMistakeRanking);
    header->addWidget(back_);

    auto* choices = new QHBoxLayout;
    choices->setSpacing(Scaled(10));
    choices->addWidget(displays_);
    choices->addWidget(lists_);
    choices->addWidget(grades_);
    choices->addWidget(periods_);
    // ---- detail view: the graph button of the own-runs display, and the panel ----
    graph_ = new QPushButton(QStringLiteral("グラフ"), this);
    graph_->setObjectName("Command17");
    graph_->setFont(UiFont(17));
    graph_->setFocusPolicy(Qt::NoFocus);
    graph_->hide();
    choices->addWidget(graph_);
    detail_ = new DetailView(
        program_,
        [this] {
            return DetailView::BoardChoice{U(grades_->currentText()), pointsRankingKind_};
        },
        this);
    connect(graph_, &QPushButton::clicked, this, [this] {
        PlaceDetail();
        detail_->Open();
    });
    // ---- end of detail view ----
    choices->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    const int margin = Scaled(10);
    layout->setContentsMargins(margin, Scaled(6), margin, Scaled(6));
    layout->setSpacing(Scaled(6));
    layout->addLayout(header);
    layout->addLayout(choices);
    layout->addWidget(heading_);
    layout->addWidget(columnArea_, 1);
    layout->addWidget(scroll_);

    fullCover_ =
        Cover(this, "Picture2", QStringLiteral("Just a moment, please."), &fullProgress_, season);
    listCover_ = Cover(this, "Picture6", QStringLiteral("Just a momento, please."), &listProgress_,
                       season.lighter(108));

    BuildColumns();
}

void seisekitime1::BuildColumns() {
    const MenuLayout layout = MenuLayoutFor(program_.setup().LevelCount);
    scroll_->setVisible(layout.ScrollBarVisible);
    scroll_->setMaximum(layout.ScrollBarVisible ? layout.ScrollMaximum : 1);
    scroll_->setPageStep(1);
    columns_.assign(static_cast<std::size_t>(program_.setup().LevelCount) + 1, Column{});
    for (int i = 1; i <= program_.setup().LevelCount; ++i) {
        const LevelColumnTexts texts = LevelColumn(program_.boardData(), i);
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
        if (c.practice) {
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
    }
}

// Each column's left edge follows the first shown column; columns left of it are parked
// beyond the right edge, and a column that would be cut off at the right edge is not shown.
void seisekitime1::PlaceColumns() {
    const MenuLayout layout = MenuLayoutFor(program_.setup().LevelCount);
    const double perTwip = width() / kScreenTwips;
    const int columnWidth = static_cast<int>(layout.ColumnWidthTwips * perTwip);
    const int marginTwips = static_cast<int>(0.02 * kScreenTwips);
    const int pos = std::max(1, static_cast<int>(program_.board().MenuScrollPos.ToInteger()));
    const int areaLeft = columnArea_->mapTo(this, QPoint(0, 0)).x();
    for (int i = 1; i <= program_.setup().LevelCount; ++i) {
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
        mistakeRanking_->setGeometry(detail_->geometry());
}

// The detail view lies over the level columns, from the heading down.
void seisekitime1::PlaceDetail() {
    const int left = static_cast<int>(120 / kScreenTwips * width());
    const int top = heading_->mapTo(this, QPoint(0, 0)).y();
    const int bottom = columnArea_->mapTo(this, QPoint(0, columnArea_->height())).y();
    detail_->setGeometry(left, top, width() - 2 * left, std::max(0, bottom - top));
}

void seisekitime1::OfferOwnMistakes() {
    const auto offers =
        OwnMistakeOffers(program_.setup().ProgramDataFolder, program_.setup().AppFolder, program_.signIn().PupilNumber, program_.setup().LevelNames,
                         program_.setup().LevelTimed, program_.setup().LevelCount, program_.clock().TodayDate());
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
            if (starting_ || dataPanel_->IsShown() || MistakeRankingShown())
                return;
            starting_ = true;
            keysReady_ = false;
            program_.StartMistakePractice(button->practice(),
                                          Program::PracticeReturn::LevelMenu);
        });
    }
}

bool seisekitime1::MistakeRankingShown() const {
    return mistakeRanking_ != nullptr && mistakeRanking_->isVisible();
}

void seisekitime1::OpenMistakeRanking() {
    MistakeRankingPanel::Inputs inputs{program_.setup().ProgramName,    program_.setup().ProgramDataFolder, program_.roster(),
                                      program_.setup().LevelNames,     program_.setup().LevelCount,        U(grades_->currentText()),
                                      program_.clock().TodayDate()};
    if (mistakeRanking_ != nullptr)
        mistakeRanking_->deleteLater();
    mistakeRanking_ =
        new MistakeRankingPanel(std::move(inputs), program_.TeacherPasswordGate(), this);
    connect(mistakeRanking_, &MistakeRankingPanel::messageDue, this, [this](const QString& text) {
        program_.messages().Inform(this, Q(program_.setup().ProgramName), text, {});
    });
    PlaceDetail();
    mistakeRanking_->setGeometry(detail_->geometry());
    mistakeRanking_->Rebuild();
    mistakeRanking_->show();
    mistakeRanking_->raise();
}

void seisekitime1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!refreshed_) {
        refreshed_ = true;
        ShowFullCover(true);
        // The timer carries no receiver: the screen may be closed while the lambda runs.
        QPointer<seisekitime1> screen(this);
        QTimer::singleShot(0, [screen] {
            const QPointer<seisekitime1> self = screen;
            if (!IsClosed(self))
                self->Refresh();
        });
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
        const int bottom = scroll_->isVisible() ? scroll_->mapTo(this, QPoint(0, 0)).y() : height();
        listCover_->setGeometry(0, top.y(), width(), bottom - top.y());
        listCover_->raise();
        listCover_->show();
    } else {
        listCover_->hide();
    }
}

void seisekitime1::Refresh() {
    keysReady_ = false;
    ShowFullCover(true);
    PumpEvents();
    listOptions_[0]->setText(Q(kRefreshFirstListCaption));
    listOptions_[1]->setText(Q(kRefreshSecondListCaption));
    ScreenRecordFileWaiter waiter(program_.messages(), this);
    try {
        program_.RebuildStanding(waiter);
    } catch (const DataFileError& e) {
        program_.EndWithFileError(e, this);
        return;
    }
    const MenuHeader header = MenuHeaderTexts(program_.boardData(), program_.clock());
    todayTotal_->setText(Q(header.TodayTotal));
    minutes_->setText(Q(header.MinutesSinceSignIn));
    fullProgress_->setRange(0, std::max<int>(1, program_.setup().LevelCount));
    activationInProgress_ = true;
    listOptions_[0]->setChecked(true);
    displayOptions_[0]->setChecked(true);
    DisplaySwitch(0);
    back_->setEnabled(true);
    activationInProgress_ = false;
    program_.ApplyPracticeTargets();
    ShowListCover(false);
    dataPanel_->button()->setVisible(header.ShowDataButton);
    gradeName_->setText(Q(header.GradeAndName));
    schoolNumber_->setText(Q(header.SchoolAndNumber));
    title_->setText(Q(header.Title));
    title_->setFont(UiFont(header.TitlePointSize * 4 / 3, true));  // points to pixels
    const int pos = ActivationScrollPos(program_.board(), program_.setup().LevelCount);
    {
        const QSignalBlocker blocker(scroll_);
        scroll_->setValue(pos);
    }
    PlaceColumns();
    for (int i = 1; i <= program_.setup().LevelCount; ++i) {
        fullProgress_->setValue(i);
        const LevelColumnTexts texts = LevelColumn(program_.boardData(), i);
        Column& c = At(i);
        c.today->setText(Q(texts.Today));
        c.all->setText(Q(texts.AllTime));
    }
    ApplyLocks();
    OfferOwnMistakes();
    ShowFullCover(false);
    PumpEvents();
    keysReady_ = true;
    DisplaySwitch(0);
    setFocus();
}

void seisekitime1::ClearBoard() {
    // No other list can be chosen while this one is built.
    lists_->setEnabled(false);
    back_->setEnabled(false);
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].start->setEnabled(false);
        columns_[i].list->hide();
    }
    ShowListCover(true);
    PumpEvents();
}

void seisekitime1::DisplaySwitch(int index) {
    dataPanel_->HidePanel();
    graph_->hide();
    detail_->hide();
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
        PumpEvents();
        if (listOptions_[0]->isChecked()) {
            ListSwitch(1);
        } else if (listOptions_[2]->isChecked()) {
            ListSwitch(3);
        } else {
            ListSwitch(2);
        }
    } else {
        graph_->show();
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
    if (list == BoardList::CumulativeRanking)
        pointsRankingKind_ = 1;
    if (list == BoardList::TodayRanking)
        pointsRankingKind_ = 2;
    if (list == BoardList::OwnRuns && !detail_->FillPupilList())
        return;
    ClearBoard();
    periods_->hide();
    lists_->setEnabled(false);
    PumpEvents();
    heading_->setText(Q(ListHeading(list)));
    listProgress_->setValue(0);
    std::vector<RunRecord> records;
    if (const std::optional<std::size_t> scan = RecordScanFor(list)) {
        QPointer<seisekitime1> self(this);
        ScreenRecordFileWaiter waiter(program_.messages(), this);
        RecordWindow window;
        try {
            ReadRecordWindowPatiently(ScoreRecordPath(program_.setup().ProgramDataFolder), *scan, window,
                                      waiter);
        } catch (const DataFileError& e) {
            if (!IsClosed(self))
                program_.EndWithFileError(e, this);
            return;
        }
        if (IsClosed(self))
            return;
        records = RunRecordsOf(window);
    }
    // The grade is taken once the records are in: a wait for a busy file lets the box change.
    const BoardInputs inputs{program_.boardData(), U(grades_->currentText()),
                             [this](std::size_t done, std::size_t maximum) {
                                 listProgress_->setMaximum(static_cast<int>(maximum));
                                 listProgress_->setValue(static_cast<int>(done));
                             }};
    const BoardFill fill = FillBoard(inputs, list, records, program_.clock().Now(),
                                     program_.board().ListPeriod);
    for (int i = 1; i <= program_.setup().LevelCount; ++i) {
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
    back_->setEnabled(true);
    ApplyLocks();
    for (std::size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].list->setVisible(!columns_[i].practice);
    }
    ShowListCover(false);
}

void seisekitime1::ApplyLocks() {
    const LevelLocks locks = ApplyLevelLocks(program_.boardData(), program_.board());
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

void seisekitime1::StartLevel(int level) {
    if (level < 1 || level >= static_cast<int>(columns_.size()))
        return;
    if (!At(level).start->isEnabled() || starting_ || dataPanel_->IsShown() ||
        MistakeRankingShown())
        return;
    // A second key or click while the cover is painted must not start the drill twice.
    starting_ = true;
    keysReady_ = false;
    ShowFullCover(true);
    program_.run().CurrentLevel = static_cast<std::int16_t>(level);
    QPointer<seisekitime1> self(this);
    PumpEvents();
    if (IsClosed(self))
        return;
    program_.StartDrill(level);
}

void seisekitime1::Back() {
    ShowFullCover(true);
    PumpEvents();
    program_.ShowNameScreen();
}

void seisekitime1::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() == 1) {
        const MenuKeyAction action = MenuKeyFor(text.at(0).unicode(), program_.setup().LevelCount,
                                                keysReady_, back_->isEnabled());
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
                    !At(level).start->isEnabled() || starting_ || dataPanel_->IsShown() ||
                    MistakeRankingShown())
                    return true;
                starting_ = true;
                program_.run().CurrentLevel = static_cast<std::int16_t>(level);
                keysReady_ = false;
                program_.StartDrill(level);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kagaku::ui
