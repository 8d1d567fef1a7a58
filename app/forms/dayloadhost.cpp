#include "app/forms/dayloadhost.h"

#include "app/forms/mainform_parts.h"
#include "app/forms/prgrsform.h"
#include "app/forms/raceheaderview.h"
#include "betting/forms/userkaimeform.h"
#include "controls/label3d.h"
#include "controls/qtext.h"
#include "fetch/fetchops.h"
#include "fetch/forms/fetchtimers.h"
#include "keiba/operations.h"
#include "keiba/sjis.h"
#include "search/forms/neraislotpanel.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

namespace app {

using mainform_parts::U;

void MainDayLoadView::PrepareForLoad(bool isToday) {
    QLabel* restTime = header_.ui.RestTimeLabel;
    restTime->setVisible(isToday);
    ui.StringGrid6->hide();
    ui.PageControl3->hide();
    ui.Panel8->hide();
    ui.PageControl1->hide();
    {
        QSignalBlocker block(ui.DatList);
        ui.DatList->clear();
    }
    restTime->clear();
    if (ui.timers) ui.timers->StopTimer4();
}

void MainDayLoadView::ShowProgress(int max, const std::string& heading, const std::string& status) {
    if (!ui.progress) return;
    ui.progress->ProgressBar1()->setRange(0, max);
    ui.progress->ProgressBar1()->setValue(0);
    ui.progress->Label3Dj1()->SetCaption(U(heading));
    ui.progress->StaticText1()->setText(U(status));
    ui.progress->show();
    QCoreApplication::processEvents();
}

void MainDayLoadView::SetProgressPosition(int position) {
    if (ui.progress) ui.progress->ProgressBar1()->setValue(position);
}

void MainDayLoadView::StepProgress() {
    if (!ui.progress) return;
    QProgressBar* bar = ui.progress->ProgressBar1();
    bar->setValue(std::min(bar->value() + 1, bar->maximum()));
    QCoreApplication::processEvents();
}

void MainDayLoadView::SetProgressText(const std::string& cp932) {
    if (ui.progress) ui.progress->StaticText1()->setText(controls::SjToQ(cp932));
}

void MainDayLoadView::HideProgress() {
    if (ui.progress) ui.progress->hide();
}

void MainDayLoadView::ClearRaces() {
    QSignalBlocker block(ui.DatList);
    ui.DatList->clear();
    if (ui.searchRaceList) ui.searchRaceList->clear();
}

void MainDayLoadView::AddRace(const std::string& caption) {
    ui.DatList->addItem(U(caption));
    if (ui.searchRaceList) ui.searchRaceList->addItem(U(caption));
}

void MainDayLoadView::ShowVenues(const std::array<std::string, 3>& codes,
                                 const std::array<std::string, 3>& firstSlots) {
    for (std::size_t i = 0; i < 3; ++i) {
        ui.BashoLabels[i]->setText(U(codes[i]));
        ui.BashoIdxs[i]->setText(U(firstSlots[i]));
    }
}

void MainDayLoadView::SelectDateItem(const std::string& stem) {
    QSignalBlocker block(ui.DateCombo);
    ui.DateCombo->setCurrentIndex(ui.DateCombo->findText(U(stem)));
}

void MainDayLoadView::ShowNoDay() {
    ClearRaces();
    ui.PageControl1->hide();
    header_.Clear();
}

bool MainDayLoadView::CancelRequested() const {
    return operations_.CancelRequested();
}

void MainDayLoadSteps::StartResultsTimer(int intervalMs) {
    ui.timers->StartTimer4(intervalMs);
}

bool MainDayLoadSteps::AutoOddsOn() const {
    return fetch_.AutoOddsOn();
}

// The checks run once per load: ticking the box here is not a click.
void MainDayLoadSteps::ArmAutoOdds() {
    fetch_.SetAutoOddsOn(true);
    fetch::ArmOddsTimer(fetch_);
    if (ui.N30->isChecked())
        ui.DeliverTimer->start();
    else
        ui.DeliverTimer->stop();
}

void MainDayLoadSteps::MatchTargetSlot(int slot) {
    if (slot < 1 || slot > 4) return;
    ui.neraiSlots->NeraiComboChange(slot);
}

void MainDayLoadSteps::ApplyUserBetSet(int set) {
    if (!ui.userKaime) return;
    QComboBox* combo = ui.userKaime->NeraiKaimeCombo(set);
    if (!combo || keiba::IsBlankText(controls::QToSj(combo->currentText()))) return;
    ui.userKaime->NeraiKaimeComboChange(set);
}

void MainDayLoadSteps::SelectFirstRace() {
    if (fetch_.RaceCount() == 0) return;
    fetch_.SelectRace(0);
    fetch_.ShowSelectedRace();
}

} // namespace app
