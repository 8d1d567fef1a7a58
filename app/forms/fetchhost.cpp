#include "app/forms/fetchhost.h"

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

MainFetchHost::MainFetchHost(raceday::RaceDay& day, keiba::OperationOwner& operations,
                             jvdata::TJVLink* link, const keiba::ProgramContext& context,
                             std::vector<std::string>& errorLog, Commands commands)
    : day_(day)
    , operations_(operations)
    , link_(link)
    , context_(context)
    , errorLog_(errorLog)
    , commands_(std::move(commands)) {}

int MainFetchHost::SelectedRace() const {
    return ui.DatList->currentRow();
}

int MainFetchHost::RaceCount() const {
    return ui.DatList->count();
}

void MainFetchHost::SelectRace(int index) {
    QSignalBlocker block(ui.DatList);
    ui.DatList->setCurrentRow(index);
}

int MainFetchHost::LoadedDayIndex() const {
    return ui.DateCombo->currentIndex();
}

std::string MainFetchHost::LoadedDayStem() const {
    return ToUtf8(ui.DateCombo->currentText());
}

void MainFetchHost::ShowStatus(const std::string& text) {
    ui.DLlabel->setText(U(text));
}

void MainFetchHost::ProcessMessages() {
    QCoreApplication::processEvents();
}

// Balanced: a fetch may say "not busy" on more than one way out.
void MainFetchHost::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyCursors_;
    } else if (busyCursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyCursors_;
    }
}

bool MainFetchHost::AutoOddsOn() const {
    return ui.AutoOzCheck->isChecked();
}

void MainFetchHost::SetAutoOddsOn(bool on) {
    QSignalBlocker block(ui.AutoOzCheck);
    ui.AutoOzCheck->setChecked(on);
}

void MainFetchHost::RunOddsTimer(bool run) {
    ui.timers->SetTimer1Enabled(run);
}

void MainFetchHost::ShowTimeToPost(const std::string& text) {
    ui.RestTimeLabel->setText(U(text));
}

void MainFetchHost::ShowClock(const std::string& text) {
    ui.NowTimLabel->setText(U(text));
}

} // namespace app
