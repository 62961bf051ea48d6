#include "ui/signin/frmver.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "state/start_up.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

frmver::frmver(const QString& programName, QWidget* parent) : QDialog(parent) {
    setObjectName("frmver");
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    auto* label1 = PlainLabel(programName, this);
    label1->setObjectName("Label1");
    label1->setFont(UiFont(36, true));
    auto* label2 = PlainLabel(
        Q(VersionText(KAGAKU_VERSION_MAJOR, KAGAKU_VERSION_MINOR, KAGAKU_VERSION_PATCH)), this);
    label2->setObjectName("Label2");
    label2->setFont(UiFont(22));
    auto* label4 = PlainLabel(QStringLiteral("Velmora"), this);
    label4->setObjectName("Label4");
    label4->setFont(UiFont(22));
    auto* command1 = new QPushButton(QStringLiteral("O.K."), this);
    command1->setObjectName("Command1");
    command1->setFont(UiFont(22));
    command1->setMinimumSize(Scaled(140), Scaled(50));
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(40), Scaled(30), Scaled(40), Scaled(30));
    layout->setSpacing(Scaled(16));
    layout->addWidget(label1, 0, Qt::AlignHCenter);
    layout->addWidget(label2, 0, Qt::AlignHCenter);
    layout->addWidget(label4, 0, Qt::AlignHCenter);
    layout->addWidget(command1, 0, Qt::AlignHCenter);
}

}  // namespace kagaku::ui
