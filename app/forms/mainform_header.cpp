// The race header (`Panel3`): venue, race number, conditions and the odds time.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
#include "app/forms/raceheaderview.h"
#include "controls/label3d.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace app {

using mainform_parts::SetPanelColor;

namespace {

QLabel* HeaderLabel(QWidget* parent, const char* name, int pointSize, bool bold) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

QWidget* TMainForm::BuildHeader() {
    RaceHeaderView::Widgets& ui = header_->ui;
    ui.Panel3 = new QFrame;
    ui.Panel3->setObjectName(QStringLiteral("Panel3"));
    ui.Panel3->setFrameShape(QFrame::Panel);
    ui.Panel3->setFrameShadow(QFrame::Sunken);
    ui.Panel3->setFixedHeight(112);
    SetPanelColor(ui.Panel3, QColor(0, 128, 0));
    auto* grid = new QGridLayout(ui.Panel3);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);

    ui.BashoLabel = HeaderLabel(ui.Panel3, "BashoLabel", 20, true);
    ui.BashoLabel->setAlignment(Qt::AlignCenter);
    ui.BashoLabel->setMinimumWidth(70);
    ui.RaceLabel = HeaderLabel(ui.Panel3, "RaceLabel", 20, true);
    ui.RaceLabel->setAlignment(Qt::AlignCenter);
    ui.RaceLabel->setMinimumWidth(50);
    ui.Label1 = HeaderLabel(ui.Panel3, "Label1", 10, true);
    ui.Label2 = HeaderLabel(ui.Panel3, "Label2", 13, true);
    ui.Label3 = HeaderLabel(ui.Panel3, "Label3", 9, false);
    ui.Label4 = HeaderLabel(ui.Panel3, "Label4", 9, false);
    ui.Label6 = HeaderLabel(ui.Panel3, "Label6", 8, false);
    ui.Label7 = HeaderLabel(ui.Panel3, "Label7", 8, false);
    ui.TFWtimeLabel = HeaderLabel(ui.Panel3, "TFWtimeLabel", 9, false);
    ui.RLevelLabel = HeaderLabel(ui.Panel3, "RLevelLabel", 11, true);
    ui.RplsTouLabel = HeaderLabel(ui.Panel3, "RplsTouLabel", 9, false);
    ui.RmnsTouLabel = HeaderLabel(ui.Panel3, "RmnsTouLabel", 9, false);
    ui.RestTimeLabel = HeaderLabel(ui.Panel3, "RestTimeLabel", 10, true);
    ui.RestTimeLabel->setStyleSheet(QStringLiteral("color: yellow;"));
    ui.RestTimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui.Label3Dj1 = new controls::TLabel3Dj(ui.Panel3);
    ui.Label3Dj1->setObjectName(QStringLiteral("Label3Dj1"));
    ui.Label3Dj1->SetTransparent(true);
    ui.Label3Dj1->SetFontColor(QColor(255, 255, 160));
    ui.Label3Dj2 = new controls::TLabel3Dj(ui.Panel3);
    ui.Label3Dj2->setObjectName(QStringLiteral("Label3Dj2"));
    ui.Label3Dj2->SetTransparent(true);
    ui.Label3Dj2->SetFontColor(QColor(255, 255, 160));

    auto* caption = [&](const char* text) {
        QLabel* l = HeaderLabel(ui.Panel3, "", 8, false);
        l->setText(QString::fromUtf8(text));
        return l;
    }("ｵｯｽﾞ時刻");
    auto* levelBox = new QHBoxLayout;
    levelBox->setSpacing(6);
    levelBox->addWidget(caption);
    levelBox->addWidget(ui.TFWtimeLabel);
    levelBox->addSpacing(10);
    levelBox->addWidget(ui.RLevelLabel);
    levelBox->addWidget(ui.RplsTouLabel);
    levelBox->addWidget(ui.RmnsTouLabel);
    levelBox->addStretch(1);
    levelBox->addWidget(ui.RestTimeLabel);

    // The race number sits on its own tile so that it reads at a glance; the tile shows once a
    // race is shown.
    QPalette rp = ui.RaceLabel->palette();
    rp.setColor(QPalette::Window, QColor(255, 255, 255));
    rp.setColor(QPalette::WindowText, QColor(0, 0, 0));
    ui.RaceLabel->setPalette(rp);

    grid->addWidget(ui.BashoLabel, 0, 0, 2, 1);
    grid->addWidget(ui.RaceLabel, 0, 1, 2, 1);
    grid->addWidget(ui.Label1, 0, 2);
    grid->addLayout(levelBox, 0, 3);
    grid->addWidget(ui.Label2, 1, 2, 1, 2);
    grid->addWidget(ui.Label3, 2, 0, 1, 3);
    grid->addWidget(ui.Label3Dj1, 2, 3);
    grid->addWidget(ui.Label4, 3, 0, 1, 3);
    grid->addWidget(ui.Label3Dj2, 3, 3);
    grid->addWidget(ui.Label6, 4, 0, 1, 3);
    grid->addWidget(ui.Label7, 5, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    return ui.Panel3;
}

} // namespace app
