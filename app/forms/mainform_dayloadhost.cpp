// What the day load (raceday/dayload.h) asks of the window: the progress form, the race lists,
// the venue labels and the steps after a load.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
#include "app/forms/prgrsform.h"
#include "betting/forms/userkaimeform.h"
#include "controls/label3d.h"
#include "controls/qtext.h"
#include "fetch/forms/fetchtimers.h"
#include "keiba/sjis.h"
#include "search/forms/neraislotpanel.h"
#include "search/forms/rinputform.h"
#include "views/grid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace app {

using mainform_parts::U;

void TMainForm::PrepareForLoad(bool isToday) {
    RestTimeLabel->setVisible(isToday);
    Grid(QStringLiteral("StringGrid6"))->hide();
    PageControl3->hide();
    Panel8->hide();
    PageControl1->hide();
    {
        QSignalBlocker block(DatList);
        DatList->clear();
    }
    RestTimeLabel->clear();
    timers_->StopTimer4();
}

void TMainForm::ShowProgress(int max, const std::string& heading, const std::string& status) {
    if (!prgrsForm_) return;
    prgrsForm_->ProgressBar1()->setRange(0, max);
    prgrsForm_->ProgressBar1()->setValue(0);
    prgrsForm_->Label3Dj1()->SetCaption(U(heading));
    prgrsForm_->StaticText1()->setText(U(status));
    prgrsForm_->show();
    QCoreApplication::processEvents();
}

void TMainForm::SetProgressPosition(int position) {
    if (prgrsForm_) prgrsForm_->ProgressBar1()->setValue(position);
}

void TMainForm::StepProgress() {
    if (!prgrsForm_) return;
    QProgressBar* bar = prgrsForm_->ProgressBar1();
    bar->setValue(std::min(bar->value() + 1, bar->maximum()));
    QCoreApplication::processEvents();
}

void TMainForm::SetProgressText(const std::string& text) {
    if (prgrsForm_) prgrsForm_->StaticText1()->setText(controls::SjToQ(text));
}

void TMainForm::HideProgress() {
    if (prgrsForm_) prgrsForm_->hide();
}

void TMainForm::ClearRaces() {
    QSignalBlocker block(DatList);
    DatList->clear();
    if (rinputForm_) rinputForm_->DatList()->clear();
}

void TMainForm::AddRace(const std::string& item) {
    DatList->addItem(U(item));
    if (rinputForm_) rinputForm_->DatList()->addItem(U(item));
}

void TMainForm::ShowVenues(const std::array<std::string, 3>& codes,
                           const std::array<std::string, 3>& firstSlots) {
    for (std::size_t i = 0; i < 3; ++i) {
        BashoLabels[i]->setText(U(codes[i]));
        BashoIdxs[i]->setText(U(firstSlots[i]));
    }
}

void TMainForm::SelectDateItem(const std::string& stem) {
    QSignalBlocker block(DateCombo);
    DateCombo->setCurrentIndex(DateCombo->findText(U(stem)));
}

void TMainForm::ShowNoDay() {
    ClearRaces();
    PageControl1->hide();
    ClearRaceHeader();
}

void TMainForm::SisuStatBtn2Click() {}

void TMainForm::StartResultsTimer(int intervalMs) {
    timers_->StartTimer4(intervalMs);
}

bool TMainForm::AutoOddsOn() const {
    return AutoOzCheck->isChecked();
}

// The checks run once per load: ticking the box here is not a click.
void TMainForm::ArmAutoOdds() {
    SetAutoOddsOn(true);
    AutoOzCheckClick();
    if (N30->isChecked())
        DeliverTimer->start();
    else
        DeliverTimer->stop();
}

void TMainForm::MatchTargetSlot(int slot) {
    if (slot < 1 || slot > 4) return;
    neraiSlots_->NeraiComboChange(slot);
}

void TMainForm::ApplyUserBetSet(int set) {
    if (!userKaimeForm_) return;
    QComboBox* combo = userKaimeForm_->NeraiKaimeCombo(set);
    if (!combo || keiba::IsBlankText(controls::QToSj(combo->currentText()))) return;
    userKaimeForm_->NeraiKaimeComboChange(set);
}

void TMainForm::SelectFirstRace() {
    if (DatList->count() == 0) return;
    {
        QSignalBlocker block(DatList);
        DatList->setCurrentRow(0);
    }
    DatListClick();
}

} // namespace app
