// The list panel (`Panel6`) at the left: race days, races of the day, the target slots.

#include "app/forms/mainform.h"

#include "app/forms/fetchhost.h"
#include "search/forms/neraislotpanel.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

QWidget* TMainForm::BuildListPanel() {
    Panel6 = new QFrame;
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFrameShape(QFrame::StyledPanel);
    Panel6->setMinimumWidth(130);
    Panel6->setMaximumWidth(220);
    auto* box = new QVBoxLayout(Panel6);
    box->setContentsMargins(3, 3, 3, 3);
    box->setSpacing(3);
    auto* dayCaption = new QLabel(QStringLiteral("開催日"), Panel6);
    box->addWidget(dayCaption);
    DateCombo = new QComboBox(Panel6);
    DateCombo->setObjectName(QStringLiteral("DateCombo"));
    DateCombo->setMaxVisibleItems(36);
    connect(DateCombo, &QComboBox::activated, this, [this](int) { DateComboChange(); });
    box->addWidget(DateCombo);
    DatList = new QListWidget(Panel6);
    DatList->setObjectName(QStringLiteral("DatList"));
    // While a load pumps events the list fills item by item; the load shows its first race
    // itself when it is done.
    connect(DatList, &QListWidget::currentRowChanged, this, [this](int) {
        if (!Busy()) DatListClick();
    });
    box->addWidget(DatList, 1);
    auto* status = new QLabel(Panel6);
    status->setObjectName(QStringLiteral("DLlabel"));
    status->setWordWrap(true);
    status->setMinimumHeight(32);
    box->addWidget(status);
    fetchHost_->ui.DLlabel = status;
    neraiSlots_ = new search::NeraiSlotPanel(context_, Day(), Panel6);
    box->addWidget(neraiSlots_);
    neraiSlots_->SetRaceListCount([this] { return DatList->count(); });
    neraiSlots_->SetRepaintRaceCards([this] { RepaintRaceCards(); });
    auto* gaito = new QPushButton(QStringLiteral("当日該当馬"), Panel6);
    gaito->setObjectName(QStringLiteral("NeraiGaitoBtn"));
    gaito->setToolTip(QStringLiteral("狙い馬に該当する当日の出走馬を一覧表示します"));
    connect(gaito, &QPushButton::clicked, this, &TMainForm::NeraiGaitoBtnClick);
    box->addWidget(gaito);
    return Panel6;
}

} // namespace app
