// The window's fetch commands, and what the real-time fetches (fetch/fetchops.h) and their
// timers ask of the window.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
#include "fetch/forms/fetchtimers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>

namespace app {

using mainform_parts::ToUtf8;
using mainform_parts::U;

void TMainForm::SokuhoOddsBtnClick() {
    fetch::FetchShownRaceOdds(*this);
}

void TMainForm::KekkaGetBtnClick() {
    fetch::FetchResults(*this);
}

void TMainForm::GetDMBtnClick() {
    fetch::FetchMining(*this);
}

void TMainForm::N1O1Click() {
    fetch::FetchDayOdds(*this);
}

void TMainForm::NextRaceBtnClick() {
    fetch::ShowNextRace(*this);
}

void TMainForm::T1Click() {
    fetch::ImportTimeSeriesOdds(*this);
}

int TMainForm::SelectedRace() const {
    return DatList->currentRow();
}

int TMainForm::RaceCount() const {
    return DatList->count();
}

void TMainForm::SelectRace(int index) {
    QSignalBlocker block(DatList);
    DatList->setCurrentRow(index);
}

int TMainForm::LoadedDayIndex() const {
    return DateCombo->currentIndex();
}

std::string TMainForm::LoadedDayStem() const {
    return ToUtf8(DateCombo->currentText());
}

void TMainForm::ShowStatus(const std::string& text) {
    DLlabel->setText(U(text));
}

void TMainForm::ProcessMessages() {
    QCoreApplication::processEvents();
}

// Balanced: a fetch may say "not busy" on more than one way out.
void TMainForm::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyCursors_;
    } else if (busyCursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyCursors_;
    }
}

void TMainForm::ErrorLogAppended(const std::string& line) {
    ErrorLog.push_back(line);
}

void TMainForm::SetAutoOddsOn(bool checked) {
    QSignalBlocker block(AutoOzCheck);
    AutoOzCheck->setChecked(checked);
}

void TMainForm::RunOddsTimer(bool run) {
    timers_->SetTimer1Enabled(run);
}

void TMainForm::ShowTimeToPost(const std::string& text) {
    RestTimeLabel->setText(U(text));
}

void TMainForm::ShowClock(const std::string& text) {
    NowTimLabel->setText(U(text));
}

} // namespace app
