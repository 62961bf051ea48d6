#include "ui/loaded_screen.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/text_ops.h"
#include "ui/look.h"
#include "ui/program.h"

namespace kagaku::ui {

LoadedScreen::LoadedScreen(Program& program) : program_(program) {
    setObjectName("LoadedScreen");
    setAttribute(Qt::WA_DeleteOnClose);
    const SharedState& state = program_.state();
    setWindowTitle(Q(state.ProgramName));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColourFromBgr(state.SeasonColour));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* title = PlainLabel(Q(state.ProgramName), this);
    title->setFont(UiFont(72, true));
    auto* school = PlainLabel(Q(state.SchoolName), this);
    school->setObjectName("SchoolName");
    school->setFont(UiFont(36));

    int soundKeys = 0;
    for (int k = 1; k <= kSoundKeys; ++k) {
        if (!state.Sounds.Files[static_cast<std::size_t>(k)].empty())
            ++soundKeys;
    }
    const QList<QPair<QString, QString>> rows = {
        {QStringLiteral("データフォルダ"), Q(state.DataRoot)},
        {QStringLiteral("プログラムのデータ"), Q(state.ProgramDataFolder)},
        {QStringLiteral("学校コード"), Q(state.SchoolCode.ToText())},
        {QStringLiteral("レベル設定"),
         QStringLiteral("%1 レベル分").arg(std::max(0, state.Settings.LinesLoaded - 1))},
        {QStringLiteral("音の設定"), QStringLiteral("%1 種類").arg(soundKeys)},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(Scaled(24));
    grid->setVerticalSpacing(Scaled(10));
    int r = 0;
    for (const auto& [name, value] : rows) {
        auto* n = PlainLabel(name, this);
        n->setFont(UiFont(22, true));
        auto* v = PlainLabel(value, this);
        v->setFont(UiFont(22));
        v->setWordWrap(true);
        if (r == 0)
            v->setObjectName("DataRootLabel");
        grid->addWidget(n, r, 0, Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(v, r, 1);
        ++r;
    }

    auto* note = PlainLabel(QStringLiteral("データを読み込みました。"), this);
    note->setFont(UiFont(24));
    auto* quit = new QPushButton(QStringLiteral("終了"), this);
    quit->setObjectName("QuitButton");
    quit->setFont(UiFont(26));
    quit->setMinimumSize(Scaled(180), Scaled(60));
    connect(quit, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(60), Scaled(40), Scaled(60), Scaled(40));
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(school, 0, Qt::AlignHCenter);
    layout->addSpacing(Scaled(30));
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(note, 0, Qt::AlignHCenter);
    layout->addSpacing(Scaled(20));
    layout->addWidget(quit, 0, Qt::AlignHCenter);
}

void LoadedScreen::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kagaku::ui
