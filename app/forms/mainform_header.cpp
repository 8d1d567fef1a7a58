// The race header (`Panel3`): venue, race number, conditions and the odds time.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
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
    Panel3 = new QFrame;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Sunken);
    Panel3->setFixedHeight(112);
    SetPanelColor(Panel3, QColor(0, 128, 0));
    auto* grid = new QGridLayout(Panel3);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);

    BashoLabel = HeaderLabel(Panel3, "BashoLabel", 20, true);
    BashoLabel->setAlignment(Qt::AlignCenter);
    BashoLabel->setMinimumWidth(70);
    RaceLabel = HeaderLabel(Panel3, "RaceLabel", 20, true);
    RaceLabel->setAlignment(Qt::AlignCenter);
    RaceLabel->setMinimumWidth(50);
    Label1 = HeaderLabel(Panel3, "Label1", 10, true);
    Label2 = HeaderLabel(Panel3, "Label2", 13, true);
    Label3 = HeaderLabel(Panel3, "Label3", 9, false);
    Label4 = HeaderLabel(Panel3, "Label4", 9, false);
    Label6 = HeaderLabel(Panel3, "Label6", 8, false);
    Label7 = HeaderLabel(Panel3, "Label7", 8, false);
    TFWtimeLabel = HeaderLabel(Panel3, "TFWtimeLabel", 9, false);
    RLevelLabel = HeaderLabel(Panel3, "RLevelLabel", 11, true);
    RplsTouLabel = HeaderLabel(Panel3, "RplsTouLabel", 9, false);
    RmnsTouLabel = HeaderLabel(Panel3, "RmnsTouLabel", 9, false);
    RestTimeLabel = HeaderLabel(Panel3, "RestTimeLabel", 10, true);
    RestTimeLabel->setStyleSheet(QStringLiteral("color: yellow;"));
    RestTimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3Dj1 = new controls::TLabel3Dj(Panel3);
    Label3Dj1->setObjectName(QStringLiteral("Label3Dj1"));
    Label3Dj1->SetTransparent(true);
    Label3Dj1->SetFontColor(QColor(255, 255, 160));
    Label3Dj2 = new controls::TLabel3Dj(Panel3);
    Label3Dj2->setObjectName(QStringLiteral("Label3Dj2"));
    Label3Dj2->SetTransparent(true);
    Label3Dj2->SetFontColor(QColor(255, 255, 160));

    auto* caption = [&](const char* text) {
        QLabel* l = HeaderLabel(Panel3, "", 8, false);
        l->setText(QString::fromUtf8(text));
        return l;
    }("ｵｯｽﾞ時刻");
    auto* levelBox = new QHBoxLayout;
    levelBox->setSpacing(6);
    levelBox->addWidget(caption);
    levelBox->addWidget(TFWtimeLabel);
    levelBox->addSpacing(10);
    levelBox->addWidget(RLevelLabel);
    levelBox->addWidget(RplsTouLabel);
    levelBox->addWidget(RmnsTouLabel);
    levelBox->addStretch(1);
    levelBox->addWidget(RestTimeLabel);

    // The race number sits on its own tile so that it reads at a glance; the tile shows once a
    // race is shown.
    QPalette rp = RaceLabel->palette();
    rp.setColor(QPalette::Window, QColor(255, 255, 255));
    rp.setColor(QPalette::WindowText, QColor(0, 0, 0));
    RaceLabel->setPalette(rp);

    grid->addWidget(BashoLabel, 0, 0, 2, 1);
    grid->addWidget(RaceLabel, 0, 1, 2, 1);
    grid->addWidget(Label1, 0, 2);
    grid->addLayout(levelBox, 0, 3);
    grid->addWidget(Label2, 1, 2, 1, 2);
    grid->addWidget(Label3, 2, 0, 1, 3);
    grid->addWidget(Label3Dj1, 2, 3);
    grid->addWidget(Label4, 3, 0, 1, 3);
    grid->addWidget(Label3Dj2, 3, 3);
    grid->addWidget(Label6, 4, 0, 1, 3);
    grid->addWidget(Label7, 5, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    return Panel3;
}

void TMainForm::ClearRaceHeader() {
    SetPanelColor(Panel3, QColor(0, 128, 0));
    for (QLabel* l : {BashoLabel, RaceLabel, Label1, Label2, Label3, Label4, Label6, Label7,
                      TFWtimeLabel, RLevelLabel, RplsTouLabel, RmnsTouLabel, RestTimeLabel})
        l->clear();
    Label3Dj1->SetCaption(QString());
    Label3Dj2->SetCaption(QString());
    RaceLabel->setAutoFillBackground(false);
}

} // namespace app
